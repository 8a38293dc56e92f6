// The spell check dialog driven through its buttons on a real editor.

#include "spell/dialog/spell_check_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "spell_dialog/spell_dialog_test_support.h"

namespace quill {
namespace {

using test::Paragraphs;
using test::Settle;
using test::SetPage;
using test::SpellFolders;

class SpellCheckDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    editor.resize(400, 300);
    editor.show();
    editor.OnChange = [this] { ++changes; };
  }

  // Opens a dialog as the Spell Check command does and lets its first
  // activation run.
  std::unique_ptr<TSpellCheckDialog> Open(const std::string& userFolder = {}) {
    auto dialog = std::make_unique<TSpellCheckDialog>(&editor, folders.program,
                                                      userFolder.empty() ? folders.diary : userFolder);
    dialog->ShowInformation = [this](const QString& text) { messages.push_back(text); };
    changes = 0;  // putting the page in notified
    dialog->show();
    Settle();
    return dialog;
  }

  // Skips every remaining stop; the words stopped at.
  std::vector<std::string> SkipAll(TSpellCheckDialog& dialog) {
    std::vector<std::string> stops;
    for (int guard = 0; guard < 50 && !dialog.Finished(); ++guard) {
      stops.push_back(dialog.Word->text().toStdString());
      QTest::mouseClick(dialog.GetNextWordButton, Qt::LeftButton);
    }
    Settle();
    return stops;
  }

  std::string Page() {
    std::string all;
    for (const std::string& p : Paragraphs(editor.RtfText())) all += (all.empty() ? "" : "\r") + p;
    return all;
  }

  SpellFolders folders;
  TRichText editor;
  int changes = 0;
  std::vector<QString> messages;
};

TEST_F(SpellCheckDialogTest, StopsAtEachUnknownWordFromThePageStartAndSkipsToTheEnd) {
  SetPage(editor, "The catt sat\ron the matt.");  // the caret ends the page
  auto dialog = Open();
  EXPECT_EQ(dialog->windowTitle(), "Spell Check");
  EXPECT_EQ(dialog->Word->text(), "catt");
  EXPECT_EQ(editor.SelStart(), 4);
  EXPECT_EQ(editor.SelLength(), 4);
  ASSERT_GT(dialog->WordList->count(), 0);
  EXPECT_EQ(dialog->ReplaceAs->text(), dialog->WordList->item(0)->text());
  EXPECT_FALSE(dialog->WordList->findItems("cat", Qt::MatchExactly).isEmpty());

  QTest::mouseClick(dialog->GetNextWordButton, Qt::LeftButton);
  EXPECT_EQ(dialog->Word->text(), "matt");
  EXPECT_EQ(editor.SelStart(), 13 + 7);  // the second paragraph starts at 13
  EXPECT_TRUE(messages.empty());

  QTest::mouseClick(dialog->GetNextWordButton, Qt::LeftButton);
  EXPECT_TRUE(dialog->Finished());
  EXPECT_EQ(dialog->Word->text(), "");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Spell check complete");
  Settle();  // the posted close request
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(editor.SelLength(), 0);
  EXPECT_EQ(editor.SelStart(), 0);
  EXPECT_FALSE(dialog->ZelvoSpell1.MainDictionaryOpen());
  EXPECT_EQ(Page(), "The catt sat\ron the matt.");
  EXPECT_EQ(changes, 0);
}

