#include <gtest/gtest.h>

#include "dates/date_text.h"
#include "storage/xb_env.h"

namespace quill {
namespace {

class XbEnvTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = CurrentDateSettings(); }
    void TearDown() override { CurrentDateSettings() = saved_; }
    DateSettings saved_;
};

TEST_F(XbEnvTest, DefaultsAreHeldByTheObject) {
    TXbEnv env;
    EXPECT_FALSE(env.Exact());
    EXPECT_FALSE(env.Century());
    EXPECT_EQ(env.DateFormat(), dfAmerican);
    EXPECT_EQ(env.LockTimeout(), 1);
    EXPECT_EQ(env.MemoBlockSize(), 64);
    EXPECT_FALSE(env.SoftSeek());
    EXPECT_FALSE(env.Deleted());
    // Constructing the object alone changes nothing in the program's formats.
    EXPECT_EQ(CurrentDateSettings().shortDateFormat, saved_.shortDateFormat);
}

TEST_F(XbEnvTest, DateFormatSetsSeparatorAndShortFormat) {
    struct Row {
        TXbDateFormat format;
        char separator;
        const char* shortForm;
        const char* centuryForm;
    };
    const Row rows[] = {
        {dfAmerican, '/', "mm/dd/yy", "mm/dd/yyyy"}, {dfAnsi, '.', "yy.mm.dd", "yyyy.mm.dd"},
        {dfBritish, '/', "dd/mm/yy", "dd/mm/yyyy"},  {dfFrench, '/', "dd/mm/yy", "dd/mm/yyyy"},
        {dfGerman, '.', "dd.mm.yy", "dd.mm.yyyy"},   {dfItalian, '-', "dd-mm-yy", "dd-mm-yyyy"},
        {dfSpanish, '-', "dd-mm-yy", "dd-mm-yyyy"},
    };
    for (const Row& r : rows) {
        TXbEnv env;
        CurrentDateSettings().dateSeparator = '?';
        env.SetDateFormat(r.format);
        EXPECT_EQ(CurrentDateSettings().dateSeparator, r.separator) << int(r.format);
        EXPECT_EQ(CurrentDateSettings().shortDateFormat, r.shortForm) << int(r.format);
        // Century switches the short format only.
        CurrentDateSettings().dateSeparator = '?';
        env.SetCentury(true);
        EXPECT_EQ(CurrentDateSettings().shortDateFormat, r.centuryForm) << int(r.format);
        EXPECT_EQ(CurrentDateSettings().dateSeparator, '?');
        env.SetCentury(false);
        EXPECT_EQ(CurrentDateSettings().shortDateFormat, r.shortForm) << int(r.format);
    }
}

TEST_F(XbEnvTest, DateFormatWithCenturyOnKeepsFourDigitYears) {
    TXbEnv env;
    env.SetCentury(true);
    env.SetDateFormat(dfGerman);
    EXPECT_EQ(CurrentDateSettings().shortDateFormat, "dd.mm.yyyy");
    env.SetDateFormat(dfAnsi);
    EXPECT_EQ(CurrentDateSettings().shortDateFormat, "yyyy.mm.dd");
    EXPECT_EQ(CurrentDateSettings().dateSeparator, '.');
}

}  // namespace
}  // namespace quill
