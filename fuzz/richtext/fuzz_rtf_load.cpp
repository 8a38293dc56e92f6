// Drives the document layer's load: format detection (RTF, HTML, plain
// text, or a forced format) and placement (replacing an empty document or
// inserting at a caret in a filled one). The first input byte chooses the
// format and the placement; the rest is the stream.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "richtext/io/rtf_text_io.h"
#include "richtext/model/rtf_text.h"
#include "tests/richtext_interop/document_invariants.h"

namespace {

void Check(const quill::TRTFText& doc, const char* when) {
  const std::string fault = quill::testing::CheckDocumentInvariants(doc, quill::testing::FuzzInvariantChecks());
  if (!fault.empty()) {
    std::fprintf(stderr, "document invariant broken %s: %s\n", when, fault.c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0];
  const uint8_t where = data[1];
  std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);

  // Formats 0..4: automatic, last, RTF, plain text, HTML.
  const auto format = quill::TLoadFormat(mode % 5);
  const bool insert = (mode & 0x08) != 0;
  const bool plain = (mode & 0x10) != 0;

  quill::TRTFText doc;
  if (plain) doc.SetMemoryFormat(quill::fmPlainText);
  quill::TRTFTextIo io(doc);
  if (insert) {
    // A filled document: two paragraphs, the caret somewhere inside.
    if (io.ReadRTF("{\\rtf1 {\\b Dear} diary\\par Rain \\'e9 today.}") != 0) std::abort();
    if (plain) doc.SetMemoryFormat(quill::fmPlainText);
    Check(doc, "before the insertion");
    quill::TParagraph* p = doc.firstParagraph;
    if ((where & 0x80) && p->next) p = p->next;
    io.caret.paragraph = p;
    io.caret.position = (where & 0x7F) % (p->TextLength() + 1);
  }
  const int result = io.LoadFromBytes(bytes, format);
  if (result != 0 && result != 7) {
    std::fprintf(stderr, "LoadFromBytes returned %d\n", result);
    std::abort();
  }
  Check(doc, "after the load");
  return 0;
}
