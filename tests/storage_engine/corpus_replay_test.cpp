#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/storage/storage_fuzz_inputs.h"
#include "storage/engine/xb_engine.h"
#include "tests/storage_engine/engine_test_support.h"

namespace quill::xb::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const std::string& sub) {
  std::vector<fs::path> files;
  fs::path dir = fs::path(QUILL_ENGINE_CORPUS) / sub;
  if (!fs::exists(dir)) return files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

class CorpusReplay : public EngineTest {};

// Every saved fuzzing input (seeds, and inputs that once crashed the engine)
// goes through the same openers as under the fuzzer; afterwards the engine
// still opens a sound diary.
TEST_F(CorpusReplay, EverySavedInputIsHandledWithoutHarm) {
  struct Kind {
    const char* folder;
    void (*run)(const std::uint8_t*, std::size_t);
  } kinds[] = {{"table", fuzz::RunTableInput}, {"memo", fuzz::RunMemoInput}, {"index", fuzz::RunIndexInput}};
  int replayed = 0;
  for (const auto& k : kinds) {
    auto files = FilesIn(k.folder);
    EXPECT_FALSE(files.empty()) << "no seeds for " << k.folder;
    for (const auto& f : files) {
      SCOPED_TRACE(f.string());
      std::string bytes = ReadFile(f.string());
      k.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  fuzz::Bench().Reset();
  ASSERT_NE(xb_Use(fuzz::Bench().dir + "/QUILLBK.DBF", "", XB_MODE_READONLY, 2), 0) << xb_ErrorText();
  xb_SetOrder(1);
  EXPECT_NE(xb_Seek("20240315"), 0);
  EXPECT_EQ(xb_MemoGet("ENTRY"), std::string(160, 'c'));
  EXPECT_GT(replayed, 0);
}

}  // namespace
}  // namespace quill::xb::test
