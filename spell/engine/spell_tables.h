#pragma once
// Character tables of the spell engine. Dictionaries store 64 characters of
// Windows-1252 as 6-bit letter codes; words are compared after upper-casing
// with the engine's own table (not the locale's), so that dictionaries mean
// the same thing on every machine.

#include <array>
#include <cstdint>

namespace quill::spell {

// The 64 characters a dictionary can hold, indexed by letter code.
inline constexpr std::array<uint8_t, 64> kAlphabet = [] {
    std::array<uint8_t, 64> a{};
    for (int i = 0; i < 26; ++i) a[i] = static_cast<uint8_t>('A' + i);
    a[26] = 0x27;  // apostrophe
    a[27] = 0x2D;  // hyphen
    a[28] = 0x8A;  // S caron
    a[29] = 0x8C;  // OE
    a[30] = 0x9F;  // Y diaeresis
    for (int i = 0; i <= 0xD6 - 0xC0; ++i) a[31 + i] = static_cast<uint8_t>(0xC0 + i);
    for (int i = 0; i <= 0xDF - 0xD8; ++i) a[54 + i] = static_cast<uint8_t>(0xD8 + i);
    a[62] = 0xF0;  // eth (small; it has no capital in the upper-case table)
    a[63] = 0x60;  // backquote
    return a;
}();

// Byte to letter code. Bytes outside the alphabet (digits, punctuation,
// space, multiplication and division signs) read as code 0, the letter A.
inline constexpr std::array<uint8_t, 256> kLetterCode = [] {
    std::array<uint8_t, 256> t{};
    for (int code = 0; code < 64; ++code) t[kAlphabet[code]] = static_cast<uint8_t>(code);
    for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<uint8_t>(c - 'a');
    for (int c = 0xE0; c <= 0xEF; ++c) t[c] = static_cast<uint8_t>(31 + (c - 0xE0));
    for (int c = 0xF1; c <= 0xF6; ++c) t[c] = static_cast<uint8_t>(48 + (c - 0xF1));
    for (int c = 0xF8; c <= 0xFE; ++c) t[c] = static_cast<uint8_t>(54 + (c - 0xF8));
    t[0xFF] = 30;
    t[0x9A] = 28;
    t[0x9C] = 29;
    return t;
}();

inline constexpr std::array<uint8_t, 256> kUpperCase = [] {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<uint8_t>(c);
    for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<uint8_t>(c - 0x20);
    t[0x9A] = 0x8A;
    t[0x9C] = 0x8C;
    t[0xFF] = 0x9F;
    for (int c = 0xE0; c <= 0xFE; ++c) {
        if (c != 0xF0 && c != 0xF7) t[c] = static_cast<uint8_t>(c - 0x20);
    }
    return t;
}();

inline constexpr std::array<uint8_t, 256> kLowerCase = [] {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<uint8_t>(c);
    for (int c = 'A'; c <= 'Z'; ++c) t[c] = static_cast<uint8_t>(c + 0x20);
    t[0x8A] = 0x9A;
    t[0x8C] = 0x9C;
    t[0x9F] = 0xFF;
    for (int c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD0 && c != 0xD7) t[c] = static_cast<uint8_t>(c + 0x20);
    }
    return t;
}();

// True when the byte is one of the 64 alphabet characters or a small letter
// whose capital is (the byte keeps its own meaning in a dictionary).
constexpr bool InAlphabet(uint8_t c) {
    return kAlphabet[kLetterCode[kUpperCase[c]]] == kUpperCase[c];
}

}  // namespace quill::spell
