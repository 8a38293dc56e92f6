// libFuzzer target: untrusted bytes as one of the diary's three files, read
// by the independent checker behind "quillbook-tool check". The first byte
// picks the file (table, memo, index); the rest is its content, beside the
// other two files of a small valid diary.
#include <cstddef>
#include <cstdint>

#include "fuzz/storage/storage_fuzz_inputs.h"
#include "storage/diary_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  quill::xb::fuzz::Workbench& b = quill::xb::fuzz::Bench();
  b.Reset();
  static const char* const kFiles[] = {"QUILLBK.DBF", "QUILLBK.FPT", "QUILLBK.CDX"};
  b.Put(kFiles[data[0] % 3], data + 1, size - 1);
  const quill::DiaryCheckReport r = quill::CheckDiaryFiles(b.dir + "/");
  // A report that finds nothing wrong must have read a table.
  if (r.ok() && !r.tableFound) __builtin_trap();
  return 0;
}
