#pragma once
// Helpers shared by the interop tests: fixture files, the text of a document
// laid out the way LibreOffice's plain-text export lays it out, and
// Windows-1252 to UTF-8 conversion.

#include <string>
#include <string_view>
#include <vector>

#include "richtext/model/rtf_text.h"

namespace quill::testing {

// tests/fixtures/richtext/<relative>
std::string FixturePath(std::string_view relative);
// Whole file as bytes; fails the current test (and returns "") when unreadable.
std::string ReadFileBytes(const std::string& path);
// Regular files of a folder, sorted by name; none when the folder is absent.
std::vector<std::string> FilesIn(const std::string& folder);

std::string Cp1252ToUtf8(std::string_view bytes);

// How LibreOffice shows a footnote's citation after the anchor character:
// its automatic number (footnotes it wrote itself, with \chftn) or the
// footnote's mark character (footnotes we write, which carry no \chftn).
enum class Citation { Number, Mark };

// The document's text in UTF-8, one line feed after each paragraph, forced
// line breaks as line feeds. Object characters are left out (LibreOffice's
// text export drops pictures) and each footnote anchor is followed by the
// footnote's citation (LibreOffice prints it there and leaves the footnote
// body out).
std::string LibreOfficeStyleText(const TRTFText& doc, Citation citation = Citation::Number);

// Trailing blanks of every line and trailing empty lines removed, a leading
// byte-order mark dropped, carriage returns dropped.
std::string NormaliseText(std::string_view text);

// The characters of one paragraph, in Windows-1252 as stored.
std::string ParagraphText(const TParagraph* p);
// Paragraph number n (0-based), or null.
const TParagraph* NthParagraph(const TRTFText& doc, int n);
int ParagraphCount(const TRTFText& doc);

// The attribute of the first character of the first occurrence of needle
// (Windows-1252) in the document; false when not found.
struct FoundText {
  const TParagraph* paragraph = nullptr;
  std::vector<TCharAttr> attrs;  // one per character of the needle
  std::vector<uint8_t> chars;
};
bool FindText(const TRTFText& doc, std::string_view needle, FoundText* out);

}  // namespace quill::testing
