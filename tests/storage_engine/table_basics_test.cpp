#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/engine/xb_engine.h"
#include "tests/storage_engine/engine_test_support.h"

namespace quill::xb::test {
namespace {

class TableBasics : public EngineTest {};

TEST_F(TableBasics, CreatesTheDiaryTableWithTheRightHeaderBytes) {
  CreateDiary(dir);
  xb_CloseAll();
  std::string dbf = ReadFile(dir / "QUILLBK.DBF");
  ASSERT_EQ(dbf.size(), 97u + 1u);
  EXPECT_EQ(static_cast<unsigned char>(dbf[0]), 0xF5);
  EXPECT_EQ(static_cast<unsigned char>(dbf[8]), 97);
  EXPECT_EQ(static_cast<unsigned char>(dbf[10]), 19);
  EXPECT_EQ(static_cast<unsigned char>(dbf[28]), 0x01) << "structural index flag";
  EXPECT_EQ(static_cast<unsigned char>(dbf[29]), 0x03);
  EXPECT_EQ(dbf.substr(32, 4), "DATE");
  EXPECT_EQ(dbf[43], 'C');
  EXPECT_EQ(dbf.substr(64, 5), "ENTRY");
  EXPECT_EQ(dbf[75], 'M');
  EXPECT_EQ(static_cast<unsigned char>(dbf[80]), 10);
  EXPECT_EQ(dbf[96], '\x0D');
  EXPECT_EQ(dbf[97], '\x1A');
  std::string fpt = ReadFile(dir / "QUILLBK.FPT");
  ASSERT_EQ(fpt.size(), 512u);
  EXPECT_EQ(fpt.substr(0, 8), std::string("\0\0\0\x08\0\0\0\x40", 8));
  EXPECT_GE(ReadFile(dir / "QUILLBK.CDX").size(), 3072u);
}

TEST_F(TableBasics, RefusesToCreateOverAnExistingTable) {
  CreateDiary(dir);
  AddEntry("20240101", "keep me");
  xb_CloseAll();
  ASSERT_NE(xb_CreateNew(dir / "QUILLBK.DBF", "XXXXXXXXXX", 2, 2), 0);
  xb_CreateField("DATE", 'C', 8, 0);
  xb_CreateField("ENTRY", 'M', 10, 0);
  EXPECT_EQ(xb_CreateExec(), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_EXISTS);
  xb_Close();
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0);
  EXPECT_EQ(xb_RecCount(), 1);
}

TEST_F(TableBasics, AppendsUpdatesAndReadsBackAfterReopen) {
  CreateDiary(dir);
  AddEntry("20240102", "second");
  AddEntry("20240101", "first");
  AddEntry("20240315", std::string(5000, 'x'));
  ASSERT_NE(xb_Commit(), 0);
  xb_CloseAll();
  int area = xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2);
  ASSERT_NE(area, 0) << xb_ErrorText();
  EXPECT_EQ(xb_Alias(), "QUILLBK");
  EXPECT_EQ(xb_IndexList(), std::vector<std::string>{"DATE"});
  EXPECT_EQ(xb_TagArea("date"), 1);
  xb_SetOrder(1);
  std::vector<std::string> keys;
  for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) keys.push_back(xb_FieldGet("DATE"));
  EXPECT_EQ(keys, (std::vector<std::string>{"20240101", "20240102", "20240315"}));
  ASSERT_NE(xb_Seek("20240315"), 0);
  EXPECT_EQ(xb_RecNo(), 3);
  EXPECT_EQ(xb_MemoGet("ENTRY"), std::string(5000, 'x'));
  char* memo = xb_GetMemo("ENTRY", 0);
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(std::string(memo), std::string(5000, 'x'));
  xb_MemDealloc(memo);
  EXPECT_EQ(xb_Seek("20240316"), 0);
  EXPECT_TRUE(xb_Eof());
  EXPECT_EQ(xb_RecNo(), 4);
}

}  // namespace
}  // namespace quill::xb::test
