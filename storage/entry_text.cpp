#include "storage/entry_text.h"

namespace quill {

std::string NormaliseLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32 + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

void PadMemoLength(std::string& text) {
    if (text.empty() || text.size() % 4 != 0) return;
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) {
        text.insert(text.size() - 2, 1, ' ');
    } else {
        text += ' ';
    }
}

std::string StoredEntryText(std::string_view rtf) {
    std::string text = NormaliseLineBreaks(rtf);
    PadMemoLength(text);
    return text;
}

}  // namespace quill
