#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "storage/engine/xb_engine.h"
#include "tests/storage_engine/engine_test_support.h"

namespace quill::xb::test {
namespace {

class Damage : public EngineTest {
 protected:
  static std::string Key(int i) {
    char k[9];
    std::snprintf(k, sizeof k, "2023%02d%02d", 1 + i / 28, 1 + i % 28);
    return k;
  }
  static std::string Body(int i) { return "{\\rtf1 day " + std::to_string(i) + " " + std::string(i * 37 % 900, 'w') + "}"; }

  void MakeDiary(int n) {
    CreateDiary(dir);
    for (int i = 0; i < n; ++i) AddEntry(Key(i), Body(i));
    ASSERT_NE(xb_Commit(), 0);
    xb_CloseAll();
    dbf = ReadFile(dir / "QUILLBK.DBF");
    fpt = ReadFile(dir / "QUILLBK.FPT");
    cdx = ReadFile(dir / "QUILLBK.CDX");
  }
  void Restore() {
    WriteFile(dir / "QUILLBK.DBF", dbf);
    WriteFile(dir / "QUILLBK.FPT", fpt);
    WriteFile(dir / "QUILLBK.CDX", cdx);
    std::remove((dir / "QUILLBK.CDX.damaged").c_str());
  }
  // Reads every entry through the index; every failure must carry a text.
  // Returns the number of entries read back correctly.
  int ReadAll(int n) {
    int good = 0;
    xb_SetOrder(xb_TagArea("DATE"));
    for (int i = 0; i < n; ++i) {
      if (xb_IndexOrd() == 0 || !xb_Seek(Key(i))) continue;
      std::string text = xb_MemoGet("ENTRY");
      if (xb_Error() != XB_OK) {
        EXPECT_FALSE(xb_ErrorText().empty());
        continue;
      }
      if (text == Body(i)) ++good;
    }
    return good;
  }
  std::string dbf, fpt, cdx;
};

TEST_F(Damage, TruncatedFilesGiveClearErrorsOrAreRepaired) {
  const int n = 60;
  MakeDiary(n);
  struct Target {
    const char* name;
    std::string* bytes;
  } targets[] = {{"QUILLBK.DBF", &dbf}, {"QUILLBK.FPT", &fpt}, {"QUILLBK.CDX", &cdx}};
  for (const auto& t : targets) {
    std::vector<std::size_t> sizes = {0, 1, 7, 8, 31, 32, 33, 64, 96, 97, 98, 511, 512, 513, 1024, 1500, 2048, 3000};
    for (std::size_t s = 3001; s < t.bytes->size(); s += t.bytes->size() / 9 + 1) sizes.push_back(s);
    sizes.push_back(t.bytes->size() - 1);
    for (std::size_t size : sizes) {
      if (size >= t.bytes->size()) continue;
      SCOPED_TRACE(std::string(t.name) + " cut to " + std::to_string(size));
      Restore();
      WriteFile(dir / t.name, t.bytes->substr(0, size));
      int area = xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2);
      if (area == 0) {
        EXPECT_NE(xb_ErrorText().find("QUILLBK"), std::string::npos) << xb_ErrorText();
        EXPECT_NE(xb_Error(), XB_OK);
        continue;
      }
      int good = ReadAll(n);
      if (std::string(t.name) == "QUILLBK.CDX") {
        // A damaged index is rebuilt (or set aside and built again).
        if (xb_IndexList().empty()) {
          ASSERT_NE(xb_IndexTag("", "DATE", "date", 0, 0, ""), 0) << xb_ErrorText();
        }
        EXPECT_EQ(ReadAll(n), n);
      } else if (std::string(t.name) == "QUILLBK.DBF") {
        // A table cut short opens with its complete records and says so.
        const int complete = static_cast<int>((size - 97) / 19);
        EXPECT_EQ(good, std::min(n, complete));
        EXPECT_EQ(xb_RecCount(), std::min(n, complete));
        if (complete < n) {
          EXPECT_NE(xb_DamageText().find("cut short"), std::string::npos) << xb_DamageText();
        } else {
          EXPECT_EQ(xb_DamageText(), "");
        }
      } else {
        EXPECT_LE(good, n);
      }
      xb_CloseAll();
    }
  }
}

TEST_F(Damage, CorruptHeadersAndPointersAreReportedWithTheFileName) {
  const int n = 20;
  MakeDiary(n);
  struct Case {
    const char* what;
    const char* file;
    std::size_t offset;
    std::string bytes;
    const char* message;   // part of the expected error text
  } cases[] = {
      {"version byte", "QUILLBK.DBF", 0, "\x99", "version"},
      {"header length too small", "QUILLBK.DBF", 8, std::string("\x10\x00", 2), "header length"},
      {"header length beyond the file", "QUILLBK.DBF", 8, std::string("\xff\x7f", 2), "header length"},
      {"record length wrong", "QUILLBK.DBF", 10, std::string("\x14\x00", 2), "record length"},
      {"field width zero", "QUILLBK.DBF", 48, std::string("\x00", 1), "width 0"},
      {"memo block size zero", "QUILLBK.FPT", 6, std::string("\x00\x00", 2), "block size"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Restore();
    std::string bytes = ReadFile(dir / c.file);
    bytes.replace(c.offset, c.bytes.size(), c.bytes);
    WriteFile(dir / c.file, bytes);
    EXPECT_EQ(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0);
    EXPECT_EQ(xb_Error(), XB_ERR_CORRUPT);
    EXPECT_NE(xb_ErrorText().find(c.file), std::string::npos) << xb_ErrorText();
    EXPECT_NE(xb_ErrorText().find(c.message), std::string::npos) << xb_ErrorText();
  }
  // Memo pointers: past the end, not digits, a length beyond the file.
  struct PtrCase {
    const char* what;
    std::string field;
    const char* message;
  } ptrs[] = {{"pointer past end", "    999999", "past the end"},
              {"pointer not a number", "   12x4567", "damaged memo pointer"},
              {"pointer into the header", "         3", "past the end"}};
  for (const auto& c : ptrs) {
    SCOPED_TRACE(c.what);
    Restore();
    std::string bytes = dbf;
    bytes.replace(97 + 19 * 4 + 9, 10, c.field);   // record 5
    WriteFile(dir / "QUILLBK.DBF", bytes);
    ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
    ASSERT_NE(xb_Go(5), 0);
    EXPECT_EQ(xb_MemoGet("ENTRY"), "");
    EXPECT_EQ(xb_Error(), XB_ERR_CORRUPT);
    EXPECT_NE(xb_ErrorText().find(c.message), std::string::npos) << xb_ErrorText();
    EXPECT_EQ(xb_GetMemo("ENTRY", 0), nullptr);
    ASSERT_NE(xb_Go(6), 0);
    EXPECT_EQ(xb_MemoGet("ENTRY"), Body(5)) << "other records unaffected";
    // Replacing the damaged memo is allowed and fixes the record.
    ASSERT_NE(xb_Go(5), 0);
    ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, "mended"), 0) << xb_ErrorText();
    EXPECT_EQ(xb_MemoGet("ENTRY"), "mended");
    xb_CloseAll();
  }
  // Memo length running past the end of the memo file.
  Restore();
  std::string memo = fpt;
  memo.replace(512 + 4, 4, std::string("\x00\xff\x00\x00", 4));
  WriteFile(dir / "QUILLBK.FPT", memo);
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0);
  ASSERT_NE(xb_Go(1), 0);
  EXPECT_EQ(xb_MemoGet("ENTRY"), "");
  EXPECT_NE(xb_ErrorText().find("QUILLBK.FPT"), std::string::npos) << xb_ErrorText();
}

