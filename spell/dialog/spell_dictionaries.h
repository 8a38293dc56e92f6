#pragma once
// Where the dictionaries live: the main dictionary is program data beside
// the executable; the user dictionary grows with the user's words and so
// lives with the user's files, never in the program folder.

#include <cstdint>
#include <string>

namespace quill {

class TZelvoSpell;

inline constexpr const char* kMainDictionaryName = "quillbk.dct";
inline constexpr const char* kUserDictionaryName = "quillbku.dct";

// Folders end with a separator. Opens the main dictionary (a failure is not
// reported: every word is then unknown but the user's own), then the user
// dictionary, creating it when it does not exist. Returns the user
// dictionary's id, -1 when it could be neither opened nor created. An
// existing file that is not a user dictionary is never overwritten.
int16_t OpenSpellDictionaries(TZelvoSpell& engine, const std::string& programFolder,
                              const std::string& userFolder);

}  // namespace quill
