// The Find and Replace dialogs driven by key presses and mouse clicks on a
// real document: every option in both directions, the messages, the one
// dialog of each kind, and a replace-all stopped by Escape.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "find_dialog_driving.h"
#include "find_test_support.h"
#include "richtext/widget/find_dialogs.h"
#include "widget_test_support.h"

namespace quill {
namespace {

using test::Check;
using test::Click;
using test::Dir;
using test::FindEditor;
using test::MessageWatch;
using test::Paragraphs;
using test::Sel;
using test::SetOptions;
using test::TypeInto;
using Strings = std::vector<std::string>;

Sel SelectionOf(FindEditor& e) {
  const TFindRange r = e.target.Selection();
  return {r.start, r.length};
}

void PressEnter(TFindReplaceDialog* d) { QTest::keyClick(d->FindEdit(), Qt::Key_Return); }

class FindDialogs : public ::testing::Test {
 protected:
  // Declared first, destroyed last: the dialogs are its children, so each
  // test starts with new ones.
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  MessageWatch messages;
};

// Paragraph starts: 0, 28, 49.
const char* kAnimals =
    "{\\rtf1 The cat sat on the Cat mat.\\par concat catalogue cat\\par \\'fcber alles}";

TEST_F(FindDialogs, FindNextWithEveryOptionInBothDirections) {
  struct Case {
    const char* name;
    QString text;
    bool wholeWord, matchCase;
    Dir dir;
    int cursor;
    std::vector<Sel> matches;
  };
  const Case cases[] = {
      {"plain", "cat", false, false, Dir::Down, 0, {{4, 3}, {19, 3}, {31, 3}, {35, 3}, {45, 3}}},
      {"whole word", "cat", true, false, Dir::Down, 0, {{4, 3}, {19, 3}, {45, 3}}},
      {"match case", "cat", false, true, Dir::Down, 0, {{4, 3}, {31, 3}, {35, 3}, {45, 3}}},
      {"both", "Cat", true, true, Dir::Down, 0, {{19, 3}}},
      {"from the cursor", "cat", false, false, Dir::Down, 20, {{31, 3}, {35, 3}, {45, 3}}},
      {"wildcard", "c*t", false, false, Dir::Down, 0, {{4, 3}, {19, 3}, {28, 6}, {35, 3}, {45, 3}}},
      {"wildcard at the end", "cat*", true, false, Dir::Down, 30, {{45, 3}}},
      {"up", "cat", false, false, Dir::Up, 60, {{45, 3}, {35, 3}, {31, 3}, {19, 3}, {4, 3}}},
      {"up whole word and case", "cat", true, true, Dir::Up, 60, {{45, 3}, {4, 3}}},
      {"up wildcard", "c*t", false, false, Dir::Up, 48, {{45, 3}, {35, 3}, {31, 3}, {19, 7}, {4, 12}}},
      {"letters beyond ASCII ignore case", QString::fromUtf8("\xc3\x9c" "ber"), true, false, Dir::Down, 0,
       {{49, 4}}},
      {"a character the page cannot hold", QString::fromUtf8("cat\xce\xa9"), false, false, Dir::Down, 0, {}},
  };
  FindEditor e(kAnimals);
  TFindReplaceDialog* d = ShowFindDialog(e.target, window.get());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetOptions(d, c.text, c.wholeWord, c.matchCase, c.dir);
    e.target.Select(c.cursor, 0, true);
    for (const Sel& m : c.matches) {
      PressEnter(d);
      EXPECT_EQ(SelectionOf(e), m);
      EXPECT_EQ(e.target.CursorPosition(), c.dir == Dir::Up ? m.start : m.start + m.length);
    }
    const Sel last = SelectionOf(e);
    messages.texts.clear();
    PressEnter(d);
    EXPECT_EQ(messages.texts, Strings{"Cannot find \"" + c.text.toStdString() + "\""});
    EXPECT_EQ(SelectionOf(e), last);
  }
  EXPECT_EQ(e.changes, 0);
  EXPECT_EQ(Paragraphs(e.doc), (Strings{"The cat sat on the Cat mat.", "concat catalogue cat", "\xfc" "ber alles"}));
}

TEST_F(FindDialogs, FindOpensSearchingDownReplaceWithNoDirection) {
  FindEditor e(kAnimals);
  TFindReplaceDialog* f = ShowFindDialog(e.target, window.get());
  EXPECT_EQ(f->Kind(), TFindReplaceDialog::TKind::Find);
  EXPECT_TRUE(f->DownButton()->isChecked());
  EXPECT_FALSE(f->UpButton()->isChecked());
  EXPECT_EQ(f->ReplaceEdit(), nullptr);
  TFindReplaceDialog* r = ShowReplaceDialog(e.target, window.get());
  EXPECT_EQ(r->Kind(), TFindReplaceDialog::TKind::Replace);
  EXPECT_FALSE(r->DownButton()->isChecked());
  EXPECT_FALSE(r->UpButton()->isChecked());
  EXPECT_FALSE(r->WholeWordBox()->isChecked());
  EXPECT_FALSE(r->MatchCaseBox()->isChecked());
  // With no direction chosen Find Next goes down, as Replace All does.
  TypeInto(r->FindEdit(), "cat");
  e.target.Select(20, 0, true);
  Click(r->FindNextButton());
  EXPECT_EQ(SelectionOf(e), (Sel{31, 3}));
  // Both stay usable beside the page.
  EXPECT_FALSE(r->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FindDialogs, OneOfEachPerApplicationServingTheEditorThatOpenedIt) {
  auto a = std::make_unique<FindEditor>("{\\rtf1 apple pie}");
  auto b = std::make_unique<FindEditor>("{\\rtf1 pear and apple}");
  QWidget otherWindow;
  TFindReplaceDialog* f = ShowFindDialog(a->target, window.get());
  EXPECT_EQ(FindDialog(), f);
  EXPECT_TRUE(f->isVisible());
  TFindReplaceDialog* r = ShowReplaceDialog(a->target, window.get());
  EXPECT_EQ(ReplaceDialog(), r);
  EXPECT_FALSE(f->isVisible());
  EXPECT_TRUE(r->isVisible());
  // Opened again, from another editor in another window: the same dialog.
  EXPECT_EQ(ShowFindDialog(b->target, &otherWindow), f);
  EXPECT_FALSE(r->isVisible());
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(f->parentWidget(), &otherWindow);
  EXPECT_EQ(f->Target(), &b->target);
  TypeInto(f->FindEdit(), "apple");
  PressEnter(f);
  EXPECT_EQ(SelectionOf(*b), (Sel{9, 5}));
  EXPECT_EQ(SelectionOf(*a), (Sel{0, 0}));
  EXPECT_EQ(ShowReplaceDialog(b->target, window.get()), r);
  EXPECT_EQ(r->Target(), &b->target);
  // The editor goes away: its dialogs are detached and hidden, and their
  // buttons do nothing.
  b.reset();
  EXPECT_EQ(r->Target(), nullptr);
  EXPECT_EQ(f->Target(), nullptr);
  EXPECT_FALSE(r->isVisible());
  EXPECT_FALSE(r->FindNextButton()->isEnabled());
  ShowFindDialog(a->target, window.get());
  EXPECT_EQ(f->parentWidget(), window.get());
  // The dialog went back with the first window; the other may go now.
  EXPECT_EQ(FindDialog(), f);
  PressEnter(f);
  EXPECT_EQ(SelectionOf(*a), (Sel{0, 5}));
}

TEST_F(FindDialogs, EnterFindsNextAndEscapeCloses) {
  FindEditor e("{\\rtf1 ab ab}");
  for (bool replace : {false, true}) {
    SCOPED_TRACE(replace ? "Replace" : "Find");
    TFindReplaceDialog* d = replace ? ShowReplaceDialog(e.target, window.get()) : ShowFindDialog(e.target, window.get());
    EXPECT_FALSE(d->FindNextButton()->isEnabled());  // nothing to look for yet
    TypeInto(d->FindEdit(), "ab");
    EXPECT_TRUE(d->FindNextButton()->isEnabled());
    if (replace) TypeInto(d->ReplaceEdit(), "x");
    e.target.Select(0, 0, true);
    QTest::keyClick(d->FindEdit(), Qt::Key_Return);
    EXPECT_EQ(SelectionOf(e), (Sel{0, 2}));
    QTest::keyClick(replace ? d->ReplaceEdit() : d->FindEdit(), Qt::Key_Enter);
    EXPECT_EQ(SelectionOf(e), (Sel{3, 2}));
    EXPECT_EQ(Paragraphs(e.doc), Strings{"ab ab"});  // Enter never replaces
    QTest::keyClick(d->FindEdit(), Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
  }
  TFindReplaceDialog* f = ShowFindDialog(e.target, window.get());
  EXPECT_TRUE(f->isVisible());
  Click(f->CloseButton());
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(e.changes, 0);
}

TEST_F(FindDialogs, ReplaceReplacesTheFoundMatchThenFindsTheNext) {
  struct Case {
    const char* name;
    Dir dir;
    int cursor;
    // After each press of Replace: the text and the selection.
    std::vector<std::pair<std::string, Sel>> steps;
    int cursorAfterReplace;  // relative to the replacement's start
  };
  const Case cases[] = {
      {"down", Dir::Down, 0,
       {{"One two one", {0, 3}}, {"1 two one", {0, 1}}, {"1 two one", {6, 3}}, {"1 two 1", {6, 1}}},
       1},
      {"no direction chosen goes down", Dir::None, 4,
       {{"One two one", {8, 3}}, {"One two 1", {8, 1}}},
       1},
      {"up", Dir::Up, 11,
       {{"One two one", {8, 3}}, {"One two 1", {8, 1}}, {"One two 1", {0, 3}}, {"1 two 1", {0, 1}}},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FindEditor e("{\\rtf1 One two one}");
    window = std::make_unique<QWidget>();  // a new dialog with no direction chosen
    TFindReplaceDialog* d = ShowReplaceDialog(e.target, window.get());
    SetOptions(d, "one", false, false, c.dir);
    TypeInto(d->ReplaceEdit(), "1");
    e.target.Select(c.cursor, 0, true);
    int replaced = 0;
    for (const auto& [text, sel] : c.steps) {
      Click(d->ReplaceButton());
      EXPECT_EQ(Paragraphs(e.doc), Strings{text});
      EXPECT_EQ(SelectionOf(e), sel);
      if (sel.length == 1) {
        ++replaced;
        EXPECT_EQ(e.target.CursorPosition(), sel.start + c.cursorAfterReplace);
      }
      EXPECT_EQ(e.changes, replaced);
    }
    EXPECT_TRUE(messages.texts.empty());
    Click(d->ReplaceButton());
    EXPECT_EQ(messages.texts, Strings{"Cannot find \"one\""});
    messages.texts.clear();
    EXPECT_EQ(e.changes, replaced);
  }
}

TEST_F(FindDialogs, ReplaceAllWithEveryOption) {
  struct Case {
    const char* name;
    QString text;
    bool wholeWord, matchCase;
    Dir dir;
    int cursor;
    Strings result;
  };
  const Case cases[] = {
      {"plain", "cat", false, false, Dir::Down, 0, {"dog dog condog", "dog-dog dog"}},
      {"whole word", "cat", true, false, Dir::Down, 0, {"dog dog concat", "dog-dog dog"}},
      {"match case", "cat", false, true, Dir::Down, 0, {"Cat dog condog", "dog-dog CAT"}},
      {"whole word and case", "cat", true, true, Dir::Down, 0, {"Cat dog concat", "dog-dog CAT"}},
      {"wildcard", "c*t", false, false, Dir::Down, 0, {"dog dog dog", "dog-dog dog"}},
      {"from the cursor", "cat", false, false, Dir::Down, 15, {"Cat cat concat", "dog-dog dog"}},
      {"always forward, also when up", "cat", false, false, Dir::Up, 15, {"Cat cat concat", "dog-dog dog"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FindEditor e("{\\rtf1 Cat cat concat\\par cat-cat CAT}");
    TFindReplaceDialog* d = ShowReplaceDialog(e.target, window.get());
    SetOptions(d, c.text, c.wholeWord, c.matchCase, c.dir);
    TypeInto(d->ReplaceEdit(), "dog");
    e.target.Select(c.cursor, 0, true);
    Click(d->ReplaceAllButton());
    EXPECT_EQ(Paragraphs(e.doc), c.result);
    EXPECT_EQ(e.changes, 1);  // one notification for the whole run
    EXPECT_EQ(e.target.CursorPosition(), 0);
    EXPECT_EQ(SelectionOf(e).length, 0);
    EXPECT_TRUE(messages.texts.empty());
    // Undo takes the whole run back at once.
    ASSERT_TRUE(e.input.Undo());
    EXPECT_EQ(Paragraphs(e.doc), (Strings{"Cat cat concat", "cat-cat CAT"}));
  }
}

TEST_F(FindDialogs, ReplaceAllWithoutAMatchTellsTheUserAndLeavesTheCursorAtZero) {
  FindEditor e("{\\rtf1 alpha beta}");
  TFindReplaceDialog* d = ShowReplaceDialog(e.target, window.get());
  TypeInto(d->FindEdit(), "gamma");
  TypeInto(d->ReplaceEdit(), "delta");
  e.target.Select(6, 4, true);
  Click(d->ReplaceAllButton());
  EXPECT_EQ(messages.texts, Strings{"Cannot find \"gamma\""});
  EXPECT_EQ(Paragraphs(e.doc), Strings{"alpha beta"});
  EXPECT_EQ(e.target.CursorPosition(), 0);
  EXPECT_EQ(e.changes, 0);
}

TEST_F(FindDialogs, ReadOnlyEditorIsNotChangedByReplace) {
  FindEditor e("{\\rtf1 alpha alpha}");
  e.input.readOnly = true;
  TFindReplaceDialog* d = ShowReplaceDialog(e.target, window.get());
  TypeInto(d->FindEdit(), "alpha");
  TypeInto(d->ReplaceEdit(), "x");
  e.target.Select(0, 5, true);
  Click(d->ReplaceButton());
  Click(d->ReplaceAllButton());
  EXPECT_EQ(Paragraphs(e.doc), Strings{"alpha alpha"});
  EXPECT_EQ(e.changes, 0);
  EXPECT_TRUE(messages.texts.empty());
  Click(d->FindNextButton());
  EXPECT_EQ(SelectionOf(e), (Sel{6, 5}));
}

std::string Words(int n, const std::string& word, int replaced, const std::string& by) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i < replaced ? by : word) + " ";
  return s;
}

TEST_F(FindDialogs, EscapeStopsAReplaceAllBetweenBatches) {
  const int n = 45;
  for (bool escape : {true, false}) {
    SCOPED_TRACE(escape ? "Escape pressed" : "no Escape");
    FindEditor e("{\\rtf1 " + Words(n, "xy", 0, "") + "}");
    TFindReplaceDialog* d = ShowReplaceDialog(e.target, window.get());
    TypeInto(d->FindEdit(), "xy");
    TypeInto(d->ReplaceEdit(), "Z");
    // The user presses keys while the run goes on; they reach the
    // application only when it polls.
    e.target.onBeforeReplace = [&] {
      if (escape) QCoreApplication::postEvent(d->FindEdit(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
      QCoreApplication::postEvent(d->FindEdit(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Q, {}, "q"));
    };
    e.target.Select(0, 0, true);
    Click(d->ReplaceAllButton());
    const int done = escape ? 30 : n;
    EXPECT_EQ(Paragraphs(e.doc), Strings{Words(n, "xy", done, "Z")});
    EXPECT_EQ(e.changes, 1);
    // Stopped: the cursor stays behind the last replacement.
    EXPECT_EQ(e.target.CursorPosition(), escape ? 29 * 2 + 1 : 0);
    // The keys went nowhere: the dialog is open and its text unchanged.
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->FindEdit()->text().toStdString(), "xy");
    EXPECT_TRUE(messages.texts.empty());
  }
}

}  // namespace
}  // namespace quill
