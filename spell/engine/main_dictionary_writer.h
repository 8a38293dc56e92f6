#pragma once
// Writes a main dictionary file from a word list: the words are upper-cased,
// sorted and inserted into as many trie sections as needed, each within the
// 64,999-node limit of 16-bit node links.

#include <cstddef>
#include <string>
#include <vector>

namespace quill::spell {

struct TDictionaryBuildStats {
    size_t WordsGiven = 0;
    size_t WordsStored = 0;     // distinct words after upper-casing
    size_t WordsSkipped = 0;    // a character outside the dictionary alphabet, or empty
    size_t Duplicates = 0;      // equal to another word once upper-cased, or in an earlier tier
    size_t Sections = 0;
    size_t Nodes = 0;
    size_t FileBytes = 0;
};

// Words are Windows-1252 text. `nodeLimit` (at most 64,999) is the largest
// section; smaller values exist for tests of several sections. The file is
// written beside `path` and renamed over it, so a failed build leaves any
// older file as it was.
bool BuildMainDictionary(const std::vector<std::string>& words, const std::string& path,
                         TDictionaryBuildStats* stats = nullptr,
                         int nodeLimit = 64999) noexcept;

// The same for word lists in order of preference: each tier's words go into
// sections of their own, after those of the tiers before it, and a word of an
// earlier tier is left out of later ones. Suggestions reach the sections in
// file order, so between candidates of equal score the words of earlier
// tiers come first.
bool BuildMainDictionaryInTiers(const std::vector<std::vector<std::string>>& tiers,
                                const std::string& path, TDictionaryBuildStats* stats = nullptr,
                                int nodeLimit = 64999) noexcept;

}  // namespace quill::spell
