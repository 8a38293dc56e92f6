#pragma once
// File names in the diary folder are matched without regard to letter case,
// so a table copied over from another system ("quillbk.dbf", "Quillbk.cdx")
// is still found.

#include <string>

namespace quill {

// Path of the file in FOLDER whose name equals NAME ignoring ASCII case;
// the exact name comes first. Empty when there is none.
std::string FindFileNoCase(const std::string& folder, const std::string& name);

bool FileExistsNoCase(const std::string& folder, const std::string& name);

// FOLDER with exactly one trailing '/'.
std::string WithTrailingSlash(std::string folder);

}  // namespace quill
