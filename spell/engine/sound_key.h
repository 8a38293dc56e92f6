#pragma once
// The 4-byte sound key that prunes the suggestion walk: the first character
// as it stands, then the sound classes of the consonants that follow, each
// class counted once.

#include <array>
#include <cstdint>
#include <string_view>

namespace quill {

using SoundKey = std::array<std::uint8_t, 4>;

// Key of an upper-case text; missing positions are zero bytes. An empty text
// gives four zero bytes.
SoundKey SoundKeyZeroFill(std::string_view text);

// Key of an upper-case prefix whose missing positions are taken from the
// reference key, so that a short prefix agrees with every key it may still
// grow into.
SoundKey SoundKeyCompleted(std::string_view text, const SoundKey& reference);

// The class byte of a character at position 2 or later after the ignored
// characters are gone: 1-7, 'I' or 'O' for some digits, else the character.
std::uint8_t SoundClassOf(std::uint8_t ch);

// True for the vowels and the other characters the key skips after the first.
bool IsSoundIgnored(std::uint8_t ch);

}  // namespace quill
