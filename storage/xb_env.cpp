#include "storage/xb_env.h"

#include <string>

#include "dates/date_text.h"
#include "storage/engine/xb_engine.h"

namespace quill {
namespace {

struct FormatRow {
    char separator;
    const char* shortForm;    // century off
    const char* centuryForm;  // century on
};

const FormatRow kFormats[] = {
    {'/', "mm/dd/yy", "mm/dd/yyyy"},  // dfAmerican
    {'.', "yy.mm.dd", "yyyy.mm.dd"},  // dfAnsi
    {'/', "dd/mm/yy", "dd/mm/yyyy"},  // dfBritish
    {'/', "dd/mm/yy", "dd/mm/yyyy"},  // dfFrench
    {'.', "dd.mm.yy", "dd.mm.yyyy"},  // dfGerman
    {'-', "dd-mm-yy", "dd-mm-yyyy"},  // dfItalian
    {'-', "dd-mm-yy", "dd-mm-yyyy"},  // dfSpanish
};

const FormatRow& RowOf(TXbDateFormat f) {
    const int i = int(f);
    return kFormats[(i >= 0 && i <= int(dfSpanish)) ? i : 0];
}

}  // namespace

void TXbEnv::SetExact(bool on) {
    exact_ = on;
    xb::xb_SetExact(on);
}

void TXbEnv::SetCentury(bool on) {
    century_ = on;
    xb::xb_SetCentury(on);
    ApplyShortDateFormat();
}

void TXbEnv::SetDateFormat(TXbDateFormat format) {
    if (int(format) < 0 || int(format) > int(dfSpanish)) format = dfAmerican;
    dateFormat_ = format;
    xb::xb_SetDateFormat(int(format));
    CurrentDateSettings().dateSeparator = RowOf(format).separator;
    ApplyShortDateFormat();
}

void TXbEnv::ApplyShortDateFormat() {
    const FormatRow& row = RowOf(dateFormat_);
    CurrentDateSettings().shortDateFormat = century_ ? row.centuryForm : row.shortForm;
}

void TXbEnv::SetLockTimeout(int seconds) {
    lockTimeout_ = seconds;
    xb::xb_SetLockTimeout(seconds);
}

void TXbEnv::SetMemoBlockSize(int size) {
    memoBlockSize_ = size;
    xb::xb_SetMemoBlockSize(size);
}

void TXbEnv::SetSoftSeek(bool on) {
    softSeek_ = on;
    xb::xb_SetSoftSeek(on);
}

void TXbEnv::SetDeleted(bool on) {
    deleted_ = on;
    xb::xb_SetDeleted(on);
}

const char* XbEngineStart() {
    static const std::string version = [] {
        xb::xb_SetStringType(1);
        xb::xb_ErrorLevel(1);
        return xb::xb_Version();
    }();
    return version.c_str();
}

}  // namespace quill
