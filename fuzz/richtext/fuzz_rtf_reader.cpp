// Feeds arbitrary bytes to the RTF reader through the document layer's RTF
// entry point and checks that the document it leaves behind is sound. A read
// may fail (result 7) but must never escape with an exception, crash, or
// leave a broken chain.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "richtext/io/rtf_text_io.h"
#include "richtext/model/rtf_text.h"
#include "tests/richtext_interop/document_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  quill::TRTFText doc;
  quill::TRTFTextIo io(doc);
  const int result = io.ReadRTF(bytes);
  if (result != 0 && result != 7) {
    std::fprintf(stderr, "ReadRTF returned %d\n", result);
    std::abort();
  }
  const std::string fault = quill::testing::CheckDocumentInvariants(doc, quill::testing::FuzzInvariantChecks());
  if (!fault.empty()) {
    std::fprintf(stderr, "document invariant broken: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
