// libFuzzer target: untrusted bytes as the diary's index file.
#include <cstddef>
#include <cstdint>

#include "fuzz/storage/storage_fuzz_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quill::xb::fuzz::RunIndexInput(data, size);
  return 0;
}
