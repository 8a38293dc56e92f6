#pragma once
// Reads a plain word list (one UTF-8 word per line, as in /usr/share/dict)
// into the Windows-1252 words the main dictionary is built from.

#include <cstddef>
#include <string>
#include <vector>

namespace quill::spell {

struct TWordListStats {
    size_t Lines = 0;
    size_t NotWindows1252 = 0;  // a character the code page lacks: word dropped
    size_t Possessives = 0;     // "X's" with X listed too: lookup accepts it anyway
};

// Appends the words of the file to `words`. Words the alphabet cannot hold
// are kept here; the dictionary writer skips and counts them. False when the
// file cannot be read.
bool ReadWordListFile(const std::string& path, std::vector<std::string>& words,
                      TWordListStats* stats = nullptr) noexcept;

// Drops every "X's" whose X is also in the list.
size_t DropListedPossessives(std::vector<std::string>& words) noexcept;

// The same across several lists: an "X's" goes when X is in any of them.
size_t DropListedPossessives(std::vector<std::vector<std::string>>& lists) noexcept;

// Filters for the rarer words of a large list (Windows-1252 words; a
// possessive "X's" is judged by its X). Each returns how many it dropped.
// Short abbreviations and names make false two-word suggestions that rank
// first ("rain ny", "mount ian") and let misspellings pass as words.
//
// All-capital words of two to `letters` letters (NY, AK).
size_t DropAbbreviationsUpTo(std::vector<std::string>& words, size_t letters) noexcept;
// Capitalised words of two to `letters` letters (Ian, Ty).
size_t DropNamesUpTo(std::vector<std::string>& words, size_t letters) noexcept;
// Words of fewer than `letters` letters, all-capital words excepted: the
// short words of the rarer lists (ans, dag) hide slips of common ones.
size_t DropShorterThan(std::vector<std::string>& words, size_t letters) noexcept;

}  // namespace quill::spell
