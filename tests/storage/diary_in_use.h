#pragma once
// The check that a pack and rebuild, finished or failed, handed the diary
// table back as the rest of the program expects it. Shared by the storage
// tests and the "Rebuild Indexes" dialog tests.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "dates/date_keys.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"

namespace quill::test {

// Deleted records hidden, FILTER set again, date order, controls enabled,
// every entry of LIVE (date key to text) found with its text, and GONE (a
// removed day) not found. The filter is lifted while the entries are looked
// up and set again afterwards.
inline void ExpectDiaryInUse(DiaryStorage& s, const std::string& filter,
                             const std::map<std::string, std::string>& live, Date gone) {
    EXPECT_TRUE(s.XbEnv1.Deleted());
    EXPECT_EQ(s.DiaryEngine.DBFilter(), filter);
    EXPECT_EQ(s.DiaryEngine.IndexOrd(), 1);
    EXPECT_FALSE(s.DiaryTable.ControlsDisabled());
    s.DiaryEngine.SetFilter("");
    for (const auto& [key, text] : live) {
        Date day;
        ASSERT_TRUE(KeyToDate(key, day));
        ASSERT_TRUE(s.FindDateRecord(day)) << key;
        EXPECT_EQ(s.CurrentEntryText(), text) << key;
    }
    EXPECT_FALSE(s.FindDateRecord(gone));
    s.DiaryEngine.SetFilter(filter);
}

}  // namespace quill::test
