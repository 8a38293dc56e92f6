#include "privacy/password_text.h"

#include "richtext/model/win1252_codec.h"

namespace quill {

std::string PasswordBytes(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    // One byte for each UTF-16 unit, as passwords have always been turned
    // into bytes: a character beyond the code page's plane gives two "?".
    for (QChar qc : text) out += static_cast<char>(UnicodeToWin1252(qc.unicode()));
    return out;
}

QString PasswordFromBytes(const std::string& bytes) {
    const std::u16string text = Win1252ToUtf16(bytes);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace quill
