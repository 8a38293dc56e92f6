// Spelling marks in a real editor: words the checker does not know are
// marked as they are typed and unmarked as they are corrected, only the
// words around an edit are looked up again, the marks are painted on screen,
// and the context menu's suggestions, Add to Dictionary and Ignore All.
#include "richtext/widget/spelling_marks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <set>
#include <string>
#include <vector>

#include "richtext/widget/rich_text.h"
#include "widget_test_support.h"

namespace quill {
namespace {

using Strings = std::vector<std::string>;

std::string Upper(std::string_view w) {
  std::string s(w);
  for (char& c : s) c = char(std::toupper(uint8_t(c)));
  return s;
}

// Knows a fixed list of words in any letter case.
class FakeChecker : public TSpellingChecker {
 public:
  FakeChecker() {
    for (const char* w : {"the", "cat", "sat", "on", "a", "mat", "we", "walked", "far", "today", "it's"})
      words.insert(Upper(w));
  }
  bool IsWordCorrect(std::string_view word) override {
    ++lookups;
    return words.count(Upper(word)) > 0;
  }
  Strings Suggestions(std::string_view word, int most) override {
    asked = most;
    if (Upper(word) == "CATT") return {"cat", "cattle"};
    return {};
  }
  bool CanAddWords() override { return canAdd; }
  bool AddWord(std::string_view word) override {
    words.insert(Upper(word));
    return true;
  }
  std::set<std::string> words;
  int lookups = 0;
  int asked = 0;
  bool canAdd = true;
};

Strings MarkedWords(TRichText& editor) {
  Strings out;
  for (const TParagraph* p = editor.RtfText().firstParagraph; p; p = p->next) {
    const std::string text = ParagraphCharacters(p);
    for (const TWordRange& m : editor.SpellingMarks().MarksOf(p))
      out.push_back(text.substr(size_t(m.start), size_t(m.length)));
  }
  return out;
}

class SpellingMarksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    editor.resize(500, 300);
    editor.show();
    editor.SetSpellingChecker(&checker);
    editor.OnChange = [this] { ++changes; };
    editor.setFocus();
  }

  // Viewport point over character OFFSET of the first paragraph.
  QPoint PointAt(int offset) {
    TParagraph* p = editor.RtfText().firstParagraph;
    const TDocPos at = editor.RtfText().PositionAt(p, offset);
    const int x = editor.Layout().CharX(p, at.line, at.index) + 2 - editor.horizontalScrollBar()->value();
    const int y = at.line->top + at.line->height / 2 - editor.verticalScrollBar()->value();
    return {x, y};
  }

  // Opens the context menu over OFFSET, notes its entries and triggers
  // the one captioned CHOICE (none: the menu is closed).
  Strings ContextMenu(int offset, const QString& choice = {}) {
    Strings entries;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      QAction* chosen = nullptr;
      for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        entries.push_back(a->text().toStdString() + (a->isEnabled() ? "" : " (off)"));
        if (a->text() == choice) chosen = a;
      }
      menu->close();
      if (chosen) chosen->trigger();
    });
    const QPoint at = PointAt(offset);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, editor.viewport()->mapToGlobal(at));
    QApplication::sendEvent(editor.viewport(), &event);
    return entries;
  }

  std::string Page() { return test::Paragraphs(editor.RtfText())[0]; }

  FakeChecker checker;
  TRichText editor;
  int changes = 0;
};

