#include "richtext/io/text_writer.h"

#include <algorithm>

namespace quill {

TTextWriter::TTextWriter(const TRTFText& document, TWriteStream& out, TWriteOptions options)
    : doc_(document), out_(out), options_(options) {}

bool TTextWriter::SkipsText(const TCharAttr& a) const {
  return ((a.marks & cmInsertPoint) && options_.omitInsertPoints) ||
         ((a.marks & cmAutomatic) && options_.omitAutomaticText);
}

int TTextWriter::Write() {
  TTextRange all;
  all.startParagraph = doc_.firstParagraph;
  return WriteRange(all);
}

int TTextWriter::WriteRange(const TTextRange& r) {
  int rc = Header();
  if (rc != kWriteOk) return rc;
  previousParagraph_ = nullptr;
  for (const TParagraph* p = r.startParagraph; p; p = p->next) {
    rc = ParagraphStart(*p);
    if (rc != kWriteOk) return rc;
    const bool startHere = p == r.startParagraph && r.startLine;
    for (const TLine* line = startHere ? r.startLine : p->firstLine; line; line = line->next) {
      const int from = line == r.startLine ? std::clamp(r.startPos, 0, int(line->length)) : 0;
      int to = line->length;
      const bool endHere = p == r.endParagraph && line == r.endLine;
      if (endHere) to = std::clamp(r.endPos, from, to);
      rc = WriteLine(*line, from, to);
      if (rc != kWriteOk) return rc;
      if (endHere) break;
    }
    const bool last = p == r.endParagraph || !p->next;
    if (!last || p->IsTableCell()) {
      rc = ParagraphEnd(*p, !last);
      if (rc != kWriteOk) return rc;
    }
    previousParagraph_ = p;
    if (last) break;
  }
  return Trailer();
}

// Cuts a line into runs of equal format. Object characters, insert points
// and footnote anchors each form a run of their own, since each carries its
// own number in extra.
int TTextWriter::WriteLine(const TLine& line, int from, int to) {
  if (from >= to) return kWriteOk;
  if (!RichMode()) return RunText(line.text + from, to - from, nullptr);
  if (!line.attribs) {
    int rc = RunHeader(doc_.defaultAttr);
    return rc != kWriteOk ? rc : RunText(line.text + from, to - from, &doc_.defaultAttr);
  }
  constexpr uint8_t kSingle = cmObject | cmInsertPoint | cmFootnote;
  int i = from;
  while (i < to) {
    const TCharAttr& a = line.attribs[i];
    int j = i + 1;
    if (!(a.marks & kSingle))
      while (j < to && SameFormat(line.attribs[j], a)) ++j;
    int rc = RunHeader(a);
    if (rc == kWriteOk) {
      if (a.marks & cmObject) {
        rc = Object(line.text[i], a);
      } else if (a.marks & cmFootnote) {
        rc = Footnote(line.text[i], a);
      } else if (!SkipsText(a)) {
        rc = RunText(line.text + i, j - i, &a);
      }
    }
    if (rc != kWriteOk) return rc;
    i = j;
  }
  return kWriteOk;
}

// Plain text: the characters as they are, without the object characters
// (codes 0 to 3), which mean nothing outside the document.
int TTextWriter::RunText(const uint8_t* text, int len, const TCharAttr*) {
  int start = 0;
  for (int i = 0; i < len; ++i) {
    if (text[i] <= 3) {
      if (i > start && Put(text + start, size_t(i - start)) != kWriteOk) return kWriteFailed;
      start = i + 1;
    }
  }
  return len > start ? Put(text + start, size_t(len - start)) : kWriteOk;
}

int TTextWriter::ParagraphEnd(const TParagraph&, bool anotherFollows) {
  return anotherFollows ? Put("\r\n", 2) : kWriteOk;
}

}  // namespace quill
