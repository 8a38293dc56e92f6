// Build step: makes the main dictionary file from plain word lists (one
// UTF-8 word per line, as in /usr/share/dict).
//
//   quillbook-dictionary-builder OUTPUT LIST...

#include <iostream>
#include <string>
#include <vector>

#include "spell/engine/main_dictionary_writer.h"
#include "spell/engine/word_list_file.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: quillbook-dictionary-builder OUTPUT LIST...\n";
        return 2;
    }
    std::vector<std::string> words;
    quill::spell::TWordListStats total;
    for (int i = 2; i < argc; ++i) {
        quill::spell::TWordListStats st;
        if (!quill::spell::ReadWordListFile(argv[i], words, &st)) {
            std::cerr << "quillbook-dictionary-builder: cannot read " << argv[i] << "\n";
            return 1;
        }
        total.NotWindows1252 += st.NotWindows1252;
        total.Possessives += st.Possessives;
    }
    quill::spell::TDictionaryBuildStats st;
    if (!quill::spell::BuildMainDictionary(words, argv[1], &st)) {
        std::cerr << "quillbook-dictionary-builder: cannot write " << argv[1] << "\n";
        return 1;
    }
    std::cout << "quillbk.dct: " << st.WordsStored << " words, " << st.Sections << " sections, "
              << st.Nodes << " nodes, " << st.FileBytes << " bytes (skipped: "
              << total.NotWindows1252 << " not Windows-1252, " << st.WordsSkipped
              << " outside the alphabet, " << total.Possessives << " possessives, "
              << st.Duplicates << " duplicates by case)\n";
    return 0;
}
