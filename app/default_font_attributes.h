#pragma once
// The character format a new day's empty page starts with: the user's
// default font, taken into the document's font and colour tables.

#include <cstdint>
#include <string>

#include "richtext/model/char_attr.h"
#include "richtext/model/text_header.h"

namespace quill {

struct DefaultFontFields {
    std::string name = "Arial";
    int size = 10;
    bool bold = false;
    std::uint32_t color = 0;  // 0x00BBGGRR
};

// The last of the 16 colour entries equal to COLOR, 0 when none is: black
// finds the second black entry, 15, of the standard table.
std::uint8_t DefaultColorIndex(const TTextHeader& header, std::uint32_t color);

// CURRENT with the default font's table index FONTINDEX, its size (low
// eight bits only: the field is one byte), bold switched on when set, and
// its colour. Italic and underline are kept as CURRENT has them.
TCharAttr DefaultFontAttributes(TCharAttr current, int fontIndex, const DefaultFontFields& font,
                                const TTextHeader& header);

}  // namespace quill
