// The editor's spelling checker over the engine: both dictionaries, and
// words added by one engine reach another that has the same file open.

#include "spell/dialog/engine_spelling_checker.h"

#include <gtest/gtest.h>

#include "spell/dialog/spell_dictionaries.h"
#include "spell_dialog/spell_dialog_test_support.h"

namespace quill {
namespace {

TEST(EngineSpellingChecker, LooksUpSuggestsAndAddsThroughTheSharedUserDictionary) {
  test::SpellFolders folders;
  TEngineSpellingChecker marks(folders.program, folders.diary);
  EXPECT_TRUE(marks.IsWordCorrect("Mountain"));
  EXPECT_FALSE(marks.IsWordCorrect("mountian"));
  const auto five = marks.Suggestions("mountian", 5);
  ASSERT_FALSE(five.empty());
  EXPECT_LE(five.size(), 5u);
  EXPECT_EQ(five[0], "mountain");
  EXPECT_TRUE(marks.CanAddWords());

  // The dialog's own engine adds a word; the marks' engine sees it.
  TZelvoSpell dialogEngine;
  const int16_t id = OpenSpellDictionaries(dialogEngine, folders.program, folders.diary);
  ASSERT_NE(id, -1);
  EXPECT_FALSE(marks.IsWordCorrect("Zorblax"));
  dialogEngine.AddWord("Zorblax", id);
  EXPECT_TRUE(marks.IsWordCorrect("zorblax"));
  EXPECT_TRUE(marks.AddWord("Quuxly"));
  EXPECT_TRUE(dialogEngine.IsWordCorrect("Quuxly"));
}

}  // namespace
}  // namespace quill
