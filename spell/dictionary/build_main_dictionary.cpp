// Build step: makes the main dictionary file from plain word lists (one
// UTF-8 word per line, as in /usr/share/dict).
//
//   quillbook-dictionary-builder OUTPUT [FILTER...] LIST... [--section [FILTER...] LIST...]...
//
// "--section" starts the next tier: its words go into sections after those
// of the lists before it, so that suggestions of equal score favour the
// earlier, more common words. A filter applies to the lists after it, up to
// the next "--section":
//   --drop-abbreviations N   all-capital words of two to N letters
//   --drop-names N           capitalised words of two to N letters
//   --drop-shorter-than N    words of fewer than N letters, abbreviations excepted

#include <charconv>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "spell/engine/main_dictionary_writer.h"
#include "spell/engine/word_list_file.h"

namespace {

struct TFilters {
    size_t AbbreviationsUpTo = 0;
    size_t NamesUpTo = 0;
    size_t ShorterThan = 0;
};

struct TFilterCounts {
    size_t Abbreviations = 0;
    size_t Names = 0;
    size_t Short = 0;
};

int Usage() {
    std::cerr << "usage: quillbook-dictionary-builder OUTPUT [FILTER...] LIST... "
                 "[--section [FILTER...] LIST...]...\n"
                 "  filters: --drop-abbreviations N, --drop-names N, --drop-shorter-than N\n";
    return 2;
}

bool ParseCount(const char* text, size_t& value) {
    const char* end = text + std::strlen(text);
    auto [p, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && p == end && value <= 100;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::vector<std::vector<std::string>> tiers(1);
    TFilters filters;
    TFilterCounts dropped;
    size_t notWindows1252 = 0;
    size_t possessives = 0;
    size_t listsInTier = 0;
    bool filterWithoutList = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--section") {
            if (listsInTier == 0 || filterWithoutList) return Usage();
            tiers.emplace_back();
            filters = {};
            listsInTier = 0;
            continue;
        }
        if (arg == "--drop-abbreviations" || arg == "--drop-names" || arg == "--drop-shorter-than") {
            size_t n = 0;
            if (i + 1 >= argc || !ParseCount(argv[i + 1], n)) return Usage();
            ++i;
            if (arg == "--drop-abbreviations") filters.AbbreviationsUpTo = n;
            else if (arg == "--drop-names") filters.NamesUpTo = n;
            else filters.ShorterThan = n;
            filterWithoutList = true;
            continue;
        }
        if (arg.starts_with("--")) return Usage();
        std::vector<std::string> words;
        quill::spell::TWordListStats st;
        if (!quill::spell::ReadWordListFile(argv[i], words, &st)) {
            std::cerr << "quillbook-dictionary-builder: cannot read " << argv[i] << "\n";
            return 1;
        }
        notWindows1252 += st.NotWindows1252;
        possessives += st.Possessives;
        dropped.Abbreviations += quill::spell::DropAbbreviationsUpTo(words, filters.AbbreviationsUpTo);
        dropped.Names += quill::spell::DropNamesUpTo(words, filters.NamesUpTo);
        dropped.Short += quill::spell::DropShorterThan(words, filters.ShorterThan);
        tiers.back().insert(tiers.back().end(), words.begin(), words.end());
        ++listsInTier;
        filterWithoutList = false;
    }
    if (listsInTier == 0 || filterWithoutList) return Usage();
    possessives += quill::spell::DropListedPossessives(tiers);

    quill::spell::TDictionaryBuildStats st;
    if (!quill::spell::BuildMainDictionaryInTiers(tiers, argv[1], &st)) {
        std::cerr << "quillbook-dictionary-builder: cannot write " << argv[1] << "\n";
        return 1;
    }
    std::cout << std::filesystem::path(argv[1]).filename().string() << ": " << st.WordsStored << " words in " << tiers.size() << " tiers, "
              << st.Sections << " sections, " << st.Nodes << " nodes, " << st.FileBytes
              << " bytes (left out: " << notWindows1252 << " not Windows-1252, "
              << st.WordsSkipped << " outside the alphabet, " << possessives << " possessives, "
              << st.Duplicates << " duplicates, " << dropped.Abbreviations << " short abbreviations, "
              << dropped.Names << " short names, " << dropped.Short << " short rare words)\n";
    return 0;
}
