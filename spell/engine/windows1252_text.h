#pragma once
// Conversion between UTF-8 and the single-byte Windows-1252 text the spell
// engine works in.

#include <string>
#include <string_view>

namespace quill::spell {

// Converts UTF-8 to Windows-1252. Characters the code page lacks, and bytes
// that are not valid UTF-8, become `replacement`; the result tells whether
// every character converted.
bool Utf8ToWindows1252(std::string_view utf8, std::string& out, char replacement = '?');

std::string Windows1252ToUtf8(std::string_view text);

}  // namespace quill::spell
