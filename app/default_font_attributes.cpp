#include "app/default_font_attributes.h"

namespace quill {

std::uint8_t DefaultColorIndex(const TTextHeader& header, std::uint32_t color) {
    std::uint8_t found = 0;
    for (int i = 0; i < 16 && i < int(header.colorTable.size()); ++i)
        if (header.colorTable[size_t(i)] == color) found = std::uint8_t(i);
    return found;
}

TCharAttr DefaultFontAttributes(TCharAttr current, int fontIndex, const DefaultFontFields& font,
                                const TTextHeader& header) {
    current.font = std::uint8_t(fontIndex);
    current.size = std::uint8_t(font.size & 0xFF);
    if (font.bold) current.style |= csBold;
    current.SetTextColor(DefaultColorIndex(header, font.color));
    return current;
}

}  // namespace quill
