// libFuzzer target: untrusted bytes as the diary's table file.
#include <cstddef>
#include <cstdint>

#include "fuzz/storage/storage_fuzz_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quill::xb::fuzz::RunTableInput(data, size);
  return 0;
}