TEST(SpellingWords, FollowTheWordWalkRules) {
  struct Case {
    const char* text;
    Strings words;
  };
  const Case cases[] = {
      {"It's 10:30, e-mail me!", {"It's", "e", "mail", "me"}},
      {"students' rock'n'roll", {"students", "rock'n'roll"}},
      {"'quoted' 3rd", {"quoted", "rd"}},
      {"\xC4rger \xFC" "ber", {"\xC4rger", "\xFC" "ber"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Strings got;
    const std::string text = c.text;
    for (const TWordRange& w : WordsOf(text, 0, int(text.size())))
      got.push_back(text.substr(size_t(w.start), size_t(w.length)));
    EXPECT_EQ(got, c.words);
  }
}

TEST_F(SpellingMarksTest, MarksComeAndGoAsWordsAreTypedAndCorrected) {
  QTest::keyClicks(&editor, "The catt sat");
  EXPECT_EQ(MarkedWords(editor), Strings{"catt"});
  QTest::keyClicks(&editor, " on teh");
  EXPECT_EQ(MarkedWords(editor), (Strings{"catt", "teh"}));
  // Correcting "teh" by retyping its end.
  QTest::keyClick(&editor, Qt::Key_Backspace);
  QTest::keyClick(&editor, Qt::Key_Backspace);
  QTest::keyClicks(&editor, "he mat");
  EXPECT_EQ(MarkedWords(editor), Strings{"catt"});
  // Deleting the extra t of "catt".
  for (int i = 0; i < 16; ++i) QTest::keyClick(&editor, Qt::Key_Left);
  QTest::keyClick(&editor, Qt::Key_Delete);
  EXPECT_EQ(Page(), "The cat sat on the mat");
  EXPECT_EQ(MarkedWords(editor), Strings{});
  // A word split by Enter is checked in both paragraphs.
  QTest::keyClick(&editor, Qt::Key_Return);
  EXPECT_EQ(MarkedWords(editor), Strings{});
  QTest::keyClick(&editor, Qt::Key_Backspace);
  QTest::keyClick(&editor, Qt::Key_Left);
  QTest::keyClick(&editor, Qt::Key_Return);
  EXPECT_EQ(MarkedWords(editor), (Strings{"ca", "t"}));
}

TEST_F(SpellingMarksTest, TypingLooksUpOnlyTheWordsAroundTheChange) {
  std::string page;
  for (int i = 0; i < 300; ++i) page += i % 7 == 3 ? "catt " : "the cat sat ";
  editor.InsertText(page);
  editor.SpellingMarks().MarkDocument(editor.RtfText());
  const size_t marked = MarkedWords(editor).size();
  EXPECT_EQ(marked, 43u);
  editor.SetSelection(6, 0);  // inside the second "cat"
  editor.SpellingMarks().ResetWordsExamined();
  QTest::keyClick(&editor, Qt::Key_T);
  EXPECT_LE(editor.SpellingMarks().WordsExamined(), 1);
  EXPECT_EQ(MarkedWords(editor).size(), marked + 1);
  QTest::keyClick(&editor, Qt::Key_Space);
  EXPECT_LE(editor.SpellingMarks().WordsExamined(), 4);
  EXPECT_EQ(MarkedWords(editor).size(), marked + 1);
}

TEST_F(SpellingMarksTest, MarksArePaintedInRedOnlyWhileACheckerIsSet) {
  auto redPixels = [&] {
    const QImage image = editor.viewport()->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() > 150 && c.green() < 100 && c.blue() < 100) ++n;
      }
    return n;
  };
  editor.InsertText("The cat sat");
  EXPECT_EQ(redPixels(), 0);
  editor.InsertText(" catt");
  EXPECT_GT(redPixels(), 5);
  editor.SetSpellingChecker(nullptr);
  EXPECT_EQ(redPixels(), 0);
  EXPECT_EQ(MarkedWords(editor), Strings{});
}

TEST_F(SpellingMarksTest, ContextMenuSuggestionReplacesTheWordAndNotifies) {
  editor.InsertText("The catt sat");
  changes = 0;
  const Strings entries = ContextMenu(5, "cattle");
  EXPECT_EQ(entries, (Strings{"cat", "cattle", "&Add to Dictionary", "&Ignore All", "&Undo", "&Redo (off)",
                              "Cu&t (off)", "&Copy (off)", "&Paste (off)"}));
  EXPECT_EQ(checker.asked, 10);
  EXPECT_EQ(Page(), "The cattle sat");
  EXPECT_EQ(changes, 1);
  checker.words.insert("CATTLE");
  editor.RecheckSpelling();
  EXPECT_EQ(MarkedWords(editor), Strings{});
  // A word that is not marked gets the plain menu.
  EXPECT_EQ(ContextMenu(1).front(), "&Undo");
}

TEST_F(SpellingMarksTest, ContextMenuAddAndIgnoreAll) {
  editor.InsertText("Zorb and zorb met Quux");
  EXPECT_EQ(MarkedWords(editor), (Strings{"Zorb", "and", "zorb", "met", "Quux"}));
  ContextMenu(19, "&Add to Dictionary");
  EXPECT_TRUE(checker.words.count("QUUX"));
  EXPECT_EQ(MarkedWords(editor), (Strings{"Zorb", "and", "zorb", "met"}));
  ContextMenu(1, "&Ignore All");
  EXPECT_EQ(MarkedWords(editor), (Strings{"and", "met"}));
  EXPECT_FALSE(checker.words.count("ZORB"));
  // Ignored for this page only: a new page marks it again.
  editor.Clear();
  editor.InsertText("zorb");
  EXPECT_EQ(MarkedWords(editor), Strings{"zorb"});
  // Without a user dictionary Add is offered but off; a read-only page
  // offers no replacement.
  checker.canAdd = false;
  editor.SetReadOnly(true);
  EXPECT_EQ(ContextMenu(1).front(), "(no suggestions) (off)");
  editor.SetReadOnly(false);
  const Strings entries = ContextMenu(1);
  EXPECT_NE(std::find(entries.begin(), entries.end(), "&Add to Dictionary (off)"), entries.end());
}

TEST_F(SpellingMarksTest, IgnoreAllCoversBothCasesOfEveryCodePageLetter) {
  // Upper and lower case of the letters the word walk knows in 0x80..0x9F,
  // and of a Latin-1 letter.
  const struct {
    const char* upper;
    const char* lower;
  } cases[] = {{"\x8A", "\x9A"}, {"\x8C", "\x9C"}, {"\x9F", "\xFF"}, {"\xC9", "\xE9"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.upper)));
    editor.Clear();
    editor.InsertText(std::string(c.upper) + "lub " + c.lower + "lub");
    ASSERT_EQ(MarkedWords(editor).size(), 2u);
    ContextMenu(1, "&Ignore All");
    EXPECT_EQ(MarkedWords(editor), Strings{});
  }
}

}  // namespace
}  // namespace quill
