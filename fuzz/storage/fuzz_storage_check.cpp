// libFuzzer target: untrusted bytes as one of the diary's three files, read
// by the independent checker behind "quillbook-tool check".
#include <cstddef>
#include <cstdint>

#include "fuzz/storage/check_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const quill::DiaryCheckReport r = quill::xb::fuzz::RunCheckInput(data, size);
  // A report that finds nothing wrong must have read a table.
  if (r.ok() && !r.tableFound) __builtin_trap();
  return 0;
}
