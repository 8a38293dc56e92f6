// The engine wrapper: orders, the work-area rule, filter, creation.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

using test::D;
using test::EntryFor;
using test::OpenDiary;
using test::SaveDay;

TEST(XbTable, SetOrderBeyondTheIndexListLeavesTheOrder) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    EXPECT_EQ(s->DiaryEngine.SetOrder(1), 1);  // already date order after opening
    EXPECT_EQ(s->DiaryEngine.SetOrder(2), 1);
    EXPECT_EQ(s->DiaryEngine.IndexOrd(), 1);
    EXPECT_EQ(s->DiaryEngine.SetOrder(0), 1);
    EXPECT_EQ(s->DiaryEngine.IndexOrd(), 0);
    EXPECT_EQ(s->DiaryEngine.SetOrder(7), 0);
    EXPECT_EQ(s->DiaryEngine.IndexOrd(), 0);
    EXPECT_EQ(s->DiaryEngine.SetOrder(-1), 0);
    EXPECT_EQ(s->DiaryEngine.IndexOrd(), 0);
    EXPECT_EQ(s->DiaryEngine.SetOrder(1), 0);
    EXPECT_EQ(s->DiaryEngine.TagArea("DATE"), 1);
    EXPECT_EQ(s->DiaryEngine.TagArea("date"), 1);
}

TEST(XbTable, NaturalOrderWalksRecordsAsAppended) {
    TempFolder dir;
    auto s = OpenDiary(dir.path());
    for (int d : {3, 1, 2}) SaveDay(*s, D(2024, 8, d), EntryFor(D(2024, 8, d)));
    s->DiaryEngine.SetOrder(0);
    std::string seen;
    for (s->DiaryTable.First(); !s->DiaryTable.Eof(); s->DiaryTable.Next()) seen += s->DiaryTable.FieldText("DATE").substr(7);
    EXPECT_EQ(seen, "312");
    s->DiaryEngine.SetOrder(1);
    seen.clear();
    for (s->DiaryTable.First(); !s->DiaryTable.Eof(); s->DiaryTable.Next()) seen += s->DiaryTable.FieldText("DATE").substr(7);
    EXPECT_EQ(seen, "123");
    seen.clear();
    for (s->DiaryTable.Last(); !s->DiaryTable.Bof(); s->DiaryTable.Prior()) seen += s->DiaryTable.FieldText("DATE").substr(7);
    EXPECT_EQ(seen, "321");
}

TEST(XbTable, EveryOperationRestoresThePreviouslySelectedArea) {
    TempFolder mine, other;
    auto s = OpenDiary(mine.path());
    for (int d : {1, 2, 3}) SaveDay(*s, D(2024, 9, d), EntryFor(D(2024, 9, d)));
    SaveDay(*s, D(2024, 9, 2), "");
    auto o = OpenDiary(other.path());
    const int otherArea = o->DiaryTable.WorkArea();
    ASSERT_NE(otherArea, s->DiaryTable.WorkArea());

    TXbTable& t = s->DiaryEngine;
    const std::vector<std::pair<const char*, std::function<void()>>> ops = {
        {"SetOrder", [&] { t.SetOrder(1); }},
        {"Seek found", [&] { EXPECT_TRUE(t.Seek("20240901")); }},
        {"Seek missing", [&] { EXPECT_FALSE(t.Seek("20240902")); }},
        {"TagArea", [&] { EXPECT_EQ(t.TagArea("DATE"), 1); }},
        {"IndexOrd", [&] { EXPECT_EQ(t.IndexOrd(), 1); }},
        {"DBFilter", [&] { t.DBFilter(); }},
        {"Filter", [&] { EXPECT_NE(t.SetFilter("DATE <> \"20240901\""), 0); }},
        {"Filter clear", [&] { EXPECT_NE(t.SetFilter(""), 0); }},
        {"IndexTag", [&] { s->CreateDiaryIndex(); }},
        {"CloseIndexes", [&] { t.CloseIndexes(); }},
        {"IndexOpen", [&] { EXPECT_NE(t.IndexOpen(mine.path() + "QUILLBK.CDX"), 0); }},
        {"DbfEncrypt", [&] {
             t.SetPassword("AREA");
             EXPECT_TRUE(t.DbfEncrypt());
         }},
        {"KeyState", [&] { EXPECT_EQ(t.KeyState(), xb::XB_KEY_OPEN); }},
        {"DbfChangePassword", [&] { EXPECT_TRUE(t.DbfChangePassword("AREA 2")); }},
        {"DbfDecrypt", [&] { EXPECT_TRUE(t.DbfDecrypt()); }},
        {"SetPassword", [&] { t.SetPassword(""); }},
        {"SetGaugeHook", [&] { t.SetGaugeHook({}); }},
        {"TurboRead", [&] { t.SetTurboRead(false); }},
        {"Pack", [&] { t.Pack(); }},
        {"FindDateRecord", [&] { s->FindDateRecord(D(2024, 9, 3)); }},
        {"SaveEntry", [&] { s->SaveEntry(D(2024, 9, 3), EntryFor(D(2024, 9, 3), 1)); }},
    };
    for (const auto& [name, op] : ops) {
        xb::xb_Select(otherArea);
        op();
        EXPECT_EQ(xb::xb_Selected(), otherArea) << name;
        EXPECT_EQ(t.PreviousArea(), otherArea) << name;
    }
    // With its own area selected before, that area simply stays selected.
    xb::xb_Select(s->DiaryTable.WorkArea());
    t.SetOrder(1);
    EXPECT_EQ(xb::xb_Selected(), s->DiaryTable.WorkArea());
    // The other diary was not touched by any of it.
    EXPECT_EQ(o->FirstEntry(), Today());
}

