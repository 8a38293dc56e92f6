// The document's edit primitives: positions, splitting and joining
// paragraphs, deleting a range, inserting text, changing attributes and
// putting in a paragraph chain read from elsewhere.

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "richtext/model/rtf_text.h"

namespace quill {

namespace {

// Slots filled per line when an insertion is spread over new lines; well
// below the limit so that the lines still have room to grow.
constexpr int kSpreadChunk = 4000;

bool StorableByte(char c) { return c != 0 && c != 3 && c != 13; }

}  // namespace

TDocPos TRTFText::PositionAt(TParagraph* p, int offset, bool preferLineEnd) const {
  TDocPos pos{p, p ? p->firstLine : nullptr, 0};
  if (!p || !p->firstLine) return pos;
  offset = std::max(offset, 0);
  TLine* l = p->firstLine;
  for (;;) {
    const bool last = l->next == nullptr;
    if (offset < l->length || last || (offset == l->length && preferLineEnd)) {
      pos.line = l;
      pos.index = std::min(offset, int(l->length));
      return pos;
    }
    offset -= l->length;
    l = l->next;
  }
}

int TRTFText::OffsetOf(const TDocPos& pos) {
  if (!pos.paragraph) return 0;
  int n = 0;
  for (const TLine* l = pos.paragraph->firstLine; l && l != pos.line; l = l->next) n += l->length;
  return n + pos.index;
}

bool TRTFText::Precedes(const TTextPos& a, const TTextPos& b) const {
  if (a.paragraph == b.paragraph) return a.position < b.position;
  for (const TParagraph* p = a.paragraph; p; p = p->next)
    if (p == b.paragraph) return true;
  return false;
}

TLine* TRTFText::SplitLine(TLine* line, int index) {
  const int n = line->length - index;
  TLine* tail = NewLine(line, std::min(n + 2, kMaxLineCapacity));  // linked after line
  std::memcpy(tail->text, line->text + index, size_t(n));
  if (line->attribs && tail->attribs) {
    std::memcpy(static_cast<void*>(tail->attribs), line->attribs + index, size_t(n) * sizeof(TCharAttr));
  }
  tail->length = uint16_t(n);
  tail->text[n] = 0;
  tail->height = line->height;
  tail->ascent = line->ascent;
  line->length = uint16_t(index);
  line->text[index] = 0;
  return tail;
}

TParagraph* TRTFText::SplitParagraph(TParagraph* p, int offset) {
  if (!p) return nullptr;
  offset = std::clamp(offset, 0, p->TextLength());
  // At a line boundary the split falls after the earlier line, so no line
  // has to be cut.
  const TDocPos at = PositionAt(p, offset, true);
  TLine* line = at.line;
  // Allocate before changing anything: a failure leaves the paragraph whole.
  TParagraph* q = NewParagraph(p, 8);
  TLine* tail = nullptr;
  if (at.index < line->length) {
    try {
      tail = SplitLine(line, at.index);
    } catch (...) {
      UnlinkParagraph(q);
      throw;
    }
  } else {
    tail = line->next;
  }
  q->flags &= uint8_t(~pfPageBreak);
  if (tail) {
    line->next = nullptr;
    tail->prev = nullptr;
    delete q->firstLine;
    q->firstLine = tail;
  } else if (q->firstLine->attribs && line->attribs) {
    // An empty new paragraph keeps the format typed last, so that it is
    // written and measured in it.
    q->firstLine->attribs[0] = line->attribs[line->length > 0 ? line->length - 1 : 0];
  }
  p->MarkForLayout();
  q->MarkForLayout();
  return q;
}

void TRTFText::UnlinkParagraph(TParagraph* p) {
  if (p->prev) p->prev->next = p->next;
  if (p->next) p->next->prev = p->prev;
  if (p == firstParagraph) firstParagraph = p->next;
  FreeParagraph(p);
}

void TRTFText::JoinWithNext(TParagraph* p) {
  if (!p || !p->next) return;
  TParagraph* q = p->next;
  if (q->TextLength() > 0) {
    if (p->TextLength() == 0) {
      // Nothing to keep of this paragraph's empty line.
      delete p->firstLine;
      p->firstLine = q->firstLine;
    } else {
      TLine* last = Get_LastLine(p);
      last->next = q->firstLine;
      q->firstLine->prev = last;
    }
    q->firstLine = nullptr;
  }
  UnlinkParagraph(q);
  p->MarkForLayout();
}

void TRTFText::DeleteInParagraph(TParagraph* p, int from, int to) {
  int start = 0;
  TLine* l = p->firstLine;
  while (l && start < to) {
    TLine* next = l->next;
    const int len = l->length;
    const int a = std::max(from - start, 0);
    const int b = std::min(to - start, len);
    if (a < b) {
      const bool onlyLine = p->firstLine == l && !l->next;
      if (a == 0 && b == len && !onlyLine) {
        if (l->prev) l->prev->next = l->next;
        if (l->next) l->next->prev = l->prev;
        if (p->firstLine == l) p->firstLine = l->next;
        delete l;
      } else {
        ReplaceInLine(p, l, nullptr, reinterpret_cast<const uint8_t*>(""), 0, b - a, a);
      }
    }
    start += len;
    l = next;
  }
  p->MarkForLayout();
}

TTextPos TRTFText::DeleteRange(TTextPos from, TTextPos to) {
  if (!from.paragraph || !to.paragraph) return from;
  if (Precedes(to, from)) std::swap(from, to);
  from.position = std::clamp(from.position, 0, from.paragraph->TextLength());
  to.position = std::clamp(to.position, 0, to.paragraph->TextLength());
  if (from.paragraph == to.paragraph) {
    if (from.position < to.position) DeleteInParagraph(from.paragraph, from.position, to.position);
    return from;
  }
  TParagraph* p = from.paragraph;
  DeleteInParagraph(p, from.position, p->TextLength());
  while (p->next && p->next != to.paragraph) UnlinkParagraph(p->next);
  DeleteInParagraph(to.paragraph, 0, to.position);
  JoinWithNext(p);
  return from;
}

TTextPos TRTFText::InsertText(TTextPos at, std::string_view text, const TCharAttr* attr) {
  if (!at.paragraph) return at;
  std::string bytes;
  bytes.reserve(text.size());
  for (char c : text)
    if (StorableByte(c)) bytes.push_back(c);
  at.position = std::clamp(at.position, 0, at.paragraph->TextLength());
  if (bytes.empty()) return at;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const int n = int(bytes.size());
  const TDocPos pos = PositionAt(at.paragraph, at.position, true);
  TLine* line = pos.line;
  if (line->length + n + 6 <= kMaxLineCapacity) {
    ReplaceInLine(at.paragraph, line, attr, data, n, 0, pos.index);
    return {at.paragraph, at.position + n};
  }
  // Too much for one line: the text goes into new lines of its own between
  // the line's head and its tail; layout re-flows them.
  TLine* first = nullptr;
  TLine* last = nullptr;
  try {
    for (int done = 0; done < n; done += kSpreadChunk) {
      const int len = std::min(kSpreadChunk, n - done);
      TLine* l = NewLine(last, len + 6);
      if (!first) first = l;
      last = l;
      ReplaceInLine(nullptr, l, attr, data + done, len, 0, 0);
    }
    if (pos.index < line->length) SplitLine(line, pos.index);
  } catch (...) {
    while (first) {
      TLine* next = first->next;
      delete first;
      first = next;
    }
    throw;
  }
  last->next = line->next;
  if (line->next) line->next->prev = last;
  line->next = first;
  first->prev = line;
  at.paragraph->MarkForLayout();
  return {at.paragraph, at.position + n};
}

void TRTFText::ChangeAttributes(TTextPos from, TTextPos to, const std::function<void(TCharAttr&)>& change) {
  if (!from.paragraph || !to.paragraph || plainMode || !change) return;
  if (Precedes(to, from)) std::swap(from, to);
  for (TParagraph* p = from.paragraph; p; p = p->next) {
    const int a = p == from.paragraph ? from.position : 0;
    const int b = p == to.paragraph ? to.position : p->TextLength();
    int start = 0;
    for (TLine* l = p->firstLine; l && start < b; l = l->next) {
      const int lo = std::max(a - start, 0);
      const int hi = std::min(b - start, int(l->length));
      if (l->attribs)
        for (int i = lo; i < hi; ++i) change(l->attribs[i]);
      start += l->length;
    }
    p->MarkForLayout();
    if (p == to.paragraph) break;
  }
}

TTextPos TRTFText::InsertChain(TTextPos at, TParagraph* chain) {
  if (!chain) return at;
  TParagraph* par = at.paragraph ? at.paragraph : LastParagraph();
  const int pos = at.paragraph ? std::clamp(at.position, 0, par->TextLength()) : par->TextLength();
  TParagraph* last = chain;
  while (last->next) last = last->next;
  TParagraph* after = nullptr;
  try {
    after = SplitParagraph(par, pos);
  } catch (...) {
    DisposeChain(chain);
    throw;
  }
  // par, chain..., last, after: then the chain's ends join their neighbours.
  chain->prev = par;
  par->next = chain;
  last->next = after;
  after->prev = last;
  if (pendingChain == chain) pendingChain = nullptr;
  TParagraph* end = last == chain ? par : last;
  JoinWithNext(par);
  const int endPos = end->TextLength();
  JoinWithNext(end);
  return {end, endPos};
}

}  // namespace quill
