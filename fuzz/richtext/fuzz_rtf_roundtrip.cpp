// Reads arbitrary bytes, writes the document back as RTF and reads that
// again: for documents without raw RTF runs and objects the second read must
// give the same paragraphs, characters and character formats, the same
// alignment, indents (outside tables), page breaks and table cells, and
// once loaded from our own RTF it must save the same again. Every diary entry
// takes this road on each save and load, so a difference here is text or
// format a user loses.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/io/rtf_text_io.h"
#include "richtext/io/text_save.h"
#include "richtext/io/write_stream.h"
#include "richtext/model/rtf_text.h"
#include "tests/richtext_interop/document_invariants.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "round trip: %s\n", what.c_str());
  std::abort();
}

// Whether the document stays inside what the writer and reader promise to
// carry unchanged.
bool Comparable(const quill::TRTFText& doc) {
  // An empty page is saved as no text at all (so that saving it removes the
  // entry); its paragraph format has nothing to come back in.
  if (doc.IsEmpty()) return false;
  if (doc.firstObject) return false;
  for (const quill::TParagraph* p = doc.firstParagraph; p; p = p->next) {
    for (const quill::TLine* l = p->firstLine; l; l = l->next)
      for (int i = 0; i < l->length; ++i) {
        if (l->text[i] < 4) return false;
        if (l->attribs && (l->attribs[i].marks & (quill::cmRawRtf | quill::cmObject))) return false;
      }
  }
  return true;
}

struct Char {
  uint8_t c;
  quill::TCharAttr a;
};

// The footnote text without the blanks and marks that the reader drops at
// its start.
std::string Body(const quill::TFootnote& f) {
  std::string t = f.rawText ? *f.rawText : f.text;
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || uint8_t(t[i]) == f.mark)) ++i;
  return t.substr(i);
}

std::string Describe(int par, int at) {
  return "paragraph " + std::to_string(par) + " character " + std::to_string(at);
}

void Compare(const quill::TRTFText& x, const quill::TRTFText& y) {
  const quill::TParagraph* p = x.firstParagraph;
  const quill::TParagraph* q = y.firstParagraph;
  for (int pi = 0; p || q; p = p->next, q = q->next, ++pi) {
    if (!p || !q) Fail("paragraph count differs at " + std::to_string(pi));
    if (p->alignment != q->alignment) Fail("alignment of paragraph " + std::to_string(pi));
    // A row's cells share the indent of its first cell.
    if (!p->IsTableCell() && (p->leftIndent != q->leftIndent || p->firstIndent != q->firstIndent ||
                              p->rightIndent != q->rightIndent))
      Fail("indents of paragraph " + std::to_string(pi));
    const uint8_t cell = quill::pfTableCell | quill::pfLastCell | quill::pfRowContinues;
    if ((p->flags & cell) != (q->flags & cell)) Fail("table cell flags of paragraph " + std::to_string(pi));
    if ((p->flags & quill::pfPageBreak) != (q->flags & quill::pfPageBreak))
      Fail("page break of paragraph " + std::to_string(pi));
    std::basic_string<uint8_t> a, b;
    std::vector<quill::TCharAttr> aa, ba;
    for (const quill::TLine* l = p->firstLine; l; l = l->next)
      for (int i = 0; i < l->length; ++i) {
        a += l->text[i];
        aa.push_back(l->attribs ? l->attribs[i] : x.defaultAttr);
      }
    for (const quill::TLine* l = q->firstLine; l; l = l->next)
      for (int i = 0; i < l->length; ++i) {
        b += l->text[i];
        ba.push_back(l->attribs ? l->attribs[i] : y.defaultAttr);
      }
    if (a != b) Fail("text of paragraph " + std::to_string(pi));
    if (x.plainMode || y.plainMode) continue;
    for (size_t i = 0; i < a.size(); ++i) {
      const quill::TCharAttr& s = aa[i];
      const quill::TCharAttr& t = ba[i];
      if (x.header.FontName(s.font) != y.header.FontName(t.font))
        Fail("font at " + Describe(pi, int(i)));
      if (s.PointSize() != t.PointSize()) Fail("size at " + Describe(pi, int(i)));
      if (s.style != t.style) Fail("style at " + Describe(pi, int(i)));
      if (s.colors != t.colors) Fail("colours at " + Describe(pi, int(i)));
      if (s.marks != t.marks) Fail("marks at " + Describe(pi, int(i)));
      if (s.marks & quill::cmFootnote) {
        // A footnote lives at its anchor; one without an anchor has no
        // place in the text and is not written.
        const quill::TFootnote* f = x.FindFootnote(uint16_t(s.extra));
        const quill::TFootnote* g = y.FindFootnote(uint16_t(t.extra));
        if (!f || !g) Fail("footnote lost at " + Describe(pi, int(i)));
        if (f->mark != g->mark) Fail("footnote mark at " + Describe(pi, int(i)));
        if (Body(*f) != Body(*g)) Fail("footnote text at " + Describe(pi, int(i)));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  quill::TRTFText first;
  quill::TRTFTextIo io(first);
  if (io.ReadRTF(bytes) != 0) return 0;
  if (!Comparable(first)) return 0;
  quill::TStringWriteStream out;
  if (quill::SaveToStream(first, out, quill::FormatRTF) != 0) Fail("the write failed");
  quill::TRTFText second;
  quill::TRTFTextIo io2(second);
  if (io2.ReadRTF(out.bytes) != 0) Fail("our own RTF does not read: " + io2.lastError);
  const std::string fault = quill::testing::CheckDocumentInvariants(second);
  if (!fault.empty()) Fail("document invariant broken: " + fault);
  Compare(first, second);
  // Saved and loaded once more, the page gives the same RTF. (The first
  // write cuts runs at the storage lines the fuzzed input left; from then on
  // the lines are the reader's own.)
  quill::TStringWriteStream again;
  if (quill::SaveToStream(second, again, quill::FormatRTF) != 0) Fail("the second write failed");
  quill::TRTFText third;
  quill::TRTFTextIo io3(third);
  if (io3.ReadRTF(again.bytes) != 0) Fail("our own RTF does not read: " + io3.lastError);
  quill::TStringWriteStream last;
  if (quill::SaveToStream(third, last, quill::FormatRTF) != 0) Fail("the third write failed");
  if (last.bytes != again.bytes) Fail("saved again, the page gives other RTF");
  return 0;
}
