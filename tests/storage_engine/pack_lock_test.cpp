#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "storage/engine/xb_engine.h"
#include "tests/storage_engine/engine_test_support.h"

namespace quill::xb::test {
namespace {

class PackAndLocks : public EngineTest {
 protected:
  void MakeDiaryWithRemovedEntries() {
    CreateDiary(dir);
    for (int i = 1; i <= 30; ++i) {
      char key[9];
      std::snprintf(key, sizeof key, "202401%02d", i);
      AddEntry(key, std::string(100 + i * 50, static_cast<char>('a' + i % 26)));
      if (i % 3 == 0) {
        xb_FieldPut("DATE", "");
        xb_Replace("ENTRY", XB_MEMO_TEXT, "");
        xb_Delete();
      }
    }
    ASSERT_NE(xb_Commit(), 0);
  }
};

TEST_F(PackAndLocks, PackRemovesDeletedRecordsKeepsMemosAndRebuildsTheIndex) {
  MakeDiaryWithRemovedEntries();
  // Leave dead memo blocks behind, too.
  ASSERT_NE(xb_Go(1), 0);
  for (int i = 0; i < 5; ++i) xb_Replace("ENTRY", XB_MEMO_TEXT, std::string(2000 + i, 'q').c_str());
  std::size_t memoBefore = ReadFile(dir / "QUILLBK.FPT").size();
  std::vector<int> gauge;
  xb_SetGaugeHook([&](int p) { gauge.push_back(p); });
  ASSERT_NE(xb_Pack(), 0) << xb_ErrorText();
  xb_SetGaugeHook({});
  EXPECT_EQ(xb_RecCount(), 20);
  ASSERT_FALSE(gauge.empty());
  EXPECT_EQ(gauge.back(), 100);
  EXPECT_TRUE(std::is_sorted(gauge.begin(), gauge.end()));
  EXPECT_LT(ReadFile(dir / "QUILLBK.FPT").size(), memoBefore);
  auto check = [&] {
    xb_SetOrder(1);
    for (int i = 1; i <= 30; ++i) {
      char key[9];
      std::snprintf(key, sizeof key, "202401%02d", i);
      if (i % 3 == 0) {
        EXPECT_EQ(xb_Seek(key), 0) << key;
        continue;
      }
      ASSERT_NE(xb_Seek(key), 0) << key;
      std::string want = i == 1 ? std::string(2004, 'q') : std::string(100 + i * 50, static_cast<char>('a' + i % 26));
      EXPECT_EQ(xb_MemoGet("ENTRY"), want) << key;
    }
  };
  check();
  xb_CloseAll();
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
  EXPECT_EQ(xb_RecCount(), 20);
  check();
  EXPECT_FALSE(FileExistsForTest(dir / "QUILLBK.DBF.pack-new"));
}

TEST_F(PackAndLocks, PackWithoutDeletedRecordsKeepsEverythingInOrder) {
  CreateDiary(dir);
  AddEntry("20240102", "b");
  AddEntry("20240101", "a");
  ASSERT_NE(xb_Pack(), 0);
  xb_SetOrder(0);
  xb_GoTop();
  EXPECT_EQ(xb_FieldGet("DATE"), "20240102");
  EXPECT_EQ(xb_MemoGet("ENTRY"), "b");
  xb_SetOrder(1);
  xb_GoTop();
  EXPECT_EQ(xb_FieldGet("DATE"), "20240101");
}

TEST_F(PackAndLocks, AnInterruptedPackIsFinishedOrDiscardedOnOpen) {
  MakeDiaryWithRemovedEntries();
  xb_CloseAll();
  const std::string oldDbf = ReadFile(dir / "QUILLBK.DBF");
  const std::string oldFpt = ReadFile(dir / "QUILLBK.FPT");
  // Make the packed pair by packing a copy.
  TempFolder other;
  WriteFile(other / "QUILLBK.DBF", oldDbf);
  WriteFile(other / "QUILLBK.FPT", oldFpt);
  ASSERT_NE(xb_Use(other / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0);
  ASSERT_NE(xb_Pack(), 0);
  xb_CloseAll();
  const std::string newDbf = ReadFile(other / "QUILLBK.DBF");
  const std::string newFpt = ReadFile(other / "QUILLBK.FPT");

  struct Case {
    const char* what;
    bool marker, dbfNew, fptNew;   // which files the interrupted pack left
    bool expectPacked;
  } cases[] = {
      {"killed while writing the new files", false, true, true, false},
      {"killed after the marker", true, true, true, true},
      {"killed after the memo rename", true, true, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(dir / "QUILLBK.DBF", oldDbf);
    WriteFile(dir / "QUILLBK.FPT", c.fptNew ? oldFpt : newFpt);
    if (c.dbfNew) WriteFile(dir / "QUILLBK.DBF.pack-new", newDbf);
    if (c.fptNew) WriteFile(dir / "QUILLBK.FPT.pack-new", c.marker ? newFpt : newFpt.substr(0, 700));
    if (c.marker) WriteFile(dir / "QUILLBK.DBF.pack-commit", "");
    ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
    EXPECT_EQ(xb_RecCount(), c.expectPacked ? 20 : 30);
    xb_SetOrder(1);
    ASSERT_NE(xb_Seek("20240129"), 0);
    EXPECT_EQ(xb_MemoGet("ENTRY"), std::string(100 + 29 * 50, static_cast<char>('a' + 29 % 26)));
    xb_CloseAll();
    EXPECT_FALSE(FileExistsForTest(dir / "QUILLBK.DBF.pack-new"));
    EXPECT_FALSE(FileExistsForTest(dir / "QUILLBK.FPT.pack-new"));
    EXPECT_FALSE(FileExistsForTest(dir / "QUILLBK.DBF.pack-commit"));
  }
}

TEST_F(PackAndLocks, ExclusiveOpenRefusesASecondOpener) {
  CreateDiary(dir);
  xb_CloseAll();
  std::string path = dir / "QUILLBK.DBF";
  int first = xb_Use(path, "", XB_MODE_EXCLUSIVE, 2);
  ASSERT_NE(first, 0);
  // Second opener in this process (own file descriptor).
  EXPECT_EQ(xb_Use(path, "OTHER", XB_MODE_EXCLUSIVE, 2), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_LOCKED);
  EXPECT_NE(xb_ErrorText().find("QUILLBK.DBF"), std::string::npos) << xb_ErrorText();
  EXPECT_EQ(xb_Use(path, "OTHER", XB_MODE_SHARED, 2), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_LOCKED);
  // Second opener in another process.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int area = xb_Use(path, "CHILD", XB_MODE_EXCLUSIVE, 2);
    _exit(area == 0 && xb_Error() == XB_ERR_LOCKED ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child could open the locked table";
  xb_Select(first);
  xb_Close();
  // Shared openers share, but keep an exclusive opener out.
  int s1 = xb_Use(path, "S1", XB_MODE_SHARED, 2);
  int s2 = xb_Use(path, "S2", XB_MODE_READONLY, 2);
  EXPECT_NE(s1, 0);
  EXPECT_NE(s2, 0);
  EXPECT_EQ(xb_WorkArea("s1"), s1);
  EXPECT_EQ(xb_Use(path, "EX", XB_MODE_EXCLUSIVE, 2), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_LOCKED);
}

TEST_F(PackAndLocks, AliasesFollowTheFileNameAndCountUp) {
  CreateDiary(dir);
  xb_CloseAll();
  std::string copy = dir / "my-diary 2.dbf";
  WriteFile(copy, ReadFile(dir / "QUILLBK.DBF"));
  WriteFile(dir / "my-diary 2.fpt", ReadFile(dir / "QUILLBK.FPT"));
  int a = xb_Use(copy, "", XB_MODE_READONLY, 2);
  ASSERT_NE(a, 0) << xb_ErrorText();
  EXPECT_EQ(xb_Alias(), "MY_DIARY 2") << "only the first 8 characters are changed";
  int b = xb_Use(copy, "", XB_MODE_READONLY, 2);
  ASSERT_NE(b, 0);
  EXPECT_EQ(xb_Alias(), "MY_DIARY_1");
  EXPECT_EQ(xb_Select(a), b);
  EXPECT_EQ(xb_Selected(), a);
  EXPECT_EQ(xb_WorkArea("nothing"), 0);
}

}  // namespace
}  // namespace quill::xb::test
