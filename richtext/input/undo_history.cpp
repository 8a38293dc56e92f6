#include "richtext/input/undo_history.h"

#include <algorithm>

namespace quill {

TDocSnapshot TDocSnapshot::Take(const TRTFText& doc, const TParagraph* cursorParagraph, int cursorOffset) {
  TDocSnapshot s;
  int index = 0;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next, ++index) {
    Paragraph& q = s.paragraphs.emplace_back();
    CopyParagraphProperties(q, *p);
    q.tabMask = p->tabMask;
    for (const TLine* l = p->firstLine; l; l = l->next) {
      q.text.append(l->Text());
      if (l->attribs) q.attribs.insert(q.attribs.end(), l->attribs, l->attribs + l->length);
    }
    if (p->firstLine && p->firstLine->attribs) q.emptyFormat = p->firstLine->attribs[0];
    if (p == cursorParagraph) s.cursorParagraph = index;
  }
  s.tabPositions = doc.header.tabPositions;
  s.tabKinds = doc.header.tabKinds;
  s.cursorOffset = cursorOffset;
  return s;
}

TParagraph* TDocSnapshot::Restore(TRTFText& doc) const {
  // Build the whole chain first: a failure leaves the document as it was.
  TParagraph* first = nullptr;
  TParagraph* last = nullptr;
  TParagraph* cursor = nullptr;
  TParagraph* const keep = doc.firstParagraph;
  doc.firstParagraph = nullptr;
  try {
    int index = 0;
    for (const Paragraph& q : paragraphs) {
      TParagraph* p = doc.NewParagraph(nullptr, 8);
      if (!first) first = p;
      doc.firstParagraph = nullptr;
      if (last) {
        last->next = p;
        p->prev = last;
      }
      last = p;
      CopyParagraphProperties(*p, q);
      p->tabMask = q.tabMask;
      if (p->firstLine->attribs) p->firstLine->attribs[0] = q.emptyFormat;
      // Insert run by run so that every character gets its own attribute.
      int at = 0;
      const int n = int(q.text.size());
      while (at < n) {
        int end = at + 1;
        const bool rich = !q.attribs.empty();
        while (end < n && rich && SameFormat(q.attribs[size_t(end)], q.attribs[size_t(at)]) &&
               q.attribs[size_t(end)].extra == q.attribs[size_t(at)].extra)
          ++end;
        if (!rich) end = n;
        doc.InsertText({p, at}, std::string_view(q.text).substr(size_t(at), size_t(end - at)),
                       rich ? &q.attribs[size_t(at)] : nullptr);
        at = end;
      }
      if (index == cursorParagraph) cursor = p;
      ++index;
    }
  } catch (...) {
    doc.firstParagraph = nullptr;
    doc.DisposeChain(first);
    doc.firstParagraph = keep;
    throw;
  }
  doc.firstParagraph = keep;
  doc.DisposeChain(doc.firstParagraph);
  doc.firstParagraph = first;
  doc.header.tabPositions = tabPositions;
  doc.header.tabKinds = tabKinds;
  doc.header.RecomputeTextSize();
  return cursor ? cursor : first;
}

size_t TDocSnapshot::Bytes() const {
  size_t n = sizeof(*this);
  for (const Paragraph& q : paragraphs) n += sizeof(q) + q.text.size() + q.attribs.size() * sizeof(TCharAttr);
  return n;
}

void TUndoHistory::BeforeEdit(const TRTFText& doc, TEditKind kind, const TParagraph* paragraph, int offset,
                              bool wordStart) {
  // Typing goes on where it stopped; Delete stays put and Backspace steps
  // back one character.
  const bool adjacent = offset == lastOffset_ || (kind == TEditKind::Deleting && offset == lastOffset_ - 1);
  const bool continues = kind != TEditKind::Other && kind == lastKind_ && paragraph == lastParagraph_ &&
                         adjacent && !(kind == TEditKind::Typing && wordStart);
  redo_.clear();
  lastKind_ = kind;
  if (continues) return;
  undo_.push_back(TDocSnapshot::Take(doc, paragraph, offset));
  lastParagraph_ = paragraph;
  lastOffset_ = offset;
  Trim();
}

void TUndoHistory::AfterEdit(const TParagraph* paragraph, int offset) {
  lastParagraph_ = paragraph;
  lastOffset_ = offset;
  if (lastKind_ == TEditKind::Other) lastKind_ = TEditKind::None;
}

TParagraph* TUndoHistory::Undo(TRTFText& doc, const TParagraph* cursorParagraph, int cursorOffset, int& offset) {
  return Step(undo_, redo_, doc, cursorParagraph, cursorOffset, offset);
}

TParagraph* TUndoHistory::Redo(TRTFText& doc, const TParagraph* cursorParagraph, int cursorOffset, int& offset) {
  return Step(redo_, undo_, doc, cursorParagraph, cursorOffset, offset);
}

TParagraph* TUndoHistory::Step(std::vector<TDocSnapshot>& from, std::vector<TDocSnapshot>& to, TRTFText& doc,
                               const TParagraph* cursorParagraph, int cursorOffset, int& offset) {
  if (from.empty()) return nullptr;
  TDocSnapshot now = TDocSnapshot::Take(doc, cursorParagraph, cursorOffset);
  TParagraph* p = from.back().Restore(doc);
  offset = from.back().cursorOffset;
  from.pop_back();
  to.push_back(std::move(now));
  Break();
  return p;
}

void TUndoHistory::Clear() {
  undo_.clear();
  redo_.clear();
  Break();
  lastParagraph_ = nullptr;
  lastOffset_ = -1;
}

void TUndoHistory::Trim() {
  size_t bytes = 0;
  for (const auto& s : undo_) bytes += s.Bytes();
  size_t drop = 0;
  while (undo_.size() - drop > 1 && (undo_.size() - drop > maxSteps || bytes > maxBytes)) {
    bytes -= undo_[drop].Bytes();
    ++drop;
  }
  undo_.erase(undo_.begin(), undo_.begin() + std::ptrdiff_t(drop));
}

}  // namespace quill