TEST_F(SpellCheckDialogTest, ReplaceTakesTheClickedSuggestionKeepsTheFormatAndNotifies) {
  SetPage(editor, "We went for a long walkk today and the catt sat");
  // The misspelt word in bold: the replacement keeps the bold.
  editor.SetSelection(19, 5);
  TCharAttr bold = editor.CurrentAttributes();
  bold.style |= csBold;
  editor.SetCurrentAttributes(bold);
  auto dialog = Open();
  ASSERT_EQ(dialog->Word->text(), "walkk");
  const auto walk = dialog->WordList->findItems("walk", Qt::MatchExactly);
  ASSERT_FALSE(walk.isEmpty());
  QTest::mouseClick(dialog->WordList->viewport(), Qt::LeftButton, {},
                    dialog->WordList->visualItemRect(walk[0]).center());
  EXPECT_EQ(dialog->ReplaceAs->text(), "walk");
  QTest::mouseClick(dialog->Replace, Qt::LeftButton);
  EXPECT_EQ(Page(), "We went for a long walk today and the catt sat");
  EXPECT_EQ(changes, 1);
  const TDocPos at = editor.RtfText().PositionAt(editor.RtfText().firstParagraph, 20);
  EXPECT_TRUE(at.line->attribs[at.index].style & csBold);
  // The walk goes on after the replacement.
  EXPECT_EQ(dialog->Word->text(), "catt");
  dialog->ReplaceAs->setText("cat");
  QTest::mouseClick(dialog->Replace, Qt::LeftButton);
  EXPECT_EQ(Page(), "We went for a long walk today and the cat sat");
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(dialog->Finished());
  // Each replacement is one step of the editor's undo.
  Settle();
  editor.setFocus();
  QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Page(), "We went for a long walk today and the catt sat");
  QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Page(), "We went for a long walkk today and the catt sat");
}

