#include "spell/dialog/engine_spelling_checker.h"

#include <algorithm>

#include "spell/dialog/spell_dictionaries.h"

namespace quill {

TEngineSpellingChecker::TEngineSpellingChecker(const std::string& programFolder,
                                               const std::string& userFolder) {
  // The engine would otherwise look for its default name on every lookup
  // when the main dictionary is missing.
  engine_.DictionaryName = programFolder + kMainDictionaryName;
  userId_ = OpenSpellDictionaries(engine_, programFolder, userFolder);
}

bool TEngineSpellingChecker::IsWordCorrect(std::string_view word) { return engine_.IsWordCorrect(word); }

std::vector<std::string> TEngineSpellingChecker::Suggestions(std::string_view word, int most) {
  const std::vector<std::string>& all = engine_.GetSuggestions(word);
  return std::vector<std::string>(all.begin(), all.begin() + std::min<size_t>(all.size(), size_t(std::max(most, 0))));
}

bool TEngineSpellingChecker::AddWord(std::string_view word) {
  if (userId_ == -1 || word.empty()) return false;
  return engine_.AddWord(word, userId_);
}

}  // namespace quill
