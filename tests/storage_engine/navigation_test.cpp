#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/engine/xb_engine.h"
#include "tests/storage_engine/engine_test_support.h"

namespace quill::xb::test {
namespace {

class Navigation : public EngineTest {
 protected:
  // Records 1..5 with keys in scrambled order; record 2 and 4 removed the
  // way the diary removes an entry (empty key, empty memo, deleted flag).
  void SetUp() override {
    EngineTest::SetUp();
    CreateDiary(dir);
    const char* keys[] = {"20240105", "20240101", "20240103", "20240102", "20240104"};
    for (const char* k : keys) AddEntry(k, std::string("text ") + k);
    for (long r : {2L, 4L}) {
      ASSERT_NE(xb_Go(r), 0);
      ASSERT_NE(xb_FieldPut("DATE", ""), 0);
      ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, ""), 0);
      ASSERT_NE(xb_Delete(), 0);
    }
  }

  std::vector<long> Walk(bool backward = false) {
    std::vector<long> out;
    if (!backward) {
      for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) out.push_back(xb_RecNo());
    } else {
      for (xb_GoBottom(); !xb_Bof() && !xb_Eof(); xb_Skip(-1)) out.push_back(xb_RecNo());
    }
    return out;
  }
};

TEST_F(Navigation, WalksInIndexAndRecordOrderWithDeletedOnAndOff) {
  struct Case {
    int order;
    bool deleted;
    std::vector<long> forward;
  } cases[] = {
      {0, false, {1, 2, 3, 4, 5}},
      {0, true, {1, 3, 5}},
      {1, false, {2, 4, 3, 5, 1}},   // blank keys sort first, by record number
      {1, true, {3, 5, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("order " + std::to_string(c.order) + (c.deleted ? " deleted on" : " deleted off"));
    xb_SetDeleted(c.deleted);
    xb_SetOrder(c.order);
    EXPECT_EQ(Walk(), c.forward);
    std::vector<long> back(c.forward.rbegin(), c.forward.rend());
    EXPECT_EQ(Walk(true), back);
  }
}

TEST_F(Navigation, BofAndEofAtTheEnds) {
  xb_SetDeleted(true);
  xb_SetOrder(1);
  xb_GoTop();
  EXPECT_EQ(xb_RecNo(), 3);
  xb_Skip(-1);
  EXPECT_TRUE(xb_Bof());
  EXPECT_FALSE(xb_Eof());
  EXPECT_EQ(xb_RecNo(), 3) << "stays on the first visible record";
  xb_GoBottom();
  EXPECT_EQ(xb_RecNo(), 1);
  xb_Skip(1);
  EXPECT_TRUE(xb_Eof());
  EXPECT_EQ(xb_RecNo(), xb_RecCount() + 1);
  EXPECT_EQ(xb_FieldGet("DATE"), "        ");
  xb_Skip(-1);
  EXPECT_FALSE(xb_Eof());
  EXPECT_EQ(xb_RecNo(), 1);
}

TEST_F(Navigation, EmptyVisibleSetGivesBofAndEof) {
  xb_SetDeleted(true);
  ASSERT_NE(xb_Query("DATE = \"1999\""), 0) << xb_ErrorText();
  for (int order : {0, 1}) {
    xb_SetOrder(order);
    xb_GoTop();
    EXPECT_TRUE(xb_Eof());
    EXPECT_TRUE(xb_Bof());
    xb_GoBottom();
    EXPECT_TRUE(xb_Eof());
  }
}

TEST_F(Navigation, SeekFindsVisibleRecordsOnly) {
  xb_SetDeleted(true);
  xb_SetOrder(1);
  EXPECT_NE(xb_Seek("20240103"), 0);
  EXPECT_EQ(xb_RecNo(), 3);
  EXPECT_EQ(xb_MemoGet("ENTRY"), "text 20240103");
  EXPECT_EQ(xb_Seek("20240101"), 0) << "record 2 was removed";
  EXPECT_TRUE(xb_Eof());
  EXPECT_EQ(xb_Seek("        "), 0) << "removed entries are invisible";
  xb_SetDeleted(false);
  EXPECT_NE(xb_Seek("        "), 0);
  EXPECT_EQ(xb_RecNo(), 2);
  EXPECT_NE(xb_Seek("202401"), 0) << "a shorter key matches a prefix";
  EXPECT_EQ(xb_RecNo(), 3);
  xb_SetExact(true);
  EXPECT_EQ(xb_Seek("202401"), 0);
  xb_SetExact(false);
  xb_SetSoftSeek(true);
  EXPECT_EQ(xb_Seek("20240104x"), 0);
  EXPECT_FALSE(xb_Eof());
  EXPECT_EQ(xb_FieldGet("DATE"), "20240105");
  xb_SetSoftSeek(false);
  xb_SetOrder(0);
  EXPECT_EQ(xb_Seek("20240103"), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_ARG);
}

TEST_F(Navigation, SetOrderBeyondTheListKeepsTheOrder) {
  xb_SetOrder(1);
  EXPECT_EQ(xb_SetOrder(5), 1);
  EXPECT_EQ(xb_IndexOrd(), 1);
  EXPECT_EQ(xb_SetOrder(0), 1);
  EXPECT_EQ(xb_IndexOrd(), 0);
}

TEST_F(Navigation, FilterIsKeptAndApplied) {
  ASSERT_NE(xb_Query("DATE >= \"20240103\" .AND. .NOT. DELETED()"), 0) << xb_ErrorText();
  EXPECT_EQ(xb_DBFilter(), "DATE >= \"20240103\" .AND. .NOT. DELETED()");
  xb_SetOrder(1);
  EXPECT_EQ(Walk(), (std::vector<long>{3, 5, 1}));
  ASSERT_NE(xb_Query("UPPER(date) = '2024010'"), 0);
  xb_SetOrder(0);
  EXPECT_EQ(Walk(), (std::vector<long>{1, 3, 5}));
  // Unsupported expressions are refused and leave the filter as it was.
  for (const char* bad : {"VAL(DATE) > 3", "NOSUCH = \"x\"", "DATE = ", "DATE"}) {
    EXPECT_EQ(xb_Query(bad), 0) << bad;
    EXPECT_EQ(xb_Error(), XB_ERR_UNSUPPORTED) << bad;
    EXPECT_EQ(xb_DBFilter(), "UPPER(date) = '2024010'");
  }
  ASSERT_NE(xb_Query(""), 0);
  EXPECT_EQ(Walk().size(), 5u);
}

TEST_F(Navigation, PutRecordWritesFieldsButNeverMemoPointers) {
  xb_SetOrder(1);
  ASSERT_NE(xb_Seek("20240103"), 0);
  std::string buf(static_cast<std::size_t>(xb_RecSize()), '\0');
  ASSERT_NE(xb_GetRecord(buf.data()), 0);
  std::string stale = buf;
  ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, "new text"), 0);
  stale.replace(1, 8, "20231231");
  ASSERT_NE(xb_PutRecord(stale.data()), 0);
  EXPECT_EQ(xb_MemoGet("ENTRY"), "new text") << "stale buffer must not bring the old memo back";
  EXPECT_NE(xb_Seek("20231231"), 0);
  EXPECT_EQ(xb_RecNo(), 3);
  EXPECT_EQ(xb_Seek("20240103"), 0) << "old key left the index";
  ASSERT_NE(xb_Go(3), 0);
  EXPECT_EQ(xb_FieldPut("DATE", "123456789"), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_ARG);
  EXPECT_EQ(xb_FieldGet("NOSUCH"), "");
  EXPECT_EQ(xb_Error(), XB_ERR_ARG);
}

TEST_F(Navigation, OperationsWithoutATableFailCleanly) {
  xb_CloseAll();
  xb_Select(7);
  EXPECT_EQ(xb_GoTop(), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_NO_TABLE);
  EXPECT_TRUE(xb_Eof());
  EXPECT_EQ(xb_AppendBlank(), 0);
  EXPECT_EQ(xb_GetMemo("ENTRY", 0), nullptr);
  EXPECT_FALSE(xb_ErrorText().empty());
  EXPECT_FALSE(xb_Version().empty());
}

}  // namespace
}  // namespace quill::xb::test
