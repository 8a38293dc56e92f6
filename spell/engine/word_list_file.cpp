#include "spell/engine/word_list_file.h"

#include <fstream>
#include <unordered_set>

#include "spell/engine/windows1252_text.h"

namespace quill::spell {

size_t DropListedPossessives(std::vector<std::string>& words) noexcept {
    try {
        std::unordered_set<std::string> listed(words.begin(), words.end());
        std::vector<std::string> kept;
        kept.reserve(words.size());
        size_t dropped = 0;
        for (auto& w : words) {
            if (w.size() > 2 && w.compare(w.size() - 2, 2, "'s") == 0 &&
                listed.count(w.substr(0, w.size() - 2))) {
                ++dropped;
                continue;
            }
            kept.push_back(std::move(w));
        }
        words.swap(kept);
        return dropped;
    } catch (...) {
        return 0;
    }
}

bool ReadWordListFile(const std::string& path, std::vector<std::string>& words,
                      TWordListStats* stats) noexcept {
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        TWordListStats st;
        std::vector<std::string> read;
        std::string line, word;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            ++st.Lines;
            if (!Utf8ToWindows1252(line, word)) {
                ++st.NotWindows1252;
                continue;
            }
            read.push_back(word);
        }
        if (in.bad()) return false;
        st.Possessives = DropListedPossessives(read);
        words.insert(words.end(), read.begin(), read.end());
        if (stats) *stats = st;
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace quill::spell
