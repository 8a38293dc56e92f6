#include "storage/days_with_entries.h"

#include "dates/date_keys.h"
#include "storage/xb_error.h"

namespace quill {

namespace {

// Where the data set stands, so that it can be put back after the seeks.
class PositionKeeper {
public:
    explicit PositionKeeper(DiaryStorage& s) : s_(s) {
        TXbDataSet& t = s_.DiaryTable;
        onRecord_ = t.Active() && !t.IsEmpty() && !t.Eof();
        if (onRecord_) {
            recNo_ = t.RecNo();
            key_ = t.FieldText("DATE");
        }
    }
    ~PositionKeeper() {
        try {
            Restore();
        } catch (const TXbError&) {
            // The next save finds its day by key before writing, so a lost
            // position costs a seek, not a wrong record.
        }
    }
    PositionKeeper(const PositionKeeper&) = delete;
    PositionKeeper& operator=(const PositionKeeper&) = delete;

private:
    void Restore() {
        TXbDataSet& t = s_.DiaryTable;
        if (!t.Active()) return;
        if (!onRecord_) {
            if (!t.IsEmpty()) t.MoveToEnd();
            return;
        }
        if (!s_.DiaryEngine.Seek(key_)) return;
        // Two records with one key (damage): step to the very record.
        while (!t.Eof() && t.RecNo() != recNo_ && t.FieldText("DATE") == key_) t.Next();
        if (t.Eof() || t.RecNo() != recNo_) s_.DiaryEngine.Seek(key_);
    }

    DiaryStorage& s_;
    bool onRecord_ = false;
    long recNo_ = 0;
    std::string key_;
};

}  // namespace

bool GetDaysWithEntries(DiaryStorage& storage, std::vector<std::string>& days, int year, int month) {
    days.clear();
    const int length = DaysInMonthOf(year, month);
    if (length == 0 || !storage.DiaryTable.Active()) return length == 0;
    const std::string prefix = MonthKeyPrefix(year, month);
    try {
        PositionKeeper keep(storage);
        storage.DiaryEngine.SetOrder(1);
        for (int day = 1; day <= length; ++day)
            if (storage.DiaryEngine.Seek(prefix + TwoDigits(day))) days.push_back(std::to_string(day));
    } catch (const TXbError&) {
        return false;
    }
    return true;
}

}  // namespace quill