TEST(XbTable, ClosedDataSetOnlyRemembersTheArea) {
    TempFolder other;
    auto o = OpenDiary(other.path());
    const int otherArea = o->DiaryTable.WorkArea();
    TXbDataSet closed;
    TXbDataSource source(&closed);
    TXbTable t;
    t.SetDataSource(&source);
    xb::xb_Select(otherArea);
    EXPECT_EQ(t.SetFilter("DATE = \"x\""), 1);  // kept for when the table opens
    EXPECT_EQ(t.Filter(), "DATE = \"x\"");
    EXPECT_EQ(t.IndexOrd(), 0);
    EXPECT_EQ(t.SetOrder(1), 0);
    EXPECT_EQ(t.PreviousArea(), otherArea);
    EXPECT_EQ(xb::xb_Selected(), otherArea);
    EXPECT_EQ(o->DiaryEngine.Filter(), "");
}

TEST(XbTable, FilterIsReappliedWhenTheDataSetOpens) {
    TempFolder dir;
    {
        auto s = OpenDiary(dir.path());
        for (int d : {1, 2, 3}) SaveDay(*s, D(2024, 10, d), EntryFor(D(2024, 10, d)));
    }
    DiaryStorage s(dir.path());
    s.DiaryEngine.SetFilter("DATE <> \"20241001\"");
    ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
    EXPECT_EQ(s.DiaryEngine.DBFilter(), "DATE <> \"20241001\"");
    EXPECT_EQ(s.FirstEntry(), D(2024, 10, 2));
    s.DiaryEngine.SetFilter("");
    EXPECT_EQ(s.FirstEntry(), D(2024, 10, 1));
}

TEST(XbTable, ExtraIndexesOpenWithTheDataSet) {
    TempFolder dir;
    {
        auto s = OpenDiary(dir.path());
        SaveDay(*s, D(2024, 10, 1), EntryFor(D(2024, 10, 1)));
        s->DiaryEngine.IndexTag(dir.path() + "EXTRA.CDX", "BYDATE", "date", 0, false, "");
    }
    DiaryStorage s(dir.path());
    s.DiaryEngine.ExtraIndexes = {dir.path() + "EXTRA.CDX"};
    ASSERT_TRUE(s.OpenDiaryFile()) << s.LastError();
    EXPECT_NE(s.DiaryEngine.TagArea("BYDATE"), 0);
    EXPECT_EQ(s.DiaryEngine.IndexList().size(), 2u);
}

TEST(XbTable, CreateExecFailsWithoutAStructure) {
    TXbTable t;
    EXPECT_FALSE(t.CreateExec());
    TempFolder dir;
    EXPECT_TRUE(t.CreateNew(dir.path() + "OTHER.DBF", xb::XB_DRIVER_CDX, 1));
    t.CreateField("NAME", 'C', 20, 0);
    EXPECT_TRUE(t.CreateExec());
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "OTHER.DBF"));
    EXPECT_EQ(xb::xb_WorkArea("XXXXXXXXXX"), 0) << "the created table was left open";
}

}  // namespace
}  // namespace quill
