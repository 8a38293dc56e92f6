// What the program's table layer offers the window for the date selector and
// the search across entries, over a real table in a temporary folder.

#include <gtest/gtest.h>

#ifdef QUILLBOOK_HAVE_STORAGE

#include <QTemporaryDir>

#include "app/diary_store.h"
#include "app/entry_search/diary_search.h"
#include "storage/diary_storage.h"
#include "storage/entry_text.h"

namespace quill {
namespace {

void Write(const std::string& folder, Date day, const std::string& words) {
    DiaryStorage s(folder);
    ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
    s.FindDateRecord(day);
    s.SaveEntry(day, StoredEntryText("{\\rtf1\\ansi " + words + "\\par }"));
}

TEST(DiaryStoreForTheWindow, MarksAndSearchComeFromTheOpenTable) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    Write(folder, Date{2024, 4, 2}, "rain all day");
    Write(folder, Date{2024, 4, 20}, "the Rain stopped");
    Write(folder, Date{2024, 5, 1}, "sun");

    auto store = MakeDiaryStore();
    std::vector<std::string> days{"stale"};
    store->GetDaysWithEntries(days, 2024, 4);
    EXPECT_TRUE(days.empty()) << "no table open yet";
    EXPECT_EQ(store->EntrySearch(), nullptr);

    ASSERT_TRUE(store->OpenDiaryFile(folder)) << store->LastError();
    ASSERT_TRUE(store->FindDateRecord(Date{2024, 5, 1}));
    store->GetDaysWithEntries(days, 2024, 4);
    EXPECT_EQ(days, (std::vector<std::string>{"2", "20"}));

    DiarySearch* search = store->EntrySearch();
    ASSERT_NE(search, nullptr);
    EXPECT_FALSE(search->SearchFound());
    SearchStep step = search->FindEntryContaining("rain", Date{2024, 5, 1});
    EXPECT_EQ(step.day, (Date{2024, 4, 2}));
    step = search->FindNextEntry(step.day);
    EXPECT_EQ(step.day, (Date{2024, 4, 20}));
    step = search->FindNextEntry(step.day);
    EXPECT_EQ(step.message, kNoMoreMatchesText);
    EXPECT_FALSE(search->SearchFound());
}

}  // namespace
}  // namespace quill

#endif
