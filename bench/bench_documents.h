#pragma once
// Document helpers the rich text and editor benchmarks share.

#include <errno.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "richtext/io/rtf_writer.h"
#include "richtext/io/write_stream.h"
#include "richtext/model/rtf_text.h"

namespace quill::bench {

// The document as RTF. A benchmark cannot go on without it, so a failure
// ends the program with a message.
inline std::string WriteRtf(const TRTFText& doc) {
  TStringWriteStream out;
  TRTFWriter w(doc, out);
  if (w.Write() != kWriteOk) {
    std::fprintf(stderr, "%s: writing RTF failed\n", program_invocation_short_name);
    std::exit(1);
  }
  return std::move(out.bytes);
}

// Characters of text with one for each paragraph end, as a plain text
// conversion gives them (before any UTF-8 step).
inline size_t TextLength(const TRTFText& doc) {
  size_t n = 0;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) n += size_t(p->TextLength()) + 1;
  return n;
}

}  // namespace quill::bench
