#pragma once
// One character's attribute record.

#include <cstdint>

namespace quill {

// style bits
inline constexpr uint8_t csBold = 0x01;
inline constexpr uint8_t csItalic = 0x02;
inline constexpr uint8_t csUnderline = 0x04;
inline constexpr uint8_t csStrikeOut = 0x08;
inline constexpr uint8_t csDoubleUnderline = 0x10;
inline constexpr uint8_t csSuperscript = 0x40;
inline constexpr uint8_t csSubscript = 0x80;

// marks bits
inline constexpr uint8_t cmHidden = 0x01;
inline constexpr uint8_t cmShadow = 0x02;
inline constexpr uint8_t cmRawRtf = 0x04;
inline constexpr uint8_t cmFootnote = 0x08;     // extra = footnote id
inline constexpr uint8_t cmInsertPoint = 0x10;  // extra = insert point number
inline constexpr uint8_t cmAutomatic = 0x20;
inline constexpr uint8_t cmObject = 0x40;       // extra = object key (code 1) or id (code 2)

// Character codes with a meaning of their own inside a line.
inline constexpr uint8_t kObjectKeyChar = 1;  // object character naming a key
inline constexpr uint8_t kObjectIdChar = 2;   // object character naming an id
inline constexpr uint8_t kLineBreakChar = 10;  // forced line break

struct TCharAttr {
  int16_t width = 0;   // layout cache: advance width, pixels
  int16_t height = 0;  // layout cache: cell height, pixels
  int16_t ascent = 0;  // layout cache: ascent, pixels
  uint8_t font = 0;    // index into the header's font table
  uint8_t colors = 0;  // low nibble text colour, high nibble background (0 none)
  uint8_t style = 0;   // cs* bits
  uint8_t marks = 0;   // cm* bits
  uint8_t size = 0;    // points; 0 means 10
  uint8_t spare = 0;   // not compared, not stored
  int16_t extra = 0;   // insert point number, footnote id or object key

  uint8_t TextColor() const { return colors & 0x0F; }
  uint8_t BackColor() const { return colors >> 4; }
  void SetTextColor(uint8_t c) { colors = uint8_t((colors & 0xF0) | (c & 0x0F)); }
  void SetBackColor(uint8_t c) { colors = uint8_t((colors & 0x0F) | ((c & 0x0F) << 4)); }
  // Size in points with the 0 = 10 rule applied.
  int PointSize() const { return size == 0 ? 10 : size; }
};

// Two characters have the same format when these five fields agree; the
// layout fields, spare and extra do not take part. Writers cut runs here.
inline bool SameFormat(const TCharAttr& a, const TCharAttr& b) {
  return a.font == b.font && a.colors == b.colors && a.style == b.style &&
         a.marks == b.marks && a.size == b.size;
}

// Gives TO the format of FROM (the five fields SameFormat compares); its
// layout fields, spare and extra stay.
inline void CopyFormat(TCharAttr& to, const TCharAttr& from) {
  to.font = from.font;
  to.colors = from.colors;
  to.style = from.style;
  to.marks = from.marks;
  to.size = from.size;
}

}  // namespace quill
