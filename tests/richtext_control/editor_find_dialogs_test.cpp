// The application's Find and Replace dialogs opened by a real editor:
// every option in both directions, the replacements with their change
// notifications and undo, and the editor's own text search using the
// options a dialog last set.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "control_test_support.h"
#include "richtext/widget/find_dialogs.h"
#include "richtext_widget/find_dialog_driving.h"

namespace quill {
namespace {

using test::Click;
using test::Dir;
using test::EditorUnderTest;
using test::MessageWatch;
using test::Sel;
using test::SetOptions;

// "Cat" at 0, "cat" at 4, "concat" with "cat" at 11, "Cat" at 16; the
// second paragraph's "cat" at 21.
constexpr const char* kFirst = "Cat cat concat. Cat!";
constexpr const char* kSecond = "cat";

void Fill(EditorUnderTest& e) {
  QTest::keyClicks(e.editor.get(), kFirst);
  QTest::keyClick(e.editor.get(), Qt::Key_Return);
  QTest::keyClicks(e.editor.get(), kSecond);
  e.changes = 0;
}

Sel SelectionOf(EditorUnderTest& e) {
  const TFindRange r = e->FindTarget().Selection();
  return {r.start, r.length};
}

TEST(EditorFindDialog, FindsWithEveryOptionInBothDirections) {
  struct Case {
    const char* name;
    bool wholeWord, matchCase;
    Dir dir;
    std::vector<int> starts;  // matches in the order found
  };
  const Case cases[] = {
      {"plain down", false, false, Dir::Down, {0, 4, 11, 16, 21}},
      {"whole word down", true, false, Dir::Down, {0, 4, 16, 21}},
      {"match case down", false, true, Dir::Down, {4, 11, 21}},
      {"both down", true, true, Dir::Down, {4, 21}},
      {"plain up", false, false, Dir::Up, {21, 16, 11, 4, 0}},
      {"whole word up", true, false, Dir::Up, {21, 16, 4, 0}},
      {"match case up", false, true, Dir::Up, {21, 11, 4}},
      {"both up", true, true, Dir::Up, {21, 4}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EditorUnderTest e;
    Fill(e);
    QTest::keyClick(e.editor.get(), k.dir == Dir::Up ? Qt::Key_End : Qt::Key_Home, Qt::ControlModifier);
    e->ShowFindDialog();
    TFindReplaceDialog* d = FindDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->Target(), &e->FindTarget());
    SetOptions(d, "cat", k.wholeWord, k.matchCase, k.dir);
    MessageWatch watch;
    std::vector<int> found;
    for (size_t i = 0; i <= k.starts.size(); ++i) {
      Click(d->FindNextButton());
      if (!watch.texts.empty()) break;
      const Sel s = SelectionOf(e);
      EXPECT_EQ(s.length, 3);
      found.push_back(s.start);
      // The caret ends the match going down and starts it going up.
      EXPECT_EQ(e->FindTarget().CursorPosition(), k.dir == Dir::Up ? s.start : s.start + 3);
    }
    EXPECT_EQ(found, k.starts);
    EXPECT_EQ(watch.texts, std::vector<std::string>{"Cannot find \"cat\""});
    EXPECT_EQ(e.changes, 0);
    d->hide();
  }
}

TEST(EditorFindDialog, OneOfEachForTheApplicationAndOpeningOneClosesTheOther) {
  EditorUnderTest a, b;
  a->ShowFindDialog();
  TFindReplaceDialog* find = FindDialog();
  EXPECT_TRUE(find->DownButton()->isChecked());
  b->ShowReplaceDialog();
  TFindReplaceDialog* replace = ReplaceDialog();
  EXPECT_FALSE(find->isVisible());
  EXPECT_TRUE(replace->isVisible());
  EXPECT_EQ(replace->Target(), &b->FindTarget());
  a->ShowFindDialog();
  EXPECT_EQ(FindDialog(), find);
  EXPECT_FALSE(replace->isVisible());
  EXPECT_EQ(find->Target(), &a->FindTarget());
  // Not modal: the editor takes keys while it is open.
  EXPECT_FALSE(find->isModal());
  find->hide();
}

TEST(EditorReplaceDialog, ReplaceStepsThroughMatchesInBothDirections) {
  struct Case {
    const char* name;
    bool wholeWord, matchCase;
    Dir dir;
    std::string text;  // after every match has been replaced one by one
    int replacements;
  };
  const Case cases[] = {
      {"no direction chosen searches down", false, false, Dir::None, "dog dog condog. dog!|dog", 5},
      {"whole word down", true, false, Dir::Down, "dog dog concat. dog!|dog", 4},
      {"match case up", false, true, Dir::Up, "Cat dog condog. Cat!|dog", 3},
      {"both up", true, true, Dir::Up, "Cat dog concat. Cat!|dog", 2},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EditorUnderTest e;
    Fill(e);
    QTest::keyClick(e.editor.get(), k.dir == Dir::Up ? Qt::Key_End : Qt::Key_Home, Qt::ControlModifier);
    e->ShowReplaceDialog();
    TFindReplaceDialog* d = ReplaceDialog();
    ASSERT_NE(d, nullptr);
    if (k.dir == Dir::None) {
      // The dialog opens with no direction chosen.
      EXPECT_FALSE(d->UpButton()->isChecked());
      EXPECT_FALSE(d->DownButton()->isChecked());
    }
    SetOptions(d, "cat", k.wholeWord, k.matchCase, k.dir);
    d->ReplaceEdit()->setText("dog");
    MessageWatch watch;
    // The first press finds, each later one replaces the match and finds the next.
    Click(d->ReplaceButton());
    EXPECT_EQ(e.changes, 0);
    EXPECT_EQ(SelectionOf(e).length, 3);
    for (int i = 0; i < 10 && watch.texts.empty(); ++i) {
      Click(d->ReplaceButton());
      if (!watch.texts.empty()) break;
      // The replacement is selected; the next press goes on from it.
      EXPECT_EQ(e->Input().HasSelection(), true);
      Click(d->FindNextButton());
    }
    EXPECT_EQ(e.Text(), k.text);
    EXPECT_EQ(e.changes, k.replacements);
    EXPECT_FALSE(watch.texts.empty());
    d->hide();
  }
}

TEST(EditorReplaceDialog, ReplaceAllRunsForwardFromTheCaretAndNotifiesOnce) {
  struct Case {
    const char* name;
    bool wholeWord, matchCase;
    Dir dir;
    bool fromMiddle;  // caret after "Cat cat "
    std::string text;
  };
  const Case cases[] = {
      {"plain", false, false, Dir::None, false, "X X conX. X!|X"},
      {"whole word", true, false, Dir::Down, false, "X X concat. X!|X"},
      {"match case", false, true, Dir::Down, false, "Cat X conX. Cat!|X"},
      {"both", true, true, Dir::Down, false, "Cat X concat. Cat!|X"},
      {"up still runs forward", false, false, Dir::Up, true, "Cat cat conX. X!|X"},
      {"whole word from the middle", true, false, Dir::Down, true, "Cat cat concat. X!|X"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EditorUnderTest e;
    Fill(e);
    QTest::keyClick(e.editor.get(), Qt::Key_Home, Qt::ControlModifier);
    if (k.fromMiddle)
      for (int i = 0; i < 8; ++i) QTest::keyClick(e.editor.get(), Qt::Key_Right);
    e.changes = 0;
    e->ShowReplaceDialog();
    TFindReplaceDialog* d = ReplaceDialog();
    SetOptions(d, "cat", k.wholeWord, k.matchCase, k.dir);
    d->ReplaceEdit()->setText("X");
    MessageWatch watch;
    Click(d->ReplaceAllButton());
    EXPECT_EQ(e.Text(), k.text);
    EXPECT_EQ(e.changes, 1);
    EXPECT_TRUE(watch.texts.empty());
    // The last search of the run failed: the caret is at the start.
    EXPECT_EQ(e->FindTarget().CursorPosition(), 0);
    EXPECT_FALSE(e->Input().HasSelection());
    if (!k.fromMiddle) {
      // Nothing left to replace: a message and no notification.
      Click(d->ReplaceAllButton());
      EXPECT_EQ(e.changes, 1);
      EXPECT_EQ(watch.texts.size(), 1u);
    }
    // One undo step takes the whole run back.
    e->setFocus();
    QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e.Text(), std::string(kFirst) + "|" + kSecond);
    d->hide();
  }
}

TEST(EditorReplaceDialog, ReadOnlyEditorIsNotChanged) {
  EditorUnderTest e;
  Fill(e);
  e->SetReadOnly(true);
  e->ShowReplaceDialog();
  TFindReplaceDialog* d = ReplaceDialog();
  SetOptions(d, "cat", false, false, Dir::Down);
  d->ReplaceEdit()->setText("X");
  MessageWatch watch;
  Click(d->ReplaceAllButton());
  Click(d->ReplaceButton());
  Click(d->ReplaceButton());
  EXPECT_EQ(e.Text(), std::string(kFirst) + "|" + kSecond);
  EXPECT_EQ(e.changes, 0);
  d->hide();
}

TEST(EditorFindText, UsesTheOptionsTheDialogLastSet) {
  EditorUnderTest e;
  Fill(e);
  // Off at first: any case, inside words.
  EXPECT_TRUE(e->FindText("CAT", false));
  EXPECT_EQ(SelectionOf(e), (Sel{0, 3}));
  EXPECT_TRUE(e->FindText("CAT", true));
  EXPECT_EQ(SelectionOf(e), (Sel{21, 3}));
  EXPECT_EQ(e->FindTarget().CursorPosition(), 21);

  e->ShowFindDialog();
  TFindReplaceDialog* d = FindDialog();
  SetOptions(d, "cat", false, true, Dir::Down);
  MessageWatch watch;
  Click(d->FindNextButton());
  d->hide();
  EXPECT_FALSE(e->FindText("CAT", false));
  EXPECT_TRUE(e->FindText("Cat", true));
  EXPECT_EQ(SelectionOf(e), (Sel{16, 3}));
  EXPECT_EQ(e.changes, 0);
}

}  // namespace
}  // namespace quill
