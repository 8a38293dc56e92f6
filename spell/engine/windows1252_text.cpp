#include "spell/engine/windows1252_text.h"

#include <cstdint>

namespace quill::spell {
namespace {

// Unicode of the bytes 0x80-0x9F; 0 where the code page has no character.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int ByteOf(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] != 0 && kHigh[i] == cp) return 0x80 + i;
    }
    return -1;
}

void PutUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

bool Utf8ToWindows1252(std::string_view in, std::string& out, char replacement) {
    out.clear();
    bool all = true;
    size_t i = 0;
    while (i < in.size()) {
        const auto b = static_cast<uint8_t>(in[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2
                  : (b & 0xF8) == 0xF0 ? 3 : -1;
        char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool valid = extra >= 0;
        if (valid) {
            for (int k = 1; k <= extra; ++k) {
                if (i + k >= in.size() || (static_cast<uint8_t>(in[i + k]) & 0xC0) != 0x80) {
                    valid = false;
                    break;
                }
                cp = (cp << 6) | (static_cast<uint8_t>(in[i + k]) & 0x3F);
            }
        }
        // Overlong forms and surrogates are not characters.
        if (valid && ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) ||
                      (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                      (cp >= 0xD800 && cp <= 0xDFFF))) {
            valid = false;
        }
        if (!valid) {
            out += replacement;
            all = false;
            ++i;
            continue;
        }
        i += static_cast<size_t>(extra) + 1;
        int byte = ByteOf(cp);
        if (byte < 0) {
            out += replacement;
            all = false;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return all;
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<uint8_t>(c);
        char32_t cp = b;
        if (b >= 0x80 && b < 0xA0) cp = kHigh[b - 0x80] ? kHigh[b - 0x80] : 0xFFFD;
        PutUtf8(out, cp);
    }
    return out;
}

}  // namespace quill::spell
