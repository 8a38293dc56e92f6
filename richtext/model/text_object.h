#pragma once
// Footnotes and embedded objects (pictures and placeholder objects).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quill {

struct TFootnote {
  uint8_t mark = '#';   // the character that stood at the anchor
  int32_t number = 0;   // from the RTF number word, 0 if none
  uint16_t id = 0;      // unique within the document, first 1
  std::string text;
  TFootnote* prev = nullptr;
  TFootnote* next = nullptr;
  // Written verbatim instead of text when present.
  std::optional<std::string> rawText;
};

// picture kinds
inline constexpr uint8_t pkMetafile = 0;
inline constexpr uint8_t pkDib = 1;     // device-independent bitmap
inline constexpr uint8_t pkBitmap = 2;  // device-dependent bitmap

// The bytes of an embedded picture as read from RTF; decoding is platform
// work. For a metafile, data starts with a 22-byte (zero) placeholder header
// followed by the metafile bytes; for bitmaps it is the bytes as they stood in
// the RTF group (a DIB without the 14-byte bitmap file header).
struct TPicture {
  uint8_t kind = pkMetafile;
  std::vector<uint8_t> data;
  int32_t pixelWidth = 0;   // picw
  int32_t pixelHeight = 0;  // pich
  int32_t bitsPerPixel = 0;
  int32_t planes = 1;
  int32_t widthBytes = 0;   // bytes per row
};

// vertical alignment values of an object
inline constexpr uint8_t vaBottom = 0;      // bottom on the base line (any other value)
inline constexpr uint8_t vaAboveBottom = 1;  // base line 2 pixels above the bottom
inline constexpr uint8_t vaAscent = 2;       // base line at the font ascent
inline constexpr uint8_t vaCentered = 3;

struct TTextObject {
  TPicture* picture = nullptr;  // owned when ownsPicture
  uint16_t key = 0;             // external tag; new keys from 2000
  uint16_t id = 0;              // internal number, from 1
  int32_t width = 0;            // twips
  int32_t height = 0;           // twips
  bool placeholder = false;     // read as a tag-only object
  TTextObject* prev = nullptr;
  TTextObject* next = nullptr;
  std::string fileName;  // linked pictures
  bool ownsPicture = false;
  uint8_t verticalAlign = 0;
  bool inUse = false;  // set by layout

  TTextObject() = default;
  TTextObject(const TTextObject&) = delete;
  TTextObject& operator=(const TTextObject&) = delete;
  ~TTextObject() {
    if (ownsPicture) delete picture;
  }
};

}  // namespace quill
