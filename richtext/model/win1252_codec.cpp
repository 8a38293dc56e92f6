#include "richtext/model/win1252_codec.h"

namespace quill {

namespace {

// Characters of the bytes 0x80..0x9F; 0 marks an unused byte.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

char32_t Win1252ToUnicode(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) {
    const char16_t c = kHigh[byte - 0x80];
    return c ? char32_t(c) : char32_t(byte);
  }
  return char32_t(byte);
}

uint8_t UnicodeToWin1252(char32_t ch, uint8_t replacement) {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return uint8_t(ch);
  if (ch < 0xA0) {
    // Only the unused bytes stand for themselves in this range.
    const uint8_t b = uint8_t(ch);
    return kHigh[b - 0x80] == 0 ? b : replacement;
  }
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] != 0 && char32_t(kHigh[i]) == ch) return uint8_t(0x80 + i);
  return replacement;
}

std::string Utf16ToWin1252(std::u16string_view text, uint8_t replacement) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      out.push_back(char(replacement));
      continue;
    }
    out.push_back(char(UnicodeToWin1252(c, replacement)));
  }
  return out;
}

std::u16string Win1252ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char b : bytes) out.push_back(char16_t(Win1252ToUnicode(uint8_t(b))));
  return out;
}

}  // namespace quill
