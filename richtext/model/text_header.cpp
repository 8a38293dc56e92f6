#include "richtext/model/text_header.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace quill {

const std::array<uint32_t, kColorCount> kDefaultColorTable = {
    MakeRGB(0, 0, 0),       MakeRGB(255, 0, 0),     MakeRGB(0, 128, 0),   MakeRGB(0, 0, 255),
    MakeRGB(255, 255, 0),   MakeRGB(255, 0, 255),   MakeRGB(128, 0, 128), MakeRGB(128, 0, 0),
    MakeRGB(0, 255, 0),     MakeRGB(0, 255, 255),   MakeRGB(0, 128, 128), MakeRGB(0, 0, 128),
    MakeRGB(255, 255, 255), MakeRGB(192, 192, 192), MakeRGB(128, 128, 128), MakeRGB(0, 0, 0),
};

void TFontName::Assign(std::string_view name) {
  size_t n = std::min(name.size(), size_t(kFontNameMax));
  std::copy_n(name.data(), n, chars);
  length = uint8_t(n);
}

TTextHeader::TTextHeader() { RecomputeTextSize(); }

static inline unsigned char LowerAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

static bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(static_cast<unsigned char>(a[i])) != LowerAscii(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

int TTextHeader::InternFont(std::string_view name) {
  if (name.size() > size_t(kFontNameMax)) name = name.substr(0, kFontNameMax);
  // An empty name marks a free entry: it cannot be stored, so it means the
  // default font.
  if (name.empty()) return 0;
  int i = 0;
  while (i < kFontCount && !fontTable[size_t(i)].Empty()) {
    if (SameNameIgnoringCase(fontTable[size_t(i)].View(), name)) return i;
    ++i;
  }
  if (i < kFontCount) {
    fontTable[size_t(i)].Assign(name);
    fontFamily[size_t(i)] = 0;
    fontCharset[size_t(i)] = 0;
  }
  return i;
}

int TTextHeader::FontCount() const {
  int i = 0;
  while (i < kFontCount && !fontTable[size_t(i)].Empty()) ++i;
  return i;
}

int32_t TTextHeader::SnapToGrid(int32_t value) const {
  if (resolutionX <= 0) return value;
  const int32_t step = rulerInch ? 144 : 141;
  int64_t v = int64_t(value) + step / 2 + 1;
  v -= v % step;
  return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

uint32_t TTextHeader::FindOrAddTab(int32_t position, uint8_t kind) {
  if (position <= 0) return 0;
  auto search = [&](int32_t pos) -> int {
    for (int i = 0; i < kTabCount; ++i)
      if (tabPositions[size_t(i)] == pos && (kind == kAnyTabKind || tabKinds[size_t(i)] == kind))
        return i;
    return -1;
  };
  int found = search(position);
  if (found >= 0) return 1u << found;
  const int32_t snapped = SnapToGrid(position);
  // A stop that snaps onto the margin would be stored as 0, which marks a
  // free entry; another stop would then take its place.
  if (snapped <= 0) return 0;
  found = search(snapped);
  if (found >= 0) return 1u << found;
  auto firstFree = [&]() -> int {
    for (int i = 0; i < kTabCount; ++i)
      if (tabPositions[size_t(i)] == 0) return i;
    return -1;
  };
  int slot = firstFree();
  if (slot < 0 && freeUnusedTabs) {
    freeUnusedTabs();
    slot = firstFree();
  }
  if (slot < 0) return 0;
  tabPositions[size_t(slot)] = snapped;
  tabPixels[size_t(slot)] = TwipsToPixelsX(snapped);
  tabKinds[size_t(slot)] = kind == kAnyTabKind ? defaultTabKind : kind;
  return 1u << slot;
}

void TTextHeader::SetWrapWidth(int32_t pixels) {
  wrapWidth = pixels;
  wrapWidthTwips = resolutionX > 0 ? int32_t(int64_t(pixels) * 1440 / resolutionX) : 0;
}

void TTextHeader::RecomputeTextSize() {
  // Page and margins come from the RTF as any 32-bit numbers.
  auto span = [](int32_t whole, int32_t a, int32_t b) {
    return int32_t(std::clamp<int64_t>(int64_t(whole) - a - b, INT32_MIN, INT32_MAX));
  };
  textWidthPixels = TwipsToPixelsX(span(pageWidth, marginLeft, marginRight));
  textHeightPixels = TwipsToPixelsY(span(pageHeight, marginTop, marginBottom));
  defaultTabInterval = int32_t(rulerInch ? int64_t(resolutionX) * 100 / 300 : int64_t(resolutionX) * 100 / 254);
  for (int i = 0; i < kTabCount; ++i) tabPixels[size_t(i)] = TwipsToPixelsX(tabPositions[size_t(i)]);
}

void TTextHeader::ResetForClear() {
  for (int i = 1; i < kFontCount; ++i) {
    fontTable[size_t(i)].Clear();
    fontFamily[size_t(i)] = 0;
    fontCharset[size_t(i)] = 0;
  }
  pageWidth = 12240;
  pageHeight = 15840;
  marginLeft = 1880;
  marginRight = 1880;
  marginTop = 1440;
  marginBottom = 1440;
  colorTable = kDefaultColorTable;
  RecomputeTextSize();
}

}  // namespace quill
