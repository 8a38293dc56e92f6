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

}  // namespace quill::spell
