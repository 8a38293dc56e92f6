// Helpers shared by the engine tests: a temporary folder per test, the
// diary's table shape, and small file utilities.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "storage/engine/xb_engine.h"

namespace quill::xb::test {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "xbengine-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    path_ = made;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool FileExistsForTest(const std::string& path) { return std::filesystem::exists(path); }

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Creates QUILLBK.DBF (DATE C 8, ENTRY M) with its DATE index in folder and
// leaves it open exclusively and selected, order 1. Returns the area.
inline int CreateDiary(const TempFolder& folder) {
  std::string path = folder / "QUILLBK.DBF";
  EXPECT_NE(xb_CreateNew(path, "XXXXXXXXXX", XB_DRIVER_CDX, 2), 0) << xb_ErrorText();
  EXPECT_NE(xb_CreateField("DATE", 'C', 8, 0), 0) << xb_ErrorText();
  EXPECT_NE(xb_CreateField("ENTRY", 'M', 10, 0), 0) << xb_ErrorText();
  EXPECT_NE(xb_CreateExec(), 0) << xb_ErrorText();
  xb_Close();
  int area = xb_Use(path, "", XB_MODE_EXCLUSIVE, XB_DRIVER_CDX);
  EXPECT_NE(area, 0) << xb_ErrorText();
  EXPECT_NE(xb_IndexTag("", "DATE", "date", 0, 0, ""), 0) << xb_ErrorText();
  xb_SetOrder(1);
  return area;
}

inline void AddEntry(const std::string& key, const std::string& text) {
  ASSERT_NE(xb_AppendBlank(), 0) << xb_ErrorText();
  ASSERT_NE(xb_FieldPut("DATE", key), 0) << xb_ErrorText();
  ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, text.c_str()), 0) << xb_ErrorText();
}

// Resets the engine-wide switches the tests change.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    xb_CloseAll();
    xb_SetDeleted(false);
    xb_SetExact(false);
    xb_SetSoftSeek(false);
    xb_SetGaugeHook({});
    xb_SetWriteFaultHook({});
  }
  void TearDown() override {
    xb_SetWriteFaultHook({});
    xb_CloseAll();
  }
  TempFolder dir;
};

}  // namespace quill::xb::test
