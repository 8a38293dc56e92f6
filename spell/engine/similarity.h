#pragma once
// Pattern-matching similarity of a suggestion candidate to the misspelled
// word: the longest common run, then the same on the parts to its right and
// left, recursively. The order of the two words matters.

#include <string_view>

namespace quill {

// 0-100: twice the matched characters, times 100, divided by the total
// length (integer division). Both texts are compared byte for byte; texts
// longer than 30 characters are compared on their first 30.
int SimilarityScore(std::string_view candidate, std::string_view word);

}  // namespace quill
