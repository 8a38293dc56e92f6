// Drawing laid-out lines through a canvas, for the screen and the printer.

#include <algorithm>
#include <climits>
#include <vector>

#include "richtext/layout/text_paint.h"

namespace quill {

namespace {

constexpr uint32_t kPageBreakColor = MakeRGB(128, 128, 128);

bool IsObjectChar(const TLine* line, int i) {
  const uint8_t c = line->text[i];
  return (c == kObjectKeyChar || c == kObjectIdChar) && line->attribs && (line->attribs[i].marks & cmObject);
}

}  // namespace

void TRTFTextPaint::DrawBorders(TCanvas& canvas, const TParagraph* p, const TLine* line, int left, int top) const {
  const uint8_t flags = p->borderFlags;
  if (!(flags & bfOn)) return;
  const bool box = flags & bfBox;
  const TTextHeader& h = doc_.header;
  int boxLeft, boxRight;
  ParagraphBox(p, boxLeft, boxRight);
  const int x1 = left + boxLeft, x2 = left + boxRight - 1;
  int y1 = top, y2 = top + line->height;
  const bool first = line == p->firstLine, last = !line->next;
  // Around the text, not the paragraph's spacing; a cell's frame takes the
  // whole row height.
  if (!p->IsTableCell()) {
    if (first) y1 += std::max(0, h.TwipsToPixelsY(p->spaceBefore));
    if (last) y2 -= std::max(0, h.TwipsToPixelsY(p->spaceAfter));
  }
  const uint32_t color = PaletteColor(p->BorderColor());
  const int width = (p->borderStyle & bsHairline) ? 1 : std::max(1, p->borderWidth * h.resolutionY / 72);
  const bool dotted = p->borderStyle & bsDotted;
  const int strokes = (flags & bfDouble) ? 2 : 1;
  for (int s = 0; s < strokes; ++s) {
    const int in = s * (width + 1);  // the second stroke of a double line lies inside
    if (box || (flags & bfLeft)) canvas.DrawLine(x1 + in, y1, x1 + in, y2, color, width, dotted);
    if (box || (flags & bfRight)) canvas.DrawLine(x2 - in, y1, x2 - in, y2, color, width, dotted);
    if (first && (box || (flags & bfTop))) canvas.DrawLine(x1, y1 + in, x2, y1 + in, color, width, dotted);
    if (last && (box || (flags & bfBottom))) canvas.DrawLine(x1, y2 - 1 - in, x2, y2 - 1 - in, color, width, dotted);
  }
}

void TRTFTextPaint::DrawLine(TCanvas& canvas, const TParagraph* p, const TLine* line, int left, int top, int selFrom,
                             int selTo) const {
  const std::vector<int> adv = LineAdvances(p, line);
  const int n = line->length;
  const int x0 = left + LineStartX(p, line);
  const int baseline = top + line->ascent;
  const bool rich = line->attribs && !doc_.plainMode;

  if (!canvas.IsPrinter() && StartsPage(p, line) && !(p == doc_.firstParagraph && line == p->firstLine))
    canvas.DrawLine(left, top, left + doc_.header.wrapWidth, top, kPageBreakColor, 1, true);
  DrawBorders(canvas, p, line, left, top);

  int x = x0;
  for (int i = 0; i < n;) {
    const uint8_t c = line->text[i];
    const TCharAttr& a = rich ? line->attribs[i] : doc_.defaultAttr;
    if ((rich && Hides(a)) || c == kLineBreakChar) {
      x += adv[size_t(i)];
      ++i;
      continue;
    }
    if (c == '\t') {
      if (rich && a.BackColor() != 0)
        canvas.FillRect(x, baseline - a.ascent, adv[size_t(i)], a.height, PaletteColor(a.BackColor()));
      x += adv[size_t(i)];
      ++i;
      continue;
    }
    if (IsObjectChar(line, i)) {
      const TTextObject* obj = c == kObjectKeyChar ? doc_.FindObject(a.extra, 0) : doc_.FindObject(0, a.extra);
      const int h = obj ? doc_.header.TwipsToPixelsY(obj->height) : a.height;
      canvas.DrawPicture(x, baseline - a.ascent, adv[size_t(i)], h, obj ? obj->picture : nullptr);
      x += adv[size_t(i)];
      ++i;
      continue;
    }
    // A run of equal format, cut where a justified space was stretched.
    int j = i, runWidth = 0;
    while (j < n) {
      const uint8_t cj = line->text[j];
      if (cj == '\t' || cj == kLineBreakChar || IsObjectChar(line, j)) break;
      if (rich && (!SameFormat(line->attribs[j], a) || Hides(line->attribs[j]))) break;
      runWidth += adv[size_t(j)];
      ++j;
      if (cj == ' ' && adv[size_t(j - 1)] != BaseWidth(line, j - 1)) break;
    }
    TTextRunStyle style;
    style.font = FontFor(a);
    style.color = PaletteColor(a.TextColor());
    style.hasBackground = rich && a.BackColor() != 0;
    style.background = style.hasBackground ? PaletteColor(a.BackColor()) : 0xFFFFFF;
    int runBaseline = baseline;
    if (a.style & csSuperscript) runBaseline -= a.ascent / 3;
    if (a.style & csSubscript) runBaseline += a.ascent / 5;
    const int ascent = rich ? a.ascent : doc_.defaultAscent;
    const int height = rich ? a.height : doc_.defaultLineHeight;
    canvas.DrawText(x, runBaseline, runWidth, ascent, height,
                    std::string_view(reinterpret_cast<const char*>(line->text) + i, size_t(j - i)), style);
    x += runWidth;
    i = j;
  }

  if (selFrom >= 0 && selTo > selFrom) {
    const int from = std::min(selFrom, n);
    int xs = x0, xe;
    for (int i = 0; i < from; ++i) xs += adv[size_t(i)];
    xe = xs;
    for (int i = from; i < std::min(selTo, n); ++i) xe += adv[size_t(i)];
    // A selected paragraph end shows as a small block after the text.
    if (selTo > n) xe += std::max(4, line->height / 4);
    if (xe > xs) canvas.HighlightRect(xs, top, xe - xs, line->height);
  }
}

void TRTFTextPaint::DrawLines(TCanvas& canvas, int left, int originY, int fromY, int toY,
                              const TSelectionRange* selection) const {
  bool inside = false;
  for (const TParagraph* p = doc_.firstParagraph; p; p = p->next) {
    // The paragraph's selected offsets; LASTOFF INT_MAX takes its end too.
    int firstOff = -1, lastOff = -1;
    if (selection && selection->first && selection->last) {
      if (p == selection->first) {
        inside = true;
        firstOff = selection->firstOffset;
      } else if (inside) {
        firstOff = 0;
      }
      if (inside) lastOff = p == selection->last ? selection->lastOffset : INT_MAX;
      if (p == selection->last) inside = false;
    }
    int offset = 0;
    for (const TLine* l = p->firstLine; l; l = l->next) {
      const int len = l->length;
      if (l->top < toY && l->top + int(l->height) > fromY) {
        int selFrom = -1, selTo = -1;
        if (firstOff >= 0) {
          selFrom = std::max(firstOff - offset, 0);
          if (lastOff == INT_MAX)
            selTo = l->next ? len : len + 1;
          else
            selTo = std::min(lastOff - offset, len);
          if (selFrom > len || selTo <= selFrom) selFrom = selTo = -1;
        }
        DrawLine(canvas, p, l, left, originY + l->top, selFrom, selTo);
      } else if (l->top >= toY && !p->IsTableCell() && !inside) {
        return;
      }
      offset += len;
    }
  }
}

}  // namespace quill
