#pragma once
// Letter test and lower-case mapping for single-byte Windows-1252 text, as the
// finder compares and splits words.

#include <array>
#include <cstdint>

namespace quill {

namespace detail {
struct Win1252Tables {
  std::array<uint8_t, 256> lower{};
  std::array<bool, 256> letter{};
  constexpr Win1252Tables() {
    for (int c = 0; c < 256; ++c) lower[size_t(c)] = uint8_t(c);
    for (int c = 'A'; c <= 'Z'; ++c) lower[size_t(c)] = uint8_t(c + 32);
    // Upper-case Latin-1 letters; 0xD7 is the multiplication sign.
    for (int c = 0xC0; c <= 0xDE; ++c)
      if (c != 0xD7) lower[size_t(c)] = uint8_t(c + 32);
    lower[0x8A] = 0x9A;  // S caron
    lower[0x8C] = 0x9C;  // OE ligature
    lower[0x8E] = 0x9E;  // Z caron
    lower[0x9F] = 0xFF;  // Y diaeresis

    for (int c = 'A'; c <= 'Z'; ++c) letter[size_t(c)] = true;
    for (int c = 'a'; c <= 'z'; ++c) letter[size_t(c)] = true;
    for (int c = 0xC0; c <= 0xFF; ++c) letter[size_t(c)] = true;
    letter[0x8A] = letter[0x8C] = letter[0x9A] = letter[0x9C] = letter[0x9F] = true;
  }
};
inline constexpr Win1252Tables kWin1252{};
}  // namespace detail

// The lower-case form of a Windows-1252 byte.
constexpr uint8_t LowerCase1252(uint8_t c) { return detail::kWin1252.lower[c]; }

// Letters are A-Z, a-z, the five Windows-1252 letters in 0x80..0x9F that the
// finder knows and every byte from 0xC0 up; everything else delimits words.
constexpr bool IsLetter1252(uint8_t c) { return detail::kWin1252.letter[c]; }

}  // namespace quill
