#pragma once
// Windows-1252 bytes to Unicode and back: the character set of the diary's
// stored texts, for text that leaves or enters the editor (clipboard, font
// measuring) and for passwords typed on any keyboard.

#include <cstdint>
#include <string>
#include <string_view>

namespace quill {

// The character a byte stands for; the five unused bytes (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the control character of the same number.
char32_t Win1252ToUnicode(uint8_t byte);

// The byte for a character, or `replacement` when the code page lacks it.
uint8_t UnicodeToWin1252(char32_t ch, uint8_t replacement = '?');

// Whole strings: UTF-16 (as Qt holds text) to bytes and bytes to UTF-16.
// Surrogate pairs count as one character; a lone surrogate is replaced.
std::string Utf16ToWin1252(std::u16string_view text, uint8_t replacement = '?');
std::u16string Win1252ToUtf16(std::string_view bytes);

}  // namespace quill
