#include "spell/dialog/spell_dictionaries.h"

#include <filesystem>
#include <system_error>

#include "spell/engine/zelvo_spell.h"

namespace quill {

int16_t OpenSpellDictionaries(TZelvoSpell& engine, const std::string& programFolder,
                              const std::string& userFolder) {
  engine.OpenDictionary(programFolder + kMainDictionaryName);
  const std::string user = userFolder + kUserDictionaryName;
  std::error_code ec;
  if (std::filesystem::exists(user, ec)) return engine.OpenUserDictionary(user);
  if (ec) return -1;  // cannot tell: better no user dictionary than a truncated one
  return engine.CreateUserDictionary(user, {});
}

}  // namespace quill
