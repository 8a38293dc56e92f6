#pragma once
// The editor's spelling marks asking the spell engine: the main dictionary
// and the user's dictionary, opened once for the window's life. Words added
// here or by the spell check dialog reach the other through the shared user
// dictionary file, whose header the engine re-reads before each lookup.

#include <string>

#include "richtext/widget/spelling_marks.h"
#include "spell/engine/zelvo_spell.h"

namespace quill {

class TEngineSpellingChecker : public TSpellingChecker {
 public:
  TEngineSpellingChecker(const std::string& programFolder, const std::string& userFolder);

  bool IsWordCorrect(std::string_view word) override;
  std::vector<std::string> Suggestions(std::string_view word, int most) override;
  bool CanAddWords() override { return userId_ != -1; }
  bool AddWord(std::string_view word) override;

 private:
  TZelvoSpell engine_;
  int16_t userId_ = -1;
};

}  // namespace quill
