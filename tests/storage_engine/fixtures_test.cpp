#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "storage/engine/xb_engine.h"
#include "tests/storage_engine/engine_test_support.h"

namespace quill::xb::test {
namespace {

const std::string kFixtures = QUILL_XBASE_FIXTURES;

class Fixtures : public EngineTest {};

std::vector<long> WalkOrder(int order) {
  xb_SetOrder(order);
  std::vector<long> out;
  for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) out.push_back(xb_RecNo());
  return out;
}

TEST_F(Fixtures, EveryTableOpensWithItsRecordsMemosAndTags) {
  struct Case {
    const char* file;
    long records;
    std::vector<std::string> tags;
    const char* memoField;
    long memoRecord;
    const char* memoStart;
  } cases[] = {
      {"afox5.dbf", 2, {}, "MESSAGE", 2, "second mess"},
      {"calls.dbf", 16, {"CALL_ID", "CONTACT_ID"}, "NOTES", 2, "Usual monthly order."},
      {"contacts.dbf", 5, {"CONTACT_ID", "TYPE_ID"}, "NOTES", 2, "Janet has a B.S. degree"},
      {"rooms.dbf", 42, {"ROOMNAME", "FACILITY", "AUDIO", "MAIN", "FILM"}, nullptr, 0, nullptr},
      {"setup.dbf", 3, {"KEY_NAME"}, nullptr, 0, nullptr},
      {"types.dbf", 2, {"TYPE_ID"}, nullptr, 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    int area = xb_Use(kFixtures + "/" + c.file, "", XB_MODE_READONLY, 2);
    ASSERT_NE(area, 0) << xb_ErrorText();
    EXPECT_EQ(xb_RecCount(), c.records);
    EXPECT_EQ(xb_IndexList(), c.tags);
    if (c.memoField) {
      ASSERT_NE(xb_Go(c.memoRecord), 0);
      std::string memo = xb_MemoGet(c.memoField);
      EXPECT_EQ(xb_Error(), XB_OK) << xb_ErrorText();
      EXPECT_EQ(memo.rfind(c.memoStart, 0), 0u) << memo;
      for (long r = 1; r <= c.records; ++r) {
        xb_Go(r);
        xb_MemoGet(c.memoField);
        EXPECT_EQ(xb_Error(), XB_OK) << "record " << r << ": " << xb_ErrorText();
      }
    }
    // Every tag lists each of its records once, none beyond the table.
    for (std::size_t t = 0; t < c.tags.size(); ++t) {
      auto order = WalkOrder(static_cast<int>(t) + 1);
      std::vector<long> sorted = order;
      std::sort(sorted.begin(), sorted.end());
      EXPECT_TRUE(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) << c.tags[t];
      EXPECT_LE(static_cast<long>(order.size()), c.records) << c.tags[t];
      if (!order.empty()) {
        EXPECT_LE(sorted.back(), c.records);
      }
    }
    xb_Close();
  }
}

TEST_F(Fixtures, CharacterTagsWalkInKeyOrder) {
  ASSERT_NE(xb_Use(kFixtures + "/rooms.dbf", "", XB_MODE_READONLY, 2), 0) << xb_ErrorText();
  // Order as listed by Perl's XBase::Index for this file.
  auto order = WalkOrder(xb_TagArea("ROOMNAME"));
  ASSERT_EQ(order.size(), 42u);
  EXPECT_EQ(std::vector<long>(order.begin(), order.begin() + 12),
            (std::vector<long>{42, 1, 23, 40, 41, 2, 4, 8, 9, 5, 7, 11}));
  struct TagCase {
    const char* tag;
    const char* field;
    const char* facility;   // FOR condition: only this facility
  } tags[] = {{"ROOMNAME", "ROOMNAME", nullptr}, {"FACILITY", "FACILITY", nullptr},
              {"AUDIO", "ROOMNAME", "AUDIO"},     {"MAIN", "ROOMNAME", "MAIN"},
              {"FILM", "ROOMNAME", "FILM"}};
  for (const auto& t : tags) {
    SCOPED_TRACE(t.tag);
    xb_SetOrder(xb_TagArea(t.tag));
    std::string prev;
    int n = 0;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1), ++n) {
      std::string v = xb_FieldGet(t.field);
      EXPECT_LE(prev, v);
      prev = v;
      if (t.facility) {
        std::string f = xb_FieldGet("FACILITY");
        while (!f.empty() && f.back() == ' ') f.pop_back();
        std::transform(f.begin(), f.end(), f.begin(), ::toupper);
        EXPECT_EQ(f, t.facility);
      }
    }
    EXPECT_GT(n, 0);
    std::string first = (xb_GoTop(), xb_FieldGet(t.field));
    ASSERT_NE(xb_Seek(first), 0);
  }
  xb_SetOrder(xb_TagArea("ROOMNAME"));
  ASSERT_NE(xb_Seek("Bay  5"), 0);
  EXPECT_EQ(xb_RecNo(), 5);
}

TEST_F(Fixtures, ReadingNeverChangesTheFilesAndForeignTagsKeepTablesReadOnly) {
  std::string before = ReadFile(kFixtures + "/calls.CDX") + ReadFile(kFixtures + "/calls.dbf");
  ASSERT_NE(xb_Use(kFixtures + "/calls.dbf", "", XB_MODE_READONLY, 2), 0);
  WalkOrder(1);
  xb_CloseAll();
  EXPECT_EQ(ReadFile(kFixtures + "/calls.CDX") + ReadFile(kFixtures + "/calls.dbf"), before);
  // A copy opened for writing: integer-key tags cannot be maintained here,
  // so writes are refused instead of leaving a wrong index.
  for (const char* ext : {".dbf", ".FPT", ".CDX"}) WriteFile(dir / (std::string("calls") + ext), ReadFile(kFixtures + "/calls" + ext));
  ASSERT_NE(xb_Use(dir / "calls.dbf", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
  EXPECT_EQ(xb_AppendBlank(), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_UNSUPPORTED);
  EXPECT_NE(xb_ErrorText().find("CALL_ID"), std::string::npos) << xb_ErrorText();
  xb_CloseAll();
  // rooms: every tag is understood, so a copy takes changes.
  WriteFile(dir / "rooms.dbf", ReadFile(kFixtures + "/rooms.dbf"));
  WriteFile(dir / "rooms.cdx", ReadFile(kFixtures + "/rooms.cdx"));
  ASSERT_NE(xb_Use(dir / "rooms.dbf", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
  ASSERT_NE(xb_AppendBlank(), 0) << xb_ErrorText();
  ASSERT_NE(xb_FieldPut("ROOMNAME", "AAA"), 0);
  ASSERT_NE(xb_FieldPut("FACILITY", "audio"), 0);
  ASSERT_NE(xb_Commit(), 0);
  xb_CloseAll();
  ASSERT_NE(xb_Use(dir / "rooms.dbf", "", XB_MODE_READONLY, 2), 0);
  xb_SetOrder(xb_TagArea("AUDIO"));
  xb_GoTop();
  EXPECT_EQ(xb_RecNo(), 43);
}

}  // namespace
}  // namespace quill::xb::test