TEST_F(SpellCheckDialogTest, AddedWordIsAcceptedByTheNextDialogAndLivesInTheDiaryFolder) {
  SetPage(editor, "Zorblax is here and Zorblax sat");
  {
    auto dialog = Open();
    EXPECT_TRUE(dialog->Addbutton->isEnabled());
    ASSERT_EQ(dialog->Word->text(), "Zorblax");
    QTest::mouseClick(dialog->Addbutton, Qt::LeftButton);
    // The second Zorblax is known now.
    EXPECT_TRUE(dialog->Finished());
  }
  EXPECT_TRUE(std::filesystem::exists(folders.diary + "quillbku.dct"));
  EXPECT_FALSE(std::filesystem::exists(folders.program + "quillbku.dct"));
  messages.clear();
  auto again = Open();
  EXPECT_TRUE(again->Finished());
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(SpellCheckDialogTest, AWordEditedBeforeAddIsAddedAsEditedAndTheWalkMovesOn) {
  SetPage(editor, "Zorblax sat Quuxly");
  {
    auto dialog = Open();
    ASSERT_EQ(dialog->Word->text(), "Zorblax");
    dialog->Word->setText("Zorblaxes");
    QTest::mouseClick(dialog->Addbutton, Qt::LeftButton);
    EXPECT_EQ(dialog->Word->text(), "Quuxly");
    dialog->Word->clear();  // an empty entry adds nothing
    QTest::mouseClick(dialog->Addbutton, Qt::LeftButton);
    EXPECT_TRUE(dialog->Finished());
  }
  SetPage(editor, "Zorblaxes Zorblax Quuxly");
  auto again = Open();
  EXPECT_EQ(SkipAll(*again), (std::vector<std::string>{"Zorblax", "Quuxly"}));
}

TEST_F(SpellCheckDialogTest, WindowsLettersShowAsTheyAreAndAnAddedWordLosesItsSurroundingSpaces) {
  SetPage(editor, "Zorblax \x8A" "ebik");  // Š
  {
    auto dialog = Open();
    ASSERT_EQ(dialog->Word->text(), "Zorblax");
    dialog->Word->setText(" Zorblaxes ");
    QTest::mouseClick(dialog->Addbutton, Qt::LeftButton);
    EXPECT_EQ(dialog->Word->text(), QString::fromUtf8("\u0160ebik"));
    QTest::mouseClick(dialog->Addbutton, Qt::LeftButton);
    EXPECT_TRUE(dialog->Finished());
  }
  SetPage(editor, "Zorblaxes \x8A" "ebik \x9A" "ebik");  // š is the same word
  auto again = Open();
  EXPECT_EQ(SkipAll(*again), std::vector<std::string>{});
}

TEST_F(SpellCheckDialogTest, AnEmptyPageOrOneWithoutErrorsReportsCompletionAtOnceAndCloses) {
  for (const std::string text : {"", "The cat sat on the mat.\r\rHello world"}) {
    SCOPED_TRACE(text);
    messages.clear();
    SetPage(editor, text);
    auto dialog = Open();
    EXPECT_TRUE(dialog->Finished());
    EXPECT_EQ(messages, std::vector<QString>{"Spell check complete"});
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
  }
}

TEST_F(SpellCheckDialogTest, AUserFolderThatCannotHoldFilesDisablesAddButTheCheckRuns) {
  // A path through a plain file can be neither opened nor created, even
  // with the rights of the superuser.
  test::WriteFile(folders.Root("not-a-folder"), "x");
  SetPage(editor, "The catt sat");
  auto dialog = Open(folders.Root("not-a-folder") + "/");
  EXPECT_EQ(dialog->UserDictionaryId(), -1);
  EXPECT_FALSE(dialog->Addbutton->isEnabled());
  EXPECT_EQ(dialog->Word->text(), "catt");
  EXPECT_GT(dialog->WordList->count(), 0);
  QTest::mouseClick(dialog->Replace, Qt::LeftButton);
  EXPECT_TRUE(dialog->Finished());
}

TEST_F(SpellCheckDialogTest, AUserDictionaryFileThatIsNotOneIsLeftAlone) {
  test::WriteFile(folders.diary + "quillbku.dct", "my notes, not a dictionary");
  SetPage(editor, "The catt sat");
  auto dialog = Open();
  EXPECT_FALSE(dialog->Addbutton->isEnabled());
  EXPECT_EQ(dialog->Word->text(), "catt");
  EXPECT_EQ(test::ReadFile(folders.diary + "quillbku.dct"), "my notes, not a dictionary");
}

TEST_F(SpellCheckDialogTest, WordRulesNumbersHyphensOneLetterWordsAndPossessives) {
  struct Case {
    const char* text;
    std::vector<std::string> stops;
  };
  const Case cases[] = {
      {"Peter's dog ate", {}},
      {"Petr's dog", {"Petr's"}},
      {"e-mail x-ray me", {}},
      {"mail-xq ray", {"xq"}},
      {"it is 10:30, b 42 c", {}},
      {"dogg2day", {"dogg"}},
      {"dogz' dog", {"dogz"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SetPage(editor, c.text);
    auto dialog = Open();
    EXPECT_EQ(SkipAll(*dialog), c.stops);
  }
}

TEST_F(SpellCheckDialogTest, WithoutSuggestionsReplaceLeavesTheTextAsItWas) {
  // No main dictionary and no user dictionary: every word is unknown and
  // nothing can be suggested.
  SpellFolders bare(false);
  test::WriteFile(bare.Root("not-a-folder"), "x");
  SetPage(editor, "The cat");
  auto dialog = std::make_unique<TSpellCheckDialog>(&editor, bare.program, bare.Root("not-a-folder") + "/");
  dialog->ShowInformation = [this](const QString& text) { messages.push_back(text); };
  changes = 0;
  dialog->show();
  Settle();
  ASSERT_EQ(dialog->Word->text(), "The");
  EXPECT_EQ(dialog->WordList->count(), 0);
  EXPECT_EQ(dialog->ReplaceAs->text(), "The");
  QTest::mouseClick(dialog->Replace, Qt::LeftButton);
  EXPECT_EQ(Page(), "The cat");
  EXPECT_EQ(dialog->Word->text(), "cat");
  EXPECT_FALSE(dialog->Addbutton->isEnabled());
}

TEST_F(SpellCheckDialogTest, ReplaceInAReadOnlyEditorChangesNothingAndMovesOn) {
  SetPage(editor, "The catt sat on the matt");
  editor.SetReadOnly(true);
  auto dialog = Open();
  ASSERT_EQ(dialog->Word->text(), "catt");
  dialog->ReplaceAs->setText("cat");
  QTest::mouseClick(dialog->Replace, Qt::LeftButton);
  EXPECT_EQ(Page(), "The catt sat on the matt");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(dialog->Word->text(), "matt");
}

TEST_F(SpellCheckDialogTest, CancelClearsTheSelectionAndClosesTheDictionaries) {
  SetPage(editor, "The catt sat");
  auto dialog = Open();
  ASSERT_EQ(editor.SelLength(), 4);
  QTest::mouseClick(dialog->Cancel, Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(editor.SelLength(), 0);
  EXPECT_FALSE(dialog->ZelvoSpell1.MainDictionaryOpen());
  EXPECT_FALSE(dialog->Finished());
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace quill