TEST_F(Damage, RecordCountBeyondTheFileOpensTheCompleteRecords) {
  const int n = 20;
  MakeDiary(n);
  std::string bytes = dbf;
  bytes.replace(4, 4, std::string("\x88\x13\x00\x00", 4));   // 5000 records
  WriteFile(dir / "QUILLBK.DBF", bytes);
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
  EXPECT_EQ(xb_RecCount(), n);
  EXPECT_NE(xb_DamageText().find("counts 5000 records, the file holds 20 complete"), std::string::npos)
      << xb_DamageText();
  EXPECT_EQ(ReadAll(n), n);
  // The next write puts the right count back; nothing counted is lost.
  ASSERT_NE(xb_AppendBlank(), 0) << xb_ErrorText();
  ASSERT_NE(xb_Replace("DATE", XB_MEMO_TEXT, "20990101"), 0) << xb_ErrorText();
  xb_CloseAll();
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
  EXPECT_EQ(xb_RecCount(), n + 1);
  EXPECT_EQ(xb_DamageText(), "");
  EXPECT_EQ(ReadAll(n), n);
  xb_CloseAll();
}

TEST_F(Damage, MissingMemoFileIsAClearError) {
  MakeDiary(3);
  std::remove((dir / "QUILLBK.FPT").c_str());
  EXPECT_EQ(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_OPEN);
  EXPECT_NE(xb_ErrorText().find("QUILLBK.FPT is missing"), std::string::npos) << xb_ErrorText();
}

TEST_F(Damage, MissingIndexFileOpensWithoutIndexAndCanBeBuilt) {
  MakeDiary(10);
  std::remove((dir / "QUILLBK.CDX").c_str());
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
  EXPECT_TRUE(xb_IndexList().empty());
  ASSERT_EQ(xb_IndexTag("", "DATE", "date", 0, 0, ""), 1) << xb_ErrorText();
  EXPECT_EQ(ReadAll(10), 10);
}

}  // namespace
}  // namespace quill::xb::test
