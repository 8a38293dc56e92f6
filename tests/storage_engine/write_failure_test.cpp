#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/stat.h>

#include "storage/engine/xb_engine.h"
#include "tests/storage_engine/engine_test_support.h"

namespace quill::xb::test {
namespace {

class WriteFailure : public EngineTest {
 protected:
  static std::string Key(int i) { return "2022" + std::string(i < 10 ? "010" : "01") + std::to_string(i); }
  void ExpectCommittedIntact(int n) {
    ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
    xb_SetOrder(1);
    for (int i = 1; i <= n; ++i) {
      ASSERT_NE(xb_Seek(Key(i)), 0) << Key(i);
      EXPECT_EQ(xb_MemoGet("ENTRY"), "committed " + std::to_string(i));
    }
  }
};

// Fails the k-th write of a whole save (append, key, memo, commit) for
// every k, then checks the table still opens with all committed entries.
TEST_F(WriteFailure, EveryFailedWriteOfASaveLeavesTheCommittedEntriesIntact) {
  CreateDiary(dir);
  for (int i = 1; i <= 5; ++i) AddEntry(Key(i), "committed " + std::to_string(i));
  ASSERT_NE(xb_Commit(), 0);
  xb_CloseAll();
  for (int k = 1; k <= 40; ++k) {
    SCOPED_TRACE("failing write " + std::to_string(k));
    ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
    xb_SetOrder(1);
    int count = 0;
    xb_SetWriteFaultHook([&](const std::string&, std::size_t) { return ++count == k ? ENOSPC : 0; });
    bool ok = xb_AppendBlank() && xb_FieldPut("DATE", Key(20 + k)) &&
              xb_Replace("ENTRY", XB_MEMO_TEXT, std::string(300, 'n').c_str()) && xb_Seek(Key(3)) &&
              xb_Replace("ENTRY", XB_MEMO_TEXT, "changed 3") && xb_Commit();
    if (!ok) {
      EXPECT_EQ(xb_Error(), XB_ERR_IO);
      EXPECT_NE(xb_ErrorText().find("QUILLBK."), std::string::npos) << xb_ErrorText();
      EXPECT_NE(xb_ErrorText().find("No space left"), std::string::npos) << xb_ErrorText();
    }
    xb_SetWriteFaultHook({});
    xb_CloseAll();
    ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
    xb_SetOrder(1);
    for (int i = 1; i <= 5; ++i) {
      ASSERT_NE(xb_Seek(Key(i)), 0) << Key(i);
      std::string text = xb_MemoGet("ENTRY");
      if (i == 3 && ok) EXPECT_EQ(text, "changed 3");
      else if (i == 3) EXPECT_TRUE(text == "committed 3" || text == "changed 3") << text;
      else EXPECT_EQ(text, "committed " + std::to_string(i));
    }
    // Undo the change for the next round.
    ASSERT_NE(xb_Seek(Key(3)), 0);
    ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, "committed 3"), 0);
    ASSERT_NE(xb_Commit(), 0);
    xb_CloseAll();
    if (ok) break;   // k passed the number of writes a save needs
  }
}

TEST_F(WriteFailure, FailedPackAndIndexBuildLeaveTheOldFiles) {
  CreateDiary(dir);
  for (int i = 1; i <= 12; ++i) AddEntry(Key(i), "committed " + std::to_string(i));
  ASSERT_NE(xb_Go(2), 0);
  ASSERT_NE(xb_Delete(), 0);
  ASSERT_NE(xb_Recall(), 0);
  ASSERT_NE(xb_Commit(), 0);
  xb_CloseAll();
  const std::string dbf = ReadFile(dir / "QUILLBK.DBF");
  const std::string cdx = ReadFile(dir / "QUILLBK.CDX");
  for (const char* target : {".pack-new", "QUILLBK.DBF", "QUILLBK.FPT", "QUILLBK.CDX"}) {
    SCOPED_TRACE(target);
    ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
    xb_SetWriteFaultHook([&](const std::string& path, std::size_t) {
      return path.find(target) != std::string::npos ? ENOSPC : 0;
    });
    EXPECT_EQ(xb_Pack(), 0);
    EXPECT_EQ(xb_Error(), XB_ERR_IO) << xb_ErrorText();
    xb_SetWriteFaultHook([&](const std::string& path, std::size_t) {
      return path.find(target) != std::string::npos || path.find(".new") != std::string::npos ? ENOSPC : 0;
    });
    EXPECT_EQ(xb_IndexTag("", "DATE", "date", 0, 0, ""), 0);
    xb_SetWriteFaultHook({});
    xb_CloseAll();
    EXPECT_FALSE(FileExistsForTest(dir / "QUILLBK.DBF.pack-new"));
    EXPECT_FALSE(FileExistsForTest(dir / "QUILLBK.CDX.new"));
    ExpectCommittedIntact(12);
    xb_CloseAll();
  }
  EXPECT_EQ(ReadFile(dir / "QUILLBK.DBF").size(), dbf.size());
  (void)cdx;
}

TEST_F(WriteFailure, ReadOnlyOpenAndReadOnlyFilesRefuseWrites) {
  CreateDiary(dir);
  AddEntry(Key(1), "committed 1");
  xb_CloseAll();
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_READONLY, 2), 0);
  ASSERT_NE(xb_Go(1), 0);
  EXPECT_EQ(xb_Replace("ENTRY", XB_MEMO_TEXT, "x"), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_READONLY);
  EXPECT_NE(xb_ErrorText().find("QUILLBK.DBF"), std::string::npos);
  EXPECT_EQ(xb_Pack(), 0);
  EXPECT_EQ(xb_IndexTag("", "DATE", "date", 0, 0, ""), 0);
  xb_CloseAll();
  // A folder that refuses new files (EROFS) makes creation fail cleanly.
  TempFolder other;
  xb_SetWriteFaultHook([](const std::string&, std::size_t) { return EROFS; });
  ASSERT_NE(xb_CreateNew(other / "QUILLBK.DBF", "XXXXXXXXXX", 2, 2), 0);
  xb_CreateField("DATE", 'C', 8, 0);
  xb_CreateField("ENTRY", 'M', 10, 0);
  EXPECT_EQ(xb_CreateExec(), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_IO);
  EXPECT_NE(xb_ErrorText().find("Read-only file system"), std::string::npos) << xb_ErrorText();
  xb_Close();
  xb_SetWriteFaultHook({});
  EXPECT_FALSE(FileExistsForTest(other / "QUILLBK.DBF"));
  ExpectCommittedIntact(1);
}

}  // namespace
}  // namespace quill::xb::test
