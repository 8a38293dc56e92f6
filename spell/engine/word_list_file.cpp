#include "spell/engine/word_list_file.h"

#include <fstream>
#include <string_view>
#include <unordered_set>

#include "spell/engine/spell_tables.h"
#include "spell/engine/windows1252_text.h"

namespace quill::spell {
namespace {

std::string_view WithoutPossessive(std::string_view w) {
    if (w.size() > 2 && w.substr(w.size() - 2) == "'s") w.remove_suffix(2);
    return w;
}

bool IsLower(char c) { return kUpperCase[uint8_t(c)] != uint8_t(c); }
bool IsUpper(char c) { return kLowerCase[uint8_t(c)] != uint8_t(c); }

bool IsAllCapitals(std::string_view w) {
    size_t capitals = 0;
    for (char c : w) {
        if (IsLower(c)) return false;
        if (IsUpper(c)) ++capitals;
    }
    return capitals > 0;
}

bool IsCapitalised(std::string_view w) {
    if (w.empty() || !IsUpper(w[0])) return false;
    for (char c : w.substr(1)) {
        if (!IsLower(c)) return false;
    }
    return true;
}

template <class Drop>
size_t DropWhere(std::vector<std::string>& words, Drop drop) noexcept {
    const size_t before = words.size();
    std::erase_if(words, [&](const std::string& w) { return drop(WithoutPossessive(w)); });
    return before - words.size();
}

}  // namespace

size_t DropAbbreviationsUpTo(std::vector<std::string>& words, size_t letters) noexcept {
    return DropWhere(words, [&](std::string_view w) {
        return w.size() >= 2 && w.size() <= letters && IsAllCapitals(w);
    });
}

size_t DropNamesUpTo(std::vector<std::string>& words, size_t letters) noexcept {
    return DropWhere(words, [&](std::string_view w) {
        return w.size() >= 2 && w.size() <= letters && IsCapitalised(w);
    });
}

size_t DropShorterThan(std::vector<std::string>& words, size_t letters) noexcept {
    return DropWhere(words, [&](std::string_view w) {
        return w.size() < letters && !IsAllCapitals(w);
    });
}

size_t DropListedPossessives(std::vector<std::vector<std::string>>& lists) noexcept {
    try {
        std::unordered_set<std::string> listed;
        for (const auto& list : lists) listed.insert(list.begin(), list.end());
        size_t dropped = 0;
        for (auto& list : lists) {
            const size_t before = list.size();
            std::erase_if(list, [&](const std::string& w) {
                return w.size() > 2 && w.compare(w.size() - 2, 2, "'s") == 0 &&
                       listed.count(w.substr(0, w.size() - 2)) != 0;
            });
            dropped += before - list.size();
        }
        return dropped;
    } catch (...) {
        return 0;
    }
}

size_t DropListedPossessives(std::vector<std::string>& words) noexcept {
    try {
        std::vector<std::vector<std::string>> lists(1);
        lists[0].swap(words);
        const size_t dropped = DropListedPossessives(lists);
        words.swap(lists[0]);
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
