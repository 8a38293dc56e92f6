#include "spell/engine/sound_key.h"

namespace quill {

namespace {

struct SoundTables {
    std::array<std::uint8_t, 256> classOf{};
    std::array<bool, 256> ignored{};

    SoundTables() {
        for (int c = 0; c < 256; ++c) classOf[c] = static_cast<std::uint8_t>(c);
        auto set = [this](std::string_view chars, std::uint8_t cls) {
            for (unsigned char c : chars) classOf[c] = cls;
        };
        // Windows-1252 bytes: Þ DE, ß DF, Š 8A, Œ 8C, Ç C7, Ð D0, Ñ D1.
        set("BFPV\xDE\xDF" "68", 1);
        set("CGJKQSXZ\x8A\x8C\xC7" "3459", 2);
        set("DT\xD0", 3);
        set("L2", 4);
        set("MN\xD1", 5);
        set("R", 6);
        set("'-`", 7);
        set("17", 'I');
        set("0", 'O');

        auto ignore = [this](int from, int to) {
            for (int c = from; c <= to; ++c) ignored[c] = true;
        };
        for (unsigned char c : std::string_view("AEHIOUWY")) ignored[c] = true;
        ignore(0x9F, 0x9F);  // Ÿ
        ignore(0xC0, 0xC6);  // À-Æ
        ignore(0xC8, 0xCF);  // È-Ï
        ignore(0xD2, 0xD6);  // Ò-Ö
        ignore(0xD8, 0xDD);  // Ø, Ù-Ý
        ignore(0xF0, 0xF0);  // ð
    }
};

const SoundTables& Tables() {
    static const SoundTables tables;
    return tables;
}

// Builds the key bytes; returns how many positions (at most 4) the text filled.
int BuildKey(std::string_view text, SoundKey& key) {
    const SoundTables& t = Tables();
    if (text.empty()) return 0;
    // Words are at most a few dozen characters; anything after the first
    // handful of distinct classes cannot reach the key, but the dedup must
    // still see every class, so keep all of them.
    std::uint8_t buf[64];
    int n = 0;
    buf[n++] = static_cast<std::uint8_t>(text[0]);
    for (std::size_t p = 1; p < text.size(); ++p) {
        auto c = static_cast<std::uint8_t>(text[p]);
        if (t.ignored[c]) continue;
        std::uint8_t cls = t.classOf[c];
        // A class already present from position 2 on would be removed by the
        // dedup step; dropping it here gives the same sequence.
        bool seen = false;
        for (int q = 1; q < n; ++q) {
            if (buf[q] == cls) {
                seen = true;
                break;
            }
        }
        if (seen) continue;
        buf[n++] = cls;
        if (n == 4) break;  // later distinct classes would be cut off
    }
    for (int p = 0; p < n; ++p) key[p] = buf[p];
    return n;
}

}  // namespace

std::uint8_t SoundClassOf(std::uint8_t ch) { return Tables().classOf[ch]; }

bool IsSoundIgnored(std::uint8_t ch) { return Tables().ignored[ch]; }

SoundKey SoundKeyZeroFill(std::string_view text) {
    SoundKey key{0, 0, 0, 0};
    BuildKey(text, key);
    return key;
}

SoundKey SoundKeyCompleted(std::string_view text, const SoundKey& reference) {
    SoundKey key = reference;
    BuildKey(text, key);
    return key;
}

}  // namespace quill
