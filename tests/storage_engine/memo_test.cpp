#include <gtest/gtest.h>

#include <string>

#include "storage/engine/xb_engine.h"
#include "tests/storage_engine/engine_test_support.h"

namespace quill::xb::test {
namespace {

class Memo : public EngineTest {};

std::string Text(std::size_t n, char seed) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (seed + i * 7) % 26);
  return s;
}

TEST_F(Memo, RoundTripsTextsOfManySizes) {
  CreateDiary(dir);
  const std::size_t sizes[] = {0, 1, 55, 56, 57, 63, 64, 120, 3000, 8184, 8185, 70000, 1 << 20};
  int i = 0;
  for (std::size_t n : sizes) {
    char key[9];
    std::snprintf(key, sizeof key, "2024%04d", ++i);
    AddEntry(key, Text(n, static_cast<char>(i)));
  }
  ASSERT_NE(xb_Commit(), 0);
  xb_CloseAll();
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_READONLY, 2), 0) << xb_ErrorText();
  i = 0;
  for (std::size_t n : sizes) {
    ASSERT_NE(xb_Go(++i), 0);
    EXPECT_EQ(xb_MemoGet("ENTRY"), Text(n, static_cast<char>(i))) << "size " << n;
    char* p = xb_GetMemo("entry", 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::string(p).size(), n);
    xb_MemDealloc(p);
  }
  // An empty memo has no block: the field holds ten blanks.
  ASSERT_NE(xb_Go(1), 0);
  std::string rec(static_cast<std::size_t>(xb_RecSize()), '\0');
  xb_GetRecord(rec.data());
  EXPECT_EQ(rec.substr(9, 10), std::string(10, ' '));
  ASSERT_NE(xb_Go(2), 0);
  xb_GetRecord(rec.data());
  EXPECT_EQ(rec.substr(9, 10), "         8") << "first memo block right-aligned in ASCII";
}

TEST_F(Memo, UpdateWritesNewBlocksAndKeepsTheOldTextUntilCommitted) {
  CreateDiary(dir);
  AddEntry("20240101", std::string(200, 'o'));
  ASSERT_NE(xb_Commit(), 0);
  std::string before = ReadFile(dir / "QUILLBK.FPT");
  ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, std::string(150, 'n').c_str()), 0);
  std::string after = ReadFile(dir / "QUILLBK.FPT");
  ASSERT_GT(after.size(), before.size()) << "new text went to fresh blocks";
  EXPECT_EQ(after.substr(8, before.size() - 8), before.substr(8)) << "committed blocks untouched";
  EXPECT_EQ(xb_MemoGet("ENTRY"), std::string(150, 'n'));
}

TEST_F(Memo, BlocksFreedByACommittedUpdateAreReused) {
  CreateDiary(dir);
  AddEntry("20240101", std::string(3000, 'a'));
  ASSERT_NE(xb_Commit(), 0);
  for (int round = 0; round < 3; ++round) {
    ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, std::string(3000, static_cast<char>('b' + round)).c_str()), 0);
    ASSERT_NE(xb_Commit(), 0);
  }
  std::size_t settled = ReadFile(dir / "QUILLBK.FPT").size();
  for (int round = 0; round < 20; ++round) {
    ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, std::string(2900 + round, static_cast<char>('c' + round)).c_str()), 0);
    ASSERT_NE(xb_Commit(), 0);
  }
  EXPECT_LE(ReadFile(dir / "QUILLBK.FPT").size(), settled) << "the memo file must not grow with every save";
  EXPECT_EQ(xb_MemoGet("ENTRY"), std::string(2919, static_cast<char>('c' + 19)));
  xb_CloseAll();
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0);
  EXPECT_EQ(xb_MemoGet("ENTRY"), std::string(2919, static_cast<char>('c' + 19)));
}

TEST_F(Memo, ReplaceStoresTheWholeNulTerminatedText) {
  CreateDiary(dir);
  AddEntry("20240101", "");
  std::string rtf = "{\\rtf1\\ansi\\deff0\\deftab720 " + std::string(10000, 'x') + "}";
  ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, rtf.c_str()), 0);
  EXPECT_EQ(xb_MemoGet("ENTRY"), rtf);
  ASSERT_NE(xb_Replace("ENTRY", 5, rtf.c_str()), 0) << "len is a flag for memos, not a length";
  EXPECT_EQ(xb_MemoGet("ENTRY"), rtf);
  ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, ""), 0);
  EXPECT_EQ(xb_MemoGet("ENTRY"), "");
  EXPECT_EQ(xb_Replace("DATE", 4, "20251231"), 1);
  EXPECT_EQ(xb_FieldGet("DATE"), "2025    ");
  EXPECT_EQ(xb_Replace("DATE", XB_MEMO_TEXT, "20251231"), 1);
  EXPECT_EQ(xb_FieldGet("DATE"), "20251231");
}

}  // namespace
}  // namespace quill::xb::test
