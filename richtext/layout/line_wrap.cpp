// Wrapping a paragraph into display lines, tab positions and justification.

#include <algorithm>
#include <cstring>
#include <vector>

#include "richtext/layout/text_paint.h"

namespace quill {

namespace {

bool AlignsAtEnd(const TParagraph* p) { return p->alignment == alRight || p->alignment == alCenter; }

// Index after the last character that is not a space.
int TrimmedEnd(const uint8_t* text, int n) {
  while (n > 0 && text[n - 1] == ' ') --n;
  return n;
}

}  // namespace

int TRTFTextPaint::BorderSpacingPixels(const TParagraph* p) const {
  if (!(p->borderFlags & bfOn)) return 0;
  return doc_.header.TwipsToPixelsX(p->BorderSpacing() * 567 / 10);
}

int TRTFTextPaint::TableWidth() const { return doc_.header.wrapWidth; }

TRTFTextPaint::Frame TRTFTextPaint::LineFrame(const TParagraph* p, bool firstLine) const {
  const TTextHeader& h = doc_.header;
  Frame f;
  if (p->IsTableCell()) {
    // Cells keep their text a little off the cell's frame lines.
    constexpr int kCellPadding = 2;
    const int tw = TableWidth();
    const int left = int(int64_t(p->CellStartShare()) * tw / 255);
    const int width = int(int64_t(p->CellWidthShare()) * tw / 255);
    f.cell = true;
    f.tabOrigin = left;
    f.start = left + kCellPadding;
    f.available = width - 2 * kCellPadding;
  } else {
    const int spacingTwips = (p->borderFlags & bfOn) ? p->BorderSpacing() * 567 / 10 : 0;
    const int32_t indent = firstLine ? p->firstIndent : p->leftIndent;
    f.start = h.TwipsToPixelsX(indent + spacingTwips) + 1;
    int right = h.TwipsToPixelsX(p->rightIndent + spacingTwips);
    // Wrapping at the window: only the part of the right indent that reaches
    // into the window narrows the line.
    if (wordWrap_ && windowWidth_ > 0) right = std::max(0, right - (h.textWidthPixels - h.wrapWidth));
    f.available = h.wrapWidth - right - f.start;
  }
  if (f.available < 1) f.available = 16;
  return f;
}

int TRTFTextPaint::BaseWidth(const TLine* line, int i) const {
  const uint8_t c = line->text[i];
  if (c == kLineBreakChar) return 0;
  if (line->attribs && !doc_.plainMode) return line->attribs[i].width;
  return doc_.widthTable[c == '\t' ? ' ' : c];
}

int TRTFTextPaint::TabTarget(const TParagraph* p, const Frame& f, int w, const uint8_t* text, const int* widths,
                             int from, int to) const {
  const TTextHeader& h = doc_.header;
  const int x = f.start - f.tabOrigin + w;
  int stop = INT32_MAX;
  uint8_t kind = tkLeft;
  auto consider = [&](int i) {
    if (h.tabPositions[size_t(i)] == 0) return;
    const int px = h.tabPixels[size_t(i)];
    if (px > x && px < stop) {
      stop = px;
      kind = h.tabKinds[size_t(i)];
    }
  };
  if (p->IsTableCell()) {
    const int i = p->CellDecimalTab();
    if (i >= 0 && i < kTabCount) consider(i);
  } else {
    for (int i = 0; i < kTabCount; ++i)
      if (p->tabMask & (1u << i)) consider(i);
  }
  if (stop == INT32_MAX) {
    const int interval = std::max(1, int(h.defaultTabInterval));
    stop = x < 0 ? 0 : (x / interval + 1) * interval;
    kind = tkLeft;
  }
  int target = stop;
  if (kind != tkLeft) {
    // The text that follows, up to the next tab or line end, is placed
    // against the stop.
    int segment = 0, beforeDecimal = -1;
    for (int j = from; j < to && text[j] != '\t' && text[j] != kLineBreakChar; ++j) {
      if (kind == tkDecimal && beforeDecimal < 0 && text[j] == h.decimalChar) beforeDecimal = segment;
      segment += widths[j];
    }
    if (kind == tkRight)
      target = stop - segment;
    else if (kind == tkCenter)
      target = stop - segment / 2;
    else
      target = stop - (beforeDecimal >= 0 ? beforeDecimal : segment);
  }
  return w + std::max(0, target - x);
}

void TRTFTextPaint::ComputeAdvances(const TParagraph* p, const Frame& f, const uint8_t* text, const int* widths,
                                    int n, std::vector<int>& out) const {
  out.resize(size_t(n));
  const bool tabsAsSpaces = AlignsAtEnd(p);
  int w = 0;
  for (int i = 0; i < n; ++i) {
    int adv = widths[i];
    if (text[i] == '\t' && !tabsAsSpaces) adv = TabTarget(p, f, w, text, widths, i + 1, n) - w;
    out[size_t(i)] = adv;
    w += adv;
  }
}

void TRTFTextPaint::ApplyJustification(const TLine* line, const uint8_t* text, int n, std::vector<int>& adv) const {
  if (line->extraPerSpace == 0 && line->remainder == 0) return;
  const int end = TrimmedEnd(text, n);
  int k = 0;
  for (int i = line->justifyStart; i < end; ++i) {
    if (text[i] != ' ') continue;
    adv[size_t(i)] += line->extraPerSpace + (k < line->remainder ? 1 : 0);
    ++k;
  }
}

std::vector<int> TRTFTextPaint::LineAdvances(const TParagraph* p, const TLine* line) const {
  std::vector<int> widths(line->length);
  for (int i = 0; i < line->length; ++i) widths[size_t(i)] = BaseWidth(line, i);
  std::vector<int> adv;
  ComputeAdvances(p, LineFrame(p, line == p->firstLine), line->text, widths.data(), line->length, adv);
  ApplyJustification(line, line->text, line->length, adv);
  return adv;
}

// Marks a line in its spare byte as made by wrapping; a line the document
// made since (its spare byte 0) has never been drawn, wherever its memory
// came from.
constexpr uint8_t kWrappedLine = 1;

// Text, format, widths and placement of a line in one number.
uint64_t TRTFTextPaint::LineDigest(const TLine* l) {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](const void* data, size_t n) {
    const auto* b = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
  };
  const uint16_t fields[] = {l->length, l->width, l->justifyStart, l->extraPerSpace, l->remainder, l->height,
                             l->ascent};
  mix(fields, sizeof fields);
  mix(&l->top, sizeof l->top);
  mix(l->text, l->length);
  if (l->attribs)
    for (int i = 0; i < l->length; ++i) {
      const TCharAttr& a = l->attribs[i];
      const uint8_t f[] = {a.font, a.colors, a.style, a.marks, a.size};
      mix(f, sizeof f);
      mix(&a.width, sizeof a.width);
    }
  return h;
}

