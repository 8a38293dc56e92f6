#pragma once
// Paragraphs and their lines: the chains that hold a document's text.

#include <cstdint>
#include <string_view>

#include "richtext/model/char_attr.h"

namespace quill {

// paragraph flags
inline constexpr uint8_t pfPageBreak = 0x01;     // page break before this paragraph
inline constexpr uint8_t pfLastCell = 0x02;      // last cell of a table row
inline constexpr uint8_t pfRowContinues = 0x04;  // the row goes on after this cell
inline constexpr uint8_t pfTableCell = 0x08;     // the paragraph is a table cell
inline constexpr uint8_t pfContinues = 0x40;     // text continues in the next paragraph

// layout state bits: set by every change, cleared by the layout layer
inline constexpr uint8_t lsWrap = 0x01;
inline constexpr uint8_t lsMeasure = 0x02;
inline constexpr uint8_t lsAll = lsWrap | lsMeasure;

// line flags: layout cache
inline constexpr uint8_t lfChanged = 0x01;    // changed since the last layout
inline constexpr uint8_t lfPageStart = 0x02;  // starts a new page

// border flags
inline constexpr uint8_t bfOn = 0x01;
inline constexpr uint8_t bfEnds = 0x02;  // a following paragraph does not inherit it
inline constexpr uint8_t bfTop = 0x04;
inline constexpr uint8_t bfBottom = 0x08;
inline constexpr uint8_t bfLeft = 0x10;
inline constexpr uint8_t bfRight = 0x20;
inline constexpr uint8_t bfBox = 0x40;
inline constexpr uint8_t bfDouble = 0x80;

// border style bits
inline constexpr uint8_t bsDotted = 0x01;
inline constexpr uint8_t bsHairline = 0x02;
inline constexpr uint8_t bsBar = 0x04;
inline constexpr uint8_t bsTableLines = 0x40;

// alignment values
inline constexpr uint8_t alLeft = 0;
inline constexpr uint8_t alRight = 1;
inline constexpr uint8_t alCenter = 2;
inline constexpr uint8_t alJustify = 3;

// One chunk of a paragraph's text. After layout it is one display line; while
// reading it is storage that layout re-flows. text has capacity + 1 bytes and
// is always 0-terminated at length; attribs (fmRichText only) has capacity
// records. Both arrays are owned by the line and freed with it.
struct TLine {
  uint16_t height = 0;  // layout cache, pixels, including spacing
  uint16_t ascent = 0;  // layout cache, pixels
  int32_t top = 0;       // layout cache: pixels from the top of the document
  uint8_t lineFlags = 0;  // lf* bits
  uint8_t spare = 0;
  uint8_t* text = nullptr;
  TCharAttr* attribs = nullptr;  // none in fmPlainText
  uint16_t capacity = 0;         // slots allocated
  uint16_t length = 0;           // slots in use
  // Layout cache: the line's width in pixels, and for a justified line the
  // index after which spaces stretch, the extra pixels per space and the
  // pixels left over (given out one each to the first spaces).
  uint16_t width = 0;
  uint16_t justifyStart = 0;
  uint16_t extraPerSpace = 0;
  uint16_t remainder = 0;
  TLine* next = nullptr;
  TLine* prev = nullptr;
  // Set when text lives in the same allocation as attribs (after the
  // capacity records); then only attribs is freed.
  bool packed = false;

  TLine() = default;
  TLine(const TLine&) = delete;
  TLine& operator=(const TLine&) = delete;
  ~TLine();

  std::string_view Text() const {
    return std::string_view(reinterpret_cast<const char*>(text), length);
  }
  int FreeSlots() const { return capacity - length; }
};

// A paragraph owns its line chain: freeing the paragraph frees its lines.
// Code that moves lines to another paragraph takes them out of firstLine
// first.
struct TParagraph {
  TParagraph() = default;
  TParagraph(const TParagraph&) = delete;
  TParagraph& operator=(const TParagraph&) = delete;
  ~TParagraph() {
    TLine* l = firstLine;
    while (l) {
      TLine* n = l->next;
      delete l;
      l = n;
    }
  }

  int32_t firstIndent = 0;  // absolute position of the first line's start, twips
  int32_t leftIndent = 0;
  int32_t rightIndent = 0;
  int32_t spaceBefore = 0;
  int32_t spaceAfter = 0;
  int32_t lineSpacing = 0;  // added to every line's height; 0 none
  uint8_t alignment = 0;    // al*
  uint8_t flags = 0;        // pf*
  uint8_t layoutState = 0;  // ls*
  uint8_t borderFlags = 0;  // bf*
  uint8_t borderStyle = 0;  // bs*
  uint8_t borderWidth = 0;  // points
  uint8_t borderSpacingColor = 0;  // high nibble spacing mm, low nibble colour index
  uint8_t reserved[2] = {0, 0};
  TLine* firstLine = nullptr;
  TParagraph* next = nullptr;
  TParagraph* prev = nullptr;
  // Bit i: tab stop i of the header's table applies (bits 0..30). In a table
  // cell: byte 0 start share, byte 1 width share (of 255), low nibble of the
  // top byte the cell's decimal tab stop index + 1.
  uint32_t tabMask = 0;

  bool IsTableCell() const { return (flags & pfTableCell) != 0; }
  uint8_t CellStartShare() const { return uint8_t(tabMask & 0xFF); }
  uint8_t CellWidthShare() const { return uint8_t((tabMask >> 8) & 0xFF); }
  int CellDecimalTab() const { return int((tabMask >> 24) & 0x0F) - 1; }  // -1 none
  uint8_t BorderSpacing() const { return borderSpacingColor >> 4; }
  uint8_t BorderColor() const { return borderSpacingColor & 0x0F; }
  // Number of characters in all lines.
  int TextLength() const {
    int n = 0;
    for (const TLine* l = firstLine; l; l = l->next) n += l->length;
    return n;
  }
  void MarkForLayout() { layoutState |= lsAll; }
};

// Copies a paragraph's properties but its tab mask (which refers to a
// document's tab table) between paragraphs and records that keep them
// (copies, undo steps).
template <class To, class From>
void CopyParagraphProperties(To& to, const From& from) {
  to.firstIndent = from.firstIndent;
  to.leftIndent = from.leftIndent;
  to.rightIndent = from.rightIndent;
  to.spaceBefore = from.spaceBefore;
  to.spaceAfter = from.spaceAfter;
  to.lineSpacing = from.lineSpacing;
  to.alignment = from.alignment;
  to.flags = from.flags;
  to.borderFlags = from.borderFlags;
  to.borderStyle = from.borderStyle;
  to.borderWidth = from.borderWidth;
  to.borderSpacingColor = from.borderSpacingColor;
  to.reserved[0] = from.reserved[0];
  to.reserved[1] = from.reserved[1];
}

}  // namespace quill
