#pragma once
// The first letters the suggestion search tries for a misspelled word: the
// letters a typist's finger or ear most often confuses with the one typed,
// tried before the letter itself.

#include <string>

namespace quill {

// The letters to try, in order, for the upper-case first character of the
// word (Windows-1252). A character with no row gives itself alone.
std::string FirstLetterAlternatives(unsigned char first);

}  // namespace quill
