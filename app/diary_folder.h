#pragma once
// Where the program's files are: the user's diary folder (table, index,
// preferences, user dictionary, scratch file) and the folder of the program
// file (main dictionary, help file).

#include <string>

namespace quill {

// $XDG_DATA_HOME/quillbook/ when XDG_DATA_HOME is an absolute path, otherwise
// ~/.local/share/quillbook/; always with a trailing "/".
std::string DefaultDiaryFolder();

// Creates the folder (and missing parents) readable by the user alone; true
// when it exists afterwards.
bool EnsureDiaryFolder(const std::string& folder);

// The folder with a trailing "/".
std::string WithTrailingSeparator(std::string folder);

}  // namespace quill
