#include "spell/engine/case_transfer.h"

#include "spell/engine/spell_tables.h"

namespace quill {

bool IsCaseLowerLetter(unsigned char c) {
    if (c >= 'a' && c <= 'z') return true;
    if (c == 0x9A || c == 0x9C) return true;  // š œ
    return c >= 0xE0 && c != 0xF0 && c != 0xF7;  // not ð, not ÷
}

bool IsCaseUpperLetter(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return true;
    if (c == 0x8A || c == 0x8C || c == 0x9F) return true;  // Š Œ Ÿ
    if (c >= 0xC0 && c <= 0xD6) return true;               // À-Ö
    if (c >= 0xD8 && c <= 0xDF) return true;               // Ø-ß
    return c == 0xF0;                                      // ð has no capital
}

bool IsCaseLetter(unsigned char c) {
    if (c == '\'') return true;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    if (c == 0x8A || c == 0x8C || c == 0x9A || c == 0x9C || c == 0x9F) return true;
    return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

std::string TransferCase(std::string_view suggestion, std::string_view typed) {
    std::string s(suggestion);
    bool anyLower = false;
    for (unsigned char c : typed) {
        if (IsCaseLowerLetter(c)) {
            anyLower = true;
            break;
        }
    }
    if (!anyLower) return s;

    for (char& c : s) c = static_cast<char>(spell::kLowerCase[static_cast<unsigned char>(c)]);
    std::size_t k = 0;
    std::size_t l = 0;
    const std::size_t lo = typed.size();
    const std::size_t ls = s.size();
    while (k < lo && l < ls) {
        while (k + 1 < lo && !IsCaseLetter(static_cast<unsigned char>(typed[k]))) ++k;
        while (l + 1 < ls && !IsCaseLetter(static_cast<unsigned char>(s[l]))) ++l;
        if (IsCaseUpperLetter(static_cast<unsigned char>(typed[k]))) {
            s[l] = static_cast<char>(spell::kUpperCase[static_cast<unsigned char>(s[l])]);
        }
        ++k;
        ++l;
    }
    return s;
}

}  // namespace quill
