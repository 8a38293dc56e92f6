// Pages, line positions and the geometry queries of the caret and mouse.

#include <algorithm>
#include <vector>

#include "richtext/layout/text_paint.h"

namespace quill {

namespace {

// The last paragraph of the table row that starts at FIRST.
TParagraph* RowEnd(TParagraph* first) {
  TParagraph* p = first;
  while (!(p->flags & pfLastCell) && p->next && p->next->IsTableCell()) p = p->next;
  return p;
}

int CellHeight(const TParagraph* p) {
  int h = 0;
  for (const TLine* l = p->firstLine; l; l = l->next) h += l->height;
  return h;
}

}  // namespace

int TRTFTextPaint::PaginateImpl() {
  const TTextHeader& h = doc_.header;
  int pageHeight = int(h.textHeightPixels * pageScale_);
  if (pageHeight <= 0) pageHeight = INT32_MAX;
  int y = 0, pageTop = 0;
  // Whether the block at Y of HEIGHT pixels must begin the next page.
  auto overflows = [&](int height) { return y > pageTop && int64_t(y) + height - pageTop > pageHeight; };
  for (TParagraph* p = doc_.firstParagraph; p;) {
    if (p->flags & pfPageBreak) pageTop = y;
    if (p->IsTableCell()) {
      // The cells of a row stand side by side, end together and move to the
      // next page as a whole.
      TParagraph* last = RowEnd(p);
      int rowHeight = 0;
      for (TParagraph* c = p;; c = c->next) {
        LineMetrics(c, doc_.Get_LastLine(c));  // undo a previous row's padding
        rowHeight = std::max(rowHeight, CellHeight(c));
        if (c == last) break;
      }
      for (TParagraph* c = p;; c = c->next) {
        for (TLine* l = c->firstLine; l; l = l->next) l->lineFlags &= uint8_t(~lfPageStart);
        if (c == last) break;
      }
      if (overflows(rowHeight)) {
        p->firstLine->lineFlags |= lfPageStart;
        pageTop = y;
      }
      for (TParagraph* c = p;; c = c->next) {
        int ly = y;
        TLine* lastLine = nullptr;
        for (TLine* l = c->firstLine; l; l = l->next) {
          l->top = ly;
          ly += l->height;
          lastLine = l;
        }
        lastLine->height = uint16_t(std::min(0xFFFF, lastLine->height + rowHeight - CellHeight(c)));
        if (c == last) break;
      }
      y += rowHeight;
      p = last->next;
      continue;
    }
    for (TLine* l = p->firstLine; l; l = l->next) {
      l->lineFlags &= uint8_t(~lfPageStart);
      // A line that would reach past the page's bottom starts the next page
      // (unless it already is the first on its page).
      if (overflows(l->height)) {
        l->lineFlags |= lfPageStart;
        pageTop = y;
      }
      l->top = y;
      y += l->height;
    }
    p = p->next;
  }
  documentHeight_ = y;
  return y;
}

bool TRTFTextPaint::StartsPage(const TParagraph* p, const TLine* line) {
  if (line->lineFlags & lfPageStart) return true;
  if (line != p->firstLine || !(p->flags & pfPageBreak)) return false;
  // Within a table row only the first cell can start a page.
  return !p->IsTableCell() || !p->prev || !p->prev->IsTableCell() || (p->prev->flags & pfLastCell);
}

void TRTFTextPaint::ParagraphBox(const TParagraph* p, int& left, int& right) const {
  if (p->IsTableCell()) {
    const int tw = TableWidth();
    left = int(int64_t(p->CellStartShare()) * tw / 255);
    right = left + int(int64_t(p->CellWidthShare()) * tw / 255);
    return;
  }
  const TTextHeader& h = doc_.header;
  left = h.TwipsToPixelsX(std::min(p->firstIndent, p->leftIndent));
  int r = h.TwipsToPixelsX(p->rightIndent);
  if (wordWrap_ && windowWidth_ > 0) r = std::max(0, r - (h.textWidthPixels - h.wrapWidth));
  right = std::max(left + 1, h.wrapWidth - r);
}

int TRTFTextPaint::LineStartX(const TParagraph* p, const TLine* line) const {
  const Frame f = LineFrame(p, line == p->firstLine);
  const int room = std::max(0, f.available - int(line->width));
  switch (p->alignment) {
    case alRight: return f.start + room;
    case alCenter: return f.start + room / 2;
    default: return f.start;
  }
}

int TRTFTextPaint::CharX(const TParagraph* p, const TLine* line, int index) const {
  const std::vector<int> adv = LineAdvances(p, line);
  int x = LineStartX(p, line);
  index = std::clamp(index, 0, int(line->length));
  for (int i = 0; i < index; ++i) x += adv[size_t(i)];
  return x;
}

int TRTFTextPaint::IndexAtX(const TParagraph* p, const TLine* line, int x) const {
  const std::vector<int> adv = LineAdvances(p, line);
  // The caret never stands behind a line's forced break.
  int last = line->length;
  if (last > 0 && line->text[last - 1] == kLineBreakChar) --last;
  int pos = LineStartX(p, line);
  for (int i = 0; i < last; ++i) {
    const int a = adv[size_t(i)];
    if (x < pos + (a + 1) / 2) return i;
    pos += a;
  }
  return last;
}

TLineHit TRTFTextPaint::HitTest(int x, int y) const {
  for (TParagraph* p = doc_.firstParagraph; p; p = p->next) {
    if (p->IsTableCell()) {
      TParagraph* last = RowEnd(p);
      int bottom = 0;
      for (TParagraph* c = p;; c = c->next) {
        const TLine* l = doc_.Get_LastLine(c);
        bottom = std::max(bottom, l->top + int(l->height));
        if (c == last) break;
      }
      if (y < bottom || !last->next) {
        // The cell whose column holds X (the first cell left of the row).
        TParagraph* cell = p;
        for (TParagraph* c = p;; c = c->next) {
          int left, right;
          ParagraphBox(c, left, right);
          if (x >= left) cell = c;
          if (c == last) break;
        }
        for (TLine* l = cell->firstLine; l; l = l->next)
          if (y < l->top + int(l->height) || !l->next) return {cell, l};
      }
      p = last;
      continue;
    }
    for (TLine* l = p->firstLine; l; l = l->next)
      if (y < l->top + int(l->height) || (!l->next && !p->next)) return {p, l};
  }
  TParagraph* p = doc_.LastParagraph();
  return {p, doc_.Get_LastLine(p)};
}

int TRTFTextPaint::ParagraphOffset(const TParagraph* p, const TLine* line, int index) {
  int offset = 0;
  for (const TLine* l = p->firstLine; l && l != line; l = l->next) offset += l->length;
  return offset + index;
}

TLineSpot TRTFTextPaint::SpotAtOffset(TParagraph* p, int offset) {
  TLine* l = p->firstLine;
  offset = std::max(offset, 0);
  while (l->next && offset >= l->length) {
    offset -= l->length;
    l = l->next;
  }
  return {l, std::min(offset, int(l->length))};
}

}  // namespace quill
