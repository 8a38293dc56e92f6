#pragma once
// Gives a suggestion (stored in upper case) the capitalisation of the word
// the user typed: all capitals stay capitals, otherwise each letter of the
// suggestion follows the letter at the same place in the typed word.

#include <string>
#include <string_view>

namespace quill {

std::string TransferCase(std::string_view suggestion, std::string_view typed);

// Character classes the case transfer works with (Windows-1252).
bool IsCaseLowerLetter(unsigned char c);
bool IsCaseUpperLetter(unsigned char c);
bool IsCaseLetter(unsigned char c);  // counts the apostrophe as a letter

}  // namespace quill
