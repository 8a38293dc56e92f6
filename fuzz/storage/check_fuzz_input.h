// One untrusted input for the independent file checker: the first byte picks
// the file (table, memo, index), the rest is its content, beside the other
// two files of a small valid diary. Shared by the libFuzzer target and the
// test that replays the saved inputs under the normal build.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/storage/storage_fuzz_inputs.h"
#include "storage/diary_file_check.h"

namespace quill::xb::fuzz {

inline DiaryCheckReport RunCheckInput(const std::uint8_t* data, std::size_t size) {
  Workbench& b = Bench();
  b.Reset();
  if (size == 0) return CheckDiaryFiles(b.dir + "/");
  static const char* const kFiles[] = {"QUILLBK.DBF", "QUILLBK.FPT", "QUILLBK.CDX"};
  b.Put(kFiles[data[0] % 3], data + 1, size - 1);
  return CheckDiaryFiles(b.dir + "/");
}

}  // namespace quill::xb::fuzz
