#include "app/entry_search/diary_search.h"

#include <algorithm>

#include "storage/xb_error.h"

namespace quill {

namespace {

// A key that names no real day (damage, or a record being removed) cannot
// be shown, so it is never a match.
bool ShowableKey(const std::string& key, Date& day) { return !key.empty() && KeyToDate(key, day); }

}  // namespace

bool DiarySearch::Walk(SearchStep& step) {
    TXbDataSet& t = storage_.DiaryTable;
    for (; !t.Eof(); t.Next()) {
        const std::string key = t.FieldText("DATE");
        Date day;
        if (!ShowableKey(key, day)) continue;
        std::string text;
        try {
            text = t.FieldText("ENTRY");
        } catch (const TXbError&) {
            step.unreadable.push_back(key);
            continue;
        }
        if (matcher_.Contains(text, searchText_)) {
            step.day = day;
            matchKey_ = key;
            matchRecNo_ = t.RecNo();
            return true;
        }
    }
    return false;
}

void DiarySearch::StandOnShownDay(Date shownDay) {
    const std::string key = DateToKey(shownDay);
    if (!storage_.FindDateRecord(shownDay) || key != matchKey_) return;
    // Two records with one key (damage): go on from the one that matched,
    // or the steps would find the same record for ever.
    TXbDataSet& t = storage_.DiaryTable;
    while (!t.Eof() && t.RecNo() != matchRecNo_ && t.FieldText("DATE") == key) t.Next();
    if (t.Eof() || t.RecNo() != matchRecNo_) storage_.FindDateRecord(shownDay);
}

void DiarySearch::Finish(SearchStep& step, Date shownDay, const char* noneText) {
    step.walked = true;
    step.found = searchFound_;
    if (!searchFound_) {
        step.day = shownDay;
        step.message = noneText;
        matchKey_.clear();
    }
    // Every save writes to the current record: leave the data set on the
    // record of the day the window will show.
    storage_.FindDateRecord(step.day);
}

SearchStep DiarySearch::FindEntryContaining(const std::string& text, Date shownDay) {
    SearchStep step;
    step.day = shownDay;
    if (text.empty()) return step;
    storage_.DiaryEngine.SetOrder(1);
    storage_.DiaryTable.First();
    searchText_ = text;
    searchFound_ = false;
    try {
        searchFound_ = Walk(step);
    } catch (...) {
        storage_.FindDateRecord(shownDay);
        throw;
    }
    Finish(step, shownDay, kNoMatchesText);
    return step;
}

SearchStep DiarySearch::FindNextEntry(Date shownDay) {
    SearchStep step;
    step.day = shownDay;
    StandOnShownDay(shownDay);
    storage_.DiaryTable.Next();
    searchFound_ = false;
    try {
        if (!searchText_.empty()) searchFound_ = Walk(step);
    } catch (...) {
        storage_.FindDateRecord(shownDay);
        throw;
    }
    Finish(step, shownDay, kNoMoreMatchesText);
    return step;
}

std::vector<std::string> DiarySearch::AllMatchingDays(const std::string& text, std::vector<std::string>* unreadable) {
    std::vector<std::string> days;
    if (text.empty()) return days;
    // The program's own search state stays as it was.
    const std::string keptText = searchText_, keptKey = matchKey_;
    const long keptRecNo = matchRecNo_;
    struct Restore {
        DiarySearch& s;
        const std::string &text, &key;
        long recNo;
        ~Restore() {
            s.searchText_ = text;
            s.matchKey_ = key;
            s.matchRecNo_ = recNo;
        }
    } restore{*this, keptText, keptKey, keptRecNo};
    searchText_ = text;
    TXbDataSet& t = storage_.DiaryTable;
    SearchStep step;
    for (t.First(); !t.Eof(); t.Next()) {
        if (!Walk(step)) break;
        days.push_back(matchKey_);
    }
    // Without the index the walk follows the table's own order.
    std::stable_sort(days.begin(), days.end());
    if (unreadable) *unreadable = step.unreadable;
    return days;
}

}  // namespace quill