void TRTFTextPaint::PruneDigests() {
  // Lines freed by edits leave entries behind; start again from the lines
  // there are once the table holds many more entries than lines.
  size_t lines = 0;
  for (const TParagraph* p = doc_.firstParagraph; p; p = p->next)
    for (const TLine* l = p->firstLine; l; l = l->next) ++lines;
  if (lineDigest_.size() <= 2 * lines + 64) return;
  lineDigest_.clear();
  for (const TParagraph* p = doc_.firstParagraph; p; p = p->next)
    for (const TLine* l = p->firstLine; l; l = l->next) lineDigest_[l] = {LineDigest(l), l->height};
}

int TRTFTextPaint::WrapImpl(TParagraph* p, bool compare, std::span<TLineSpot* const> keep) {
  const bool rich = !doc_.plainMode;
  // The paragraph's characters in one run, whatever lines they sit in.
  std::vector<TLine*> olds;
  std::vector<int> oldStarts;
  std::vector<uint8_t> text;
  std::vector<TCharAttr> attrs;
  std::vector<int> widths;
  for (TLine* l = p->firstLine; l; l = l->next) {
    olds.push_back(l);
    oldStarts.push_back(int(text.size()));
    for (int i = 0; i < l->length; ++i) {
      text.push_back(l->text[i]);
      widths.push_back(BaseWidth(l, i));
      if (rich) attrs.push_back(l->attribs ? l->attribs[i] : doc_.defaultAttr);
    }
  }
  // An empty line keeps the format typed text would get.
  const TCharAttr emptyAttr =
      (rich && p->firstLine && p->firstLine->attribs) ? p->firstLine->attribs[0] : doc_.defaultAttr;
  const int n = int(text.size());
  text.push_back(0);

  struct Slice {
    int from, to;
    bool lineBreak;
  };
  std::vector<Slice> slices;
  const bool tabsAsSpaces = AlignsAtEnd(p);
  // Longest display line a TLine can hold, with the slots NewLine adds.
  const int maxChars = kMaxLineCapacity - 4;
  int pos = 0;
  while (pos < n) {
    const Frame f = LineFrame(p, slices.empty());
    int w = 0, lastBreak = -1, i = pos;
    bool lineBreak = false;
    while (i < n && w <= f.available && i - pos < maxChars) {
      const uint8_t c = text[size_t(i)];
      int adv = widths[size_t(i)];
      if (c == '\t' && !tabsAsSpaces) {
        adv = TabTarget(p, f, w, text.data(), widths.data(), i + 1, n) - w;
        lastBreak = -1;
      } else if ((c == ' ' || c == '\t') && i - pos >= 2) {
        lastBreak = i;
      }
      w += adv;
      ++i;
      if (c == kLineBreakChar) {
        lineBreak = true;
        break;
      }
    }
    int end = i;
    if (!lineBreak && w > f.available && lastBreak >= 0) end = lastBreak + 1;
    slices.push_back({pos, end, lineBreak});
    pos = end;
  }
  // A final line break (and an empty paragraph) leaves an empty line for
  // the caret.
  if (n == 0 || text[size_t(n - 1)] == kLineBreakChar) slices.push_back({n, n, false});

  // Build the new lines before touching the old ones.
  std::vector<TLine*> news;
  try {
    TLine* prev = nullptr;
    for (const Slice& s : slices) {
      const int count = s.to - s.from;
      TLine* nl = doc_.NewLine(prev, count + 4);
      news.push_back(nl);
      if (count > 0) std::memcpy(nl->text, text.data() + s.from, size_t(count));
      nl->text[count] = 0;
      nl->length = uint16_t(count);
      if (rich && nl->attribs) {
        if (count > 0)
          std::memcpy(static_cast<void*>(nl->attribs), attrs.data() + s.from, size_t(count) * sizeof(TCharAttr));
        else
          nl->attribs[0] = s.from > 0 ? attrs[size_t(s.from - 1)] : emptyAttr;
      }
      prev = nl;
    }
  } catch (...) {
    for (TLine* l : news) delete l;
    throw;
  }

  // Widths and justification.
  std::vector<int> adv;
  for (size_t k = 0; k < slices.size(); ++k) {
    const Slice& s = slices[k];
    TLine* nl = news[k];
    const Frame f = LineFrame(p, k == 0);
    const int count = s.to - s.from;
    ComputeAdvances(p, f, text.data() + s.from, widths.data() + s.from, count, adv);
    const bool lastLine = s.to >= n && k + 1 == slices.size();
    const bool brokeAtSpace = !s.lineBreak && !lastLine && count > 0 && text[size_t(s.to - 1)] == ' ';
    // A line broken at a space ends before its trailing spaces.
    const int visible = brokeAtSpace ? TrimmedEnd(text.data() + s.from, count) : count;
    int width = 0;
    for (int i = 0; i < visible; ++i) width += adv[size_t(i)];
    nl->width = uint16_t(std::clamp(width, 0, 0xFFFF));
    nl->justifyStart = nl->extraPerSpace = nl->remainder = 0;
    const bool justify = p->alignment == alJustify && !s.lineBreak && (!lastLine || (p->flags & pfContinues));
    if (!justify) continue;
    int start = 0;
    if (!tabsAsSpaces)
      for (int i = 0; i < count; ++i)
        if (text[size_t(s.from + i)] == '\t') start = i + 1;
    const int end = TrimmedEnd(text.data() + s.from, count);
    int spaces = 0;
    for (int i = start; i < end; ++i)
      if (text[size_t(s.from + i)] == ' ') ++spaces;
    const int slack = f.available - width;
    if (spaces < 1 || slack <= 0) continue;
    nl->justifyStart = uint16_t(start);
    nl->extraPerSpace = uint16_t(std::min(slack / spaces, 0xFFFF));
    nl->remainder = uint16_t(slack % spaces);
  }

  // Swap the chains, then give the new lines their metrics and tops.
  const int32_t top = p->firstLine ? p->firstLine->top : 0;
  p->firstLine = news.front();
  int32_t y = top;
  for (TLine* nl : news) {
    LineMetrics(p, nl);
    nl->top = y;
    y += nl->height;
  }

  int result = wcParagraphHeight;
  if (compare) {
    result = wcNone;
    // Measuring has already given the old lines their new heights: the
    // heights of the last layout are in the records.
    auto recorded = [this](const TLine* l) -> const LineRecord* {
      auto it = lineDigest_.find(l);
      return it == lineDigest_.end() ? nullptr : &it->second;
    };
    int oldHeight = 0, newHeight = 0;
    for (TLine* l : olds) {
      const LineRecord* r = recorded(l);
      oldHeight += r ? r->height : l->height;
    }
    for (size_t k = 0; k < news.size(); ++k) {
      TLine* nl = news[k];
      newHeight += nl->height;
      const LineRecord* r = k < olds.size() ? recorded(olds[k]) : nullptr;
      const int wasHeight = r ? r->height : (k < olds.size() ? olds[k]->height : -1);
      const bool drawnBefore = k < olds.size() && olds[k]->spare == kWrappedLine;
      if (!r || !drawnBefore || r->digest != LineDigest(nl)) {
        nl->lineFlags |= lfChanged;
        result = std::max(result, int(wcLines));
      }
      if (wasHeight != nl->height) result = std::max(result, int(wcLineHeight));
    }
    if (olds.size() != news.size()) result = std::max(result, int(wcLineHeight));
    if (oldHeight != newHeight) result = wcParagraphHeight;
  } else {
    for (TLine* nl : news) nl->lineFlags |= lfChanged;
  }
  for (TLine* l : olds) lineDigest_.erase(l);
  for (TLine* nl : news) {
    nl->spare = kWrappedLine;
    lineDigest_[nl] = {LineDigest(nl), nl->height};
  }

  // Places that pointed into the old lines move to the same character.
  for (TLineSpot* spot : keep) {
    if (!spot) continue;
    auto it = std::find(olds.begin(), olds.end(), spot->line);
    if (it == olds.end()) continue;
    const TLine* ol = *it;
    const int offset = oldStarts[size_t(it - olds.begin())] + std::clamp(spot->index, 0, int(ol->length));
    size_t k = 0;
    while (k + 1 < slices.size() && offset >= slices[k].to) ++k;
    spot->line = news[k];
    spot->index = std::clamp(offset - slices[k].from, 0, int(news[k]->length));
  }

  for (TLine* l : olds) delete l;
  p->layoutState &= uint8_t(~lsWrap);
  return result;
}

}  // namespace quill
