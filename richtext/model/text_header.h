#pragma once
// Document-wide tables of a rich text document: colours, fonts, tab stops,
// page size and margins, document information.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "richtext/model/model_types.h"

namespace quill {

inline constexpr int kFontCount = 99;
inline constexpr int kFontNameMax = 31;
inline constexpr int kTabCount = 31;
inline constexpr int kColorCount = 16;
inline constexpr uint8_t kAnyTabKind = 4;

// tab kinds
inline constexpr uint8_t tkLeft = 0;
inline constexpr uint8_t tkRight = 1;
inline constexpr uint8_t tkCenter = 2;
inline constexpr uint8_t tkDecimal = 3;

// A font name of at most 31 characters, length-prefixed in 32 bytes.
struct TFontName {
  uint8_t length = 0;
  char chars[kFontNameMax] = {};

  std::string_view View() const { return std::string_view(chars, length); }
  bool Empty() const { return length == 0; }
  void Assign(std::string_view name);  // cut to 31 characters
  void Clear() { length = 0; }
};

// 32-bit RGB with red in the low byte.
constexpr uint32_t MakeRGB(uint8_t r, uint8_t g, uint8_t b) {
  return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
constexpr uint8_t RedOf(uint32_t c) { return uint8_t(c & 0xFF); }
constexpr uint8_t GreenOf(uint32_t c) { return uint8_t((c >> 8) & 0xFF); }
constexpr uint8_t BlueOf(uint32_t c) { return uint8_t((c >> 16) & 0xFF); }

extern const std::array<uint32_t, kColorCount> kDefaultColorTable;

// A callback into the object that owns the holder. A copy of the holder
// belongs to another owner (or none), so copying leaves the callback behind:
// a copy starts without one and an assignment keeps the target's own.
class TOwnerCallback {
 public:
  TOwnerCallback() = default;
  TOwnerCallback(const TOwnerCallback&) {}
  TOwnerCallback& operator=(const TOwnerCallback&) { return *this; }
  TOwnerCallback& operator=(std::function<void()> f) {
    fn_ = std::move(f);
    return *this;
  }
  explicit operator bool() const { return static_cast<bool>(fn_); }
  void operator()() const {
    if (fn_) fn_();
  }

 private:
  std::function<void()> fn_;
};

class TTextHeader {
 public:
  TTextHeader();

  int32_t wrapWidth = 0;       // pixels
  int32_t wrapWidthTwips = 0;  // follows wrapWidth and resolutionX
  std::array<uint32_t, kColorCount> colorTable = kDefaultColorTable;
  int32_t resolutionX = 0;  // pixels per inch; 0 until layout sets it
  int32_t resolutionY = 0;
  std::array<TFontName, kFontCount> fontTable{};  // free entries only at the end
  std::array<int32_t, kFontCount> fontFamily{};   // high nibble 0x20 swiss, 0x30 modern, 0x40 script, 0x50 decor
  std::array<int32_t, kFontCount> fontCharset{};
  std::array<int32_t, kTabCount> tabPositions{};  // twips; 0 marks a free entry
  std::array<int32_t, kTabCount> tabPixels{};
  std::array<uint8_t, kTabCount> tabKinds{};      // tk*
  uint8_t decimalChar = '.';
  std::string title, subject, comment;
  int32_t pageWidth = 12240, pageHeight = 15840;
  int32_t marginLeft = 1880, marginRight = 1880, marginTop = 1440, marginBottom = 1440;
  bool facingPages = false, landscape = false;
  bool rulerInch = true;  // TRulerUnit Inch when set, Centimeter otherwise
  int32_t textWidthPixels = 0, textHeightPixels = 0;
  int32_t defaultTabInterval = 0;  // pixels
  bool richMode = true;
  uint8_t loadedFormat = AutomaticFormat;  // TLoadFormat of the last load
  uint8_t defaultTabKind = tkLeft;

  // Called by FindOrAddTab once when the tab table is full; it may free
  // entries that no paragraph refers to. The document installs its own.
  // It belongs to the header's owner, so copying a header never copies it.
  TOwnerCallback freeUnusedTabs;

  TRulerUnit RulerUnit() const { return rulerInch ? Inch : Centimeter; }
  void SetRulerUnit(TRulerUnit u) { rulerInch = (u == Inch); RecomputeTextSize(); }

  // Font table lookup or add, ignoring case; 99 when the table is full.
  int InternFont(std::string_view name);
  std::string_view FontName(int index) const {
    return index >= 0 && index < kFontCount ? fontTable[size_t(index)].View() : std::string_view();
  }
  // Number of used font entries (the first empty one ends them).
  int FontCount() const;

  // Rounds a twips value to the ruler grid when the resolution is known.
  int32_t SnapToGrid(int32_t value) const;
  // Tab mask bit of the stop at position (twips) of that kind (4 any), adding
  // it when new; 0 when the position is not positive or the table is full.
  uint32_t FindOrAddTab(int32_t position, uint8_t kind);

  int32_t TwipsToPixelsX(int32_t twips) const { return int32_t(int64_t(twips) * resolutionX / 1440); }
  int32_t TwipsToPixelsY(int32_t twips) const { return int32_t(int64_t(twips) * resolutionY / 1440); }
  // Sets the wrap width in pixels and its twips value.
  void SetWrapWidth(int32_t pixels);
  // Text width/height in pixels, default tab interval, tab pixel positions.
  void RecomputeTextSize();
  // Back to a new document's tables: font entries 1..98 emptied, page and
  // margins, colours. Title, subject and comment stay.
  void ResetForClear();
};

}  // namespace quill
