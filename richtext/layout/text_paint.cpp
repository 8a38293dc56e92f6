// Settings, measuring and the whole-document layout pass.

#include "richtext/layout/text_paint.h"

#include <algorithm>
#include <cstdint>

namespace quill {

namespace {

// Sets FLAG for the lifetime of the guard.
class TReentryGuard {
 public:
  explicit TReentryGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~TReentryGuard() { flag_ = false; }
  TReentryGuard(const TReentryGuard&) = delete;
  TReentryGuard& operator=(const TReentryGuard&) = delete;

 private:
  bool& flag_;
};

uint16_t ClampU16(int v) { return uint16_t(std::clamp(v, 0, 0xFFFF)); }

}  // namespace

TRTFTextPaint::TRTFTextPaint(TRTFText& doc, TFontMetrics& metrics) : doc_(doc), fonts_(&metrics) {
  TTextHeader& h = doc_.header;
  if (h.resolutionX <= 0) h.resolutionX = 96;
  if (h.resolutionY <= 0) h.resolutionY = 96;
  h.RecomputeTextSize();
  RecomputeWrapWidth();
  MarkAll(lsAll);
}

// ---- settings ----------------------------------------------------------------

void TRTFTextPaint::SetResolution(int x, int y, int zoomPercent) {
  if (zoomPercent <= 0) zoomPercent = 100;
  const int baseX = x <= 0 ? 1 : x;
  const int baseY = y == 0 ? 96 : (y < 0 ? 1 : y);
  const int rx = std::max(1, int(int64_t(baseX) * zoomPercent / 100));
  const int ry = std::max(1, int(int64_t(baseY) * zoomPercent / 100));
  zoom_ = zoomPercent;
  displayX_ = baseX;
  displayY_ = baseY;
  TTextHeader& h = doc_.header;
  if (rx == h.resolutionX && ry == h.resolutionY) return;
  h.resolutionX = rx;
  h.resolutionY = ry;
  h.RecomputeTextSize();
  RecomputeWrapWidth();
  fonts_.Clear();
  MarkAll(lsAll);
  LayoutIfLive();
}

void TRTFTextPaint::SetWindowWidth(int pixels) {
  if (pixels == windowWidth_) return;
  windowWidth_ = pixels;
  if (!wordWrap_) return;
  RecomputeWrapWidth();
  MarkAll(lsWrap);
  LayoutIfLive();
}

void TRTFTextPaint::SetWordWrap(bool on) {
  if (on == wordWrap_) return;
  wordWrap_ = on;
  RecomputeWrapWidth();
  MarkAll(lsWrap);
  LayoutIfLive();
}

void TRTFTextPaint::SetShowHidden(bool on) {
  if (on == showHidden_) return;
  showHidden_ = on;
  MarkAll(lsAll);
  LayoutIfLive();
}

void TRTFTextPaint::SetHideInsertPoints(bool on) {
  if (on == hideInsertPoints_) return;
  hideInsertPoints_ = on;
  MarkAll(lsAll);
  LayoutIfLive();
}

void TRTFTextPaint::SetHideAutomatic(bool on) {
  if (on == hideAutomatic_) return;
  hideAutomatic_ = on;
  MarkAll(lsAll);
  LayoutIfLive();
}

void TRTFTextPaint::SetFontMetrics(TFontMetrics& metrics) {
  if (&metrics == fonts_.Source()) return;
  fonts_.SetSource(&metrics);
  MarkAll(lsAll);
}

void TRTFTextPaint::PageSetupChanged() {
  doc_.header.RecomputeTextSize();
  RecomputeWrapWidth();
  MarkAll(lsAll);
  LayoutIfLive();
}

void TRTFTextPaint::RecomputeWrapWidth() {
  TTextHeader& h = doc_.header;
  int width = (wordWrap_ && windowWidth_ > 0) ? windowWidth_ : h.textWidthPixels;
  h.SetWrapWidth(std::max(width, 1));
}

void TRTFTextPaint::MarkAll(uint8_t bits) {
  for (TParagraph* p = doc_.firstParagraph; p; p = p->next) p->layoutState |= bits;
}

uint32_t TRTFTextPaint::PaletteColor(int index) const {
  return index >= 0 && index < kColorCount ? doc_.header.colorTable[size_t(index)] : 0;
}

TFontSpec TRTFTextPaint::FontFor(const TCharAttr& attr) const {
  TFontSpec spec;
  std::string_view name = doc_.header.FontName(attr.font);
  if (name.empty()) name = doc_.header.FontName(0);
  spec.name = name.empty() ? std::string("Arial") : std::string(name);
  spec.pointSize = attr.PointSize();
  // Raised and lowered text is set smaller, as word processors do.
  if (attr.style & (csSuperscript | csSubscript)) spec.pointSize = std::max(1, spec.pointSize * 2 / 3);
  spec.style = attr.style;
  spec.resolutionX = doc_.header.resolutionX;
  spec.resolutionY = doc_.header.resolutionY;
  return spec;
}

bool TRTFTextPaint::Hides(const TCharAttr& a) const {
  return ((a.marks & cmHidden) && !showHidden_) || ((a.marks & cmInsertPoint) && hideInsertPoints_) ||
         ((a.marks & cmAutomatic) && hideAutomatic_);
}

// Lines without attribute records (and empty lines) take their metrics from
// the document's default format.
void TRTFTextPaint::UpdateDefaults() {
  const TFontMeasures& m = Fonts(FontFor(doc_.defaultAttr));
  doc_.widthTable = m.widths;
  doc_.defaultLineHeight = std::max<int16_t>(m.height, 1);
  doc_.defaultAscent = m.ascent;
  doc_.defaultCharHeight = std::max<int16_t>(m.height, 1);
}

// ---- measuring -------------------------------------------------------------------

void TRTFTextPaint::MeasureParagraph(TParagraph* paragraph) {
  if (inLayout_ || !paragraph) return;
  TReentryGuard guard(inLayout_);
  UpdateDefaults();
  MeasureImpl(paragraph);
}

void TRTFTextPaint::MeasureImpl(TParagraph* p) {
  // A run of characters in one font, size and style shares one lookup.
  const TFontMeasures* shownPtr = nullptr;
  const TFontMeasures* fullPtr = nullptr;
  TCharAttr runAttr;
  for (TLine* line = p->firstLine; line; line = line->next) {
    if (line->attribs && !doc_.plainMode) {
      for (int i = 0; i < line->length; ++i) {
        TCharAttr& a = line->attribs[i];
        const uint8_t c = line->text[i];
        if (Hides(a)) {
          a.width = a.height = a.ascent = 0;
          continue;
        }
        if (!shownPtr || a.font != runAttr.font || a.size != runAttr.size || a.style != runAttr.style) {
          TFontSpec spec = FontFor(a);
          shownPtr = &Fonts(spec);
          spec.pointSize = a.PointSize();
          fullPtr = &Fonts(spec);
          runAttr = a;
        }
        const TFontMeasures& shown = *shownPtr;
        const TFontMeasures& full = *fullPtr;
        a.height = full.height;
        a.ascent = full.ascent;
        if ((c == kObjectKeyChar || c == kObjectIdChar) && (a.marks & cmObject)) {
          TTextObject* obj = c == kObjectKeyChar ? doc_.FindObject(a.extra, 0) : doc_.FindObject(0, a.extra);
          if (!obj) {
            // Shown as an empty frame the size of a capital.
            a.width = full.height;
            continue;
          }
          obj->inUse = true;
          const int w = doc_.header.TwipsToPixelsX(obj->width);
          const int h = doc_.header.TwipsToPixelsY(obj->height);
          a.width = int16_t(std::clamp(w, 0, int(INT16_MAX)));
          int height = h, ascent;
          switch (obj->verticalAlign) {
            case vaAboveBottom: ascent = h - 2; break;
            case vaAscent: ascent = full.ascent; break;
            case vaCentered: ascent = h / 2; break;
            default:
              ascent = h;
              height = full.height + h - full.ascent;
              break;
          }
          a.height = int16_t(std::clamp(height, 0, int(INT16_MAX)));
          a.ascent = int16_t(std::clamp(ascent, 0, int(INT16_MAX)));
          continue;
        }
        if (c == '\t')
          a.width = shown.widths[' '];
        else if (c == kLineBreakChar)
          a.width = 0;
        else
          a.width = shown.widths[c];
      }
    }
    LineMetrics(p, line);
  }
  p->layoutState = uint8_t((p->layoutState & ~lsMeasure) | lsWrap);
}

void TRTFTextPaint::LineMetrics(const TParagraph* p, TLine* line) const {
  int ascent = 0, descent = 0;
  if (line->attribs && !doc_.plainMode) {
    // Spaces do not make a line taller unless it has nothing else.
    for (int pass = 0; pass < 2 && ascent == 0 && descent == 0; ++pass) {
      for (int i = 0; i < line->length; ++i) {
        const TCharAttr& a = line->attribs[i];
        if (a.height <= 0) continue;  // hidden
        if ((line->text[i] == ' ') != (pass == 1)) continue;
        ascent = std::max<int>(ascent, a.ascent);
        descent = std::max<int>(descent, a.height - a.ascent);
      }
    }
    if (ascent == 0 && descent == 0 && line->length == 0 && p->IsTableCell()) {
      ascent = doc_.defaultAscent;
      descent = (doc_.defaultCharHeight > 0 ? doc_.defaultCharHeight : 16) - ascent;
    }
  }
  if (ascent == 0 && descent == 0) {
    ascent = doc_.defaultAscent;
    descent = doc_.defaultLineHeight - doc_.defaultAscent;
  }
  int height = ascent + std::max(descent, 0);
  const TTextHeader& h = doc_.header;
  const int spacing = h.TwipsToPixelsY(p->lineSpacing);
  height += spacing;
  ascent = std::max(0, ascent + spacing / 2);
  if (line == p->firstLine) {
    const int before = std::max(0, h.TwipsToPixelsY(p->spaceBefore));
    height += before;
    ascent += before;
  }
  if (!line->next) height += std::max(0, h.TwipsToPixelsY(p->spaceAfter));
  line->height = ClampU16(std::max(height, 1));
  line->ascent = ClampU16(std::min(ascent, int(line->height)));
}

// ---- the whole document ---------------------------------------------------------

int TRTFTextPaint::LayoutDocument(const std::function<void(int)>& progress) {
  if (inLayout_) return documentHeight_;
  TReentryGuard guard(inLayout_);
  UpdateDefaults();
  int count = 0;
  for (TParagraph* p = doc_.firstParagraph; p; p = p->next) ++count;
  int reported = -1;
  auto report = [&](int percent) {
    if (progress && percent != reported) {
      reported = percent;
      progress(percent);
    }
  };
  report(0);
  int done = 0;
  for (TParagraph* p = doc_.firstParagraph; p; p = p->next) {
    if (p->layoutState & lsMeasure) MeasureImpl(p);
    if (p->layoutState & lsWrap) WrapImpl(p, true, {});
    ++done;
    report(int(int64_t(done) * 100 / std::max(count, 1)));
  }
  PaginateImpl();
  PruneDigests();
  report(100);
  return documentHeight_;
}

int TRTFTextPaint::RelayoutAll(const std::function<void(int)>& progress) {
  if (inLayout_) return documentHeight_;
  // Everything is drawn again: no line needs telling apart.
  lineDigest_.clear();
  MarkAll(lsAll);
  return LayoutDocument(progress);
}

int TRTFTextPaint::WrapParagraph(TParagraph* paragraph, bool compare, std::span<TLineSpot* const> keep) {
  if (inLayout_ || !paragraph) return wcNone;
  TReentryGuard guard(inLayout_);
  if (paragraph->layoutState & lsMeasure) {
    UpdateDefaults();
    MeasureImpl(paragraph);
  }
  return WrapImpl(paragraph, compare, keep);
}

int TRTFTextPaint::RelayoutParagraph(TParagraph* paragraph, std::span<TLineSpot* const> keep) {
  if (inLayout_ || !paragraph || !(paragraph->layoutState & lsAll)) return wcNone;
  TReentryGuard guard(inLayout_);
  if (paragraph->layoutState & lsMeasure) {
    UpdateDefaults();
    MeasureImpl(paragraph);
  }
  const int result = WrapImpl(paragraph, true, keep);
  // New lines carry no page starts, and the lines below may have moved.
  PaginateImpl();
  return result;
}

int TRTFTextPaint::Paginate() {
  if (inLayout_) return documentHeight_;
  TReentryGuard guard(inLayout_);
  return PaginateImpl();
}

}  // namespace quill
