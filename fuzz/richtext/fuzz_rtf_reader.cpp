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

// Findings already reported can be switched off (QB_FUZZ_LENIENT=fonts,codes,objects)
// so that a session goes on looking for new ones.
static quill::testing::InvariantChecks Checks() {
  static const quill::testing::InvariantChecks checks = [] {
    quill::testing::InvariantChecks c;
    c.controlCodes = true;
    const char* lenient = std::getenv("QB_FUZZ_LENIENT");
    const std::string l = lenient ? lenient : "";
    if (l.find("fonts") != std::string::npos) c.fontEntries = false;
    if (l.find("codes") != std::string::npos) c.controlCodes = false;
    if (l.find("objects") != std::string::npos) c.objectCharacters = false;
    return c;
  }();
  return checks;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  quill::TRTFText doc;
  quill::TRTFTextIo io(doc);
  const int result = io.ReadRTF(bytes);
  if (result != 0 && result != 7) {
    std::fprintf(stderr, "ReadRTF returned %d\n", result);
    std::abort();
  }
  const std::string fault = quill::testing::CheckDocumentInvariants(doc, Checks());
  if (!fault.empty()) {
    std::fprintf(stderr, "document invariant broken: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
