// Build step: makes the main dictionary file from plain word lists (one
// UTF-8 word per line, as in /usr/share/dict).
//
//   quillbook-dictionary-builder OUTPUT LIST...
//
// Words are converted to Windows-1252; a word the code page or the
// dictionary alphabet cannot hold is skipped. A possessive "X's" is left out
// when X itself is listed: lookup accepts X's for every known X anyway.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <unordered_set>
#include <vector>

#include "spell/engine/main_dictionary_writer.h"
#include "spell/engine/windows1252_text.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: quillbook-dictionary-builder OUTPUT LIST...\n";
        return 2;
    }
    std::vector<std::string> words;
    size_t unconvertible = 0;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::cerr << "quillbook-dictionary-builder: cannot read " << argv[i] << "\n";
            return 1;
        }
        std::string line, word;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            if (!quill::spell::Utf8ToWindows1252(line, word)) {
                ++unconvertible;
                continue;
            }
            words.push_back(word);
        }
    }
    std::unordered_set<std::string> listed(words.begin(), words.end());
    std::vector<std::string> kept;
    kept.reserve(words.size());
    size_t possessives = 0;
    for (auto& w : words) {
        if (w.size() > 2 && w.compare(w.size() - 2, 2, "'s") == 0 &&
            listed.count(w.substr(0, w.size() - 2))) {
            ++possessives;
            continue;
        }
        kept.push_back(std::move(w));
    }

    quill::spell::TDictionaryBuildStats st;
    if (!quill::spell::BuildMainDictionary(kept, argv[1], &st)) {
        std::cerr << "quillbook-dictionary-builder: cannot write " << argv[1] << "\n";
        return 1;
    }
    std::cout << "quillbk.dct: " << st.WordsStored << " words, " << st.Sections << " sections, "
              << st.Nodes << " nodes, " << st.FileBytes << " bytes (skipped: "
              << unconvertible << " not Windows-1252, " << st.WordsSkipped
              << " outside the alphabet, " << possessives << " possessives, " << st.Duplicates
              << " duplicates by case)\n";
    return 0;
}
