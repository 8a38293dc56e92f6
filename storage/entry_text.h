#pragma once
// The stored form of a day's entry: the RTF text with every line break as
// CR LF and a length that is never a positive multiple of four.

#include <string>
#include <string_view>

namespace quill {

// Lone CR and lone LF become CR LF; CR LF stays as it is.
std::string NormaliseLineBreaks(std::string_view text);

// Appends one blank to the last line (before its line break, if it ends with
// one) when the length is positive and divisible by four. Older readers of
// the memo field mistake such lengths for block-padded data.
void PadMemoLength(std::string& text);

// NormaliseLineBreaks followed by PadMemoLength: exactly what a save stores.
std::string StoredEntryText(std::string_view rtf);

}  // namespace quill
