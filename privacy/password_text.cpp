#include "privacy/password_text.h"

namespace quill {

namespace {

// Unicode code points of the bytes 0x80-0x9F; 0 marks an unused byte.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string PasswordBytes(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        char byte = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            byte = static_cast<char>(c);
        } else {
            for (int i = 0; i < 32; ++i)
                if (kHighControls[i] != 0 && kHighControls[i] == c) byte = static_cast<char>(0x80 + i);
        }
        out += byte;
    }
    return out;
}

QString PasswordFromBytes(const std::string& bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes) {
        const unsigned char u = static_cast<unsigned char>(b);
        if (u >= 0x80 && u <= 0x9F && kHighControls[u - 0x80] != 0)
            out += QChar(kHighControls[u - 0x80]);
        else
            out += QChar(static_cast<char16_t>(u));
    }
    return out;
}

}  // namespace quill
