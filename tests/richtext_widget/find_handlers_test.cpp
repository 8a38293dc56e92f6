// The editor side of find and replace over a real document and cursor:
// positions, the programmatic text search, the guards of Replace and
// Replace All, undo of a replacement and a replace-all that is stopped.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "richtext/widget/find_handlers.h"
#include "find_test_support.h"
#include "widget_test_support.h"

namespace quill {
namespace {

using test::Paragraphs;
using Strings = std::vector<std::string>;

struct Editor : test::FindEditor {
  explicit Editor(const std::string& rtf) : FindEditor(rtf) {
    target.escapeHeld = [] { return false; };
  }
};

TEST(FindTarget, PositionsCountEachParagraphEnd) {
  Editor e("{\\rtf1 abc\\par \\par de}");
  struct Case {
    int position;
    int paragraph;
    int offset;
  };
  const Case cases[] = {{0, 0, 0}, {3, 0, 3}, {4, 1, 0}, {5, 2, 0}, {7, 2, 2}, {99, 2, 2}, {-4, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    const TTextPos pos = TextPosition(e.doc, c.position);
    TParagraph* p = e.doc.firstParagraph;
    for (int i = 0; i < c.paragraph; ++i) p = p->next;
    EXPECT_EQ(pos.paragraph, p);
    EXPECT_EQ(pos.position, c.offset);
    // Positions inside the document come back unchanged.
    if (c.position >= 0 && c.position <= 7) {
      EXPECT_EQ(FinderPosition(e.doc, pos), c.position);
    }
  }
}

TEST(FindTarget, SelectionAndCursorFollowTheDirection) {
  Editor e("{\\rtf1 one\\par two three}");
  e.target.Select(4, 3, true);
  EXPECT_EQ(e.target.Selection().start, 4);
  EXPECT_EQ(e.target.Selection().length, 3);
  EXPECT_EQ(e.target.CursorPosition(), 7);
  e.target.Select(4, 3, false);
  EXPECT_EQ(e.target.Selection().length, 3);
  EXPECT_EQ(e.target.CursorPosition(), 4);
  e.target.Select(9, 0, true);
  EXPECT_EQ(e.target.Selection().length, 0);
  EXPECT_EQ(e.target.CursorPosition(), 9);
}

TEST(FindText, SearchesFromTheDocumentsStartOrEnd) {
  Editor e("{\\rtf1 Tom met tom\\par at TOM's}");
  // Forward from the start whatever the cursor, the cursor behind the match.
  e.target.Select(12, 0, true);
  ASSERT_TRUE(FindText(e.target, "tom", false));
  EXPECT_EQ(e.target.Selection().start, 0);
  EXPECT_EQ(e.target.Selection().length, 3);
  EXPECT_EQ(e.target.CursorPosition(), 3);
  EXPECT_EQ(e.scrolls, 1);
  // Backward from the end, the cursor before the match.
  ASSERT_TRUE(FindText(e.target, "tom", true));
  EXPECT_EQ(e.target.Selection().start, 15);
  EXPECT_EQ(e.target.CursorPosition(), 15);
  // The asterisk is always a wildcard.
  ASSERT_TRUE(FindText(e.target, "m*t", false));
  EXPECT_EQ(e.target.Selection().start, 2);
  EXPECT_EQ(e.target.Selection().length, 5);
  EXPECT_FALSE(FindText(e.target, "tim", false));
  EXPECT_FALSE(FindText(e.target, "", true));
  EXPECT_EQ(e.target.Selection().start, 2);  // a failed search leaves the selection
  EXPECT_EQ(e.changes, 0);
}

TEST(FindText, KeepsTheCaseAndWholeWordOptionsADialogLastSet) {
  Editor e("{\\rtf1 tomato Tom}");
  TFindOptions o;
  o.text = "Tom";
  o.matchCase = true;
  o.wholeWord = true;
  ASSERT_TRUE(FindHandler(e.target, o));
  e.target.Select(0, 0, true);
  // Lower case is no match now, nor "Tom" inside "tomato".
  EXPECT_FALSE(FindText(e.target, "tom", false));
  ASSERT_TRUE(FindText(e.target, "Tom", false));
  EXPECT_EQ(e.target.Selection().start, 7);
  EXPECT_EQ(e.target.Selection().length, 3);
  ASSERT_TRUE(FindText(e.target, "Tom", true));
  EXPECT_EQ(e.target.Selection().start, 7);
}

TEST(FindHandler, ASelectedMatchIsNotFoundAgainWhenTheDirectionTurns) {
  Editor e("{\\rtf1 ab ab ab}");
  TFindOptions o;
  o.text = "ab";
  ASSERT_TRUE(FindHandler(e.target, o));
  ASSERT_TRUE(FindHandler(e.target, o));
  EXPECT_EQ(e.target.Selection().start, 3);
  o.up = true;
  ASSERT_TRUE(FindHandler(e.target, o));
  EXPECT_EQ(e.target.Selection().start, 0);
  EXPECT_EQ(e.target.CursorPosition(), 0);
  o.up = false;
  ASSERT_TRUE(FindHandler(e.target, o));
  EXPECT_EQ(e.target.Selection().start, 3);
  o.up = true;
  e.target.Select(0, 0, true);
  EXPECT_FALSE(FindHandler(e.target, o));  // nothing before position 0
}

TEST(ReplaceHandler, ReplacesOnlyASelectionThatStillMatches) {
  Editor e("{\\rtf1 red car, red bus}");
  TFindOptions o;
  o.text = "red";
  o.replacement = "blue";
  // Nothing selected: Replace looks for the first match.
  EXPECT_EQ(ReplaceHandler(e.target, o), TReplaceResult::FoundNext);
  EXPECT_EQ(e.target.Selection().start, 0);
  // The user selects other text: that is no match, so it is left alone.
  e.target.Select(4, 3, true);
  EXPECT_EQ(ReplaceHandler(e.target, o), TReplaceResult::FoundNext);
  EXPECT_EQ(Paragraphs(e.doc), Strings{"red car, red bus"});
  EXPECT_EQ(e.target.Selection().start, 9);
  EXPECT_EQ(ReplaceHandler(e.target, o), TReplaceResult::Replaced);
  EXPECT_EQ(Paragraphs(e.doc), Strings{"red car, blue bus"});
  EXPECT_EQ(e.target.Selection().start, 9);
  EXPECT_EQ(e.target.Selection().length, 4);
  EXPECT_EQ(e.target.CursorPosition(), 13);
  EXPECT_EQ(e.changes, 1);
  EXPECT_EQ(e.refreshes, 1);
  // A selection that covers a match and more is no match either.
  e.target.Select(0, 5, true);
  EXPECT_EQ(ReplaceHandler(e.target, o), TReplaceResult::NotFound);
  EXPECT_EQ(e.changes, 1);
  // Undo takes the replacement back.
  ASSERT_TRUE(e.input.Undo());
  EXPECT_EQ(Paragraphs(e.doc), Strings{"red car, red bus"});
}

TEST(ReplaceHandler, AWildcardMatchFoundUpIsReplacedAsFound) {
  // Up, "c*t" runs from the nearest c before the last t; down from the
  // first t after the c. Each direction's match is replaced as selected.
  struct Case {
    bool up;
    std::string result;
  };
  for (const Case& c : {Case{true, "X."}, Case{false, "X mat."}}) {
    Editor e("{\\rtf1 cat mat.}");
    TFindOptions o;
    o.text = "c*t";
    o.replacement = "X";
    o.up = c.up;
    e.target.Select(c.up ? 8 : 0, 0, true);
    ASSERT_EQ(ReplaceHandler(e.target, o), TReplaceResult::FoundNext);
    EXPECT_EQ(ReplaceHandler(e.target, o), TReplaceResult::Replaced);
    EXPECT_EQ(Paragraphs(e.doc), Strings{c.result});
    // Turning round after a find still replaces the selected match.
    Editor turned("{\\rtf1 cat mat.}");
    o.up = !c.up;
    turned.target.Select(0, c.up ? 7 : 3, true);
    EXPECT_EQ(ReplaceHandler(turned.target, o), TReplaceResult::Replaced);
    EXPECT_EQ(Paragraphs(turned.doc), Strings{c.result});
  }
}

TEST(ReplaceHandler, ReadOnlyEditorIsLeftAlone) {
  Editor e("{\\rtf1 red red}");
  e.input.readOnly = true;
  TFindOptions o;
  o.text = "red";
  o.replacement = "x";
  e.target.Select(0, 3, true);
  EXPECT_EQ(ReplaceHandler(e.target, o), TReplaceResult::ReadOnly);
  const TReplaceAllResult all = ReplaceAllHandler(e.target, o);
  EXPECT_TRUE(all.readOnly);
  EXPECT_EQ(all.count, 0);
  EXPECT_EQ(Paragraphs(e.doc), Strings{"red red"});
  EXPECT_EQ(e.changes, 0);
  // Finding still works.
  EXPECT_TRUE(FindHandler(e.target, o));
}

TEST(ReplaceAllHandler, RunsFromTheSelectionToTheEndAsOneUndoStep) {
  Editor e("{\\rtf1 a1 a2\\par a3 a4}");
  TFindOptions o;
  o.text = "a";
  o.replacement = "bb";
  e.target.Select(3, 2, true);  // "a2" selected: it is replaced, "a1" is not
  const TReplaceAllResult r = ReplaceAllHandler(e.target, o);
  EXPECT_EQ(r.count, 3);
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(Paragraphs(e.doc), (Strings{"a1 bb2", "bb3 bb4"}));
  EXPECT_EQ(e.target.CursorPosition(), 0);
  EXPECT_EQ(e.target.Selection().length, 0);
  EXPECT_EQ(e.changes, 1);
  ASSERT_TRUE(e.input.Undo());
  EXPECT_EQ(Paragraphs(e.doc), (Strings{"a1 a2", "a3 a4"}));
}

TEST(ReplaceAllHandler, WithoutAMatchChangesNothingAndPutsTheCursorAtZero) {
  Editor e("{\\rtf1 alpha beta}");
  e.target.Select(6, 0, true);
  TFindOptions o;
  o.text = "gamma";
  o.replacement = "x";
  const TReplaceAllResult r = ReplaceAllHandler(e.target, o);
  EXPECT_EQ(r.count, 0);
  EXPECT_EQ(Paragraphs(e.doc), Strings{"alpha beta"});
  EXPECT_EQ(e.target.CursorPosition(), 0);
  EXPECT_EQ(e.changes, 0);
  EXPECT_FALSE(e.input.CanUndo());
}

TEST(ReplaceAllHandler, StopsBetweenBatchesWhenEscapeIsHeld) {
  std::string rtf = "{\\rtf1 ";
  for (int i = 0; i < 45; ++i) rtf += "xy ";
  rtf += "}";
  struct Case {
    bool up;
    int cursor;  // the 30th replacement "Z" is at 29 * 2: its end or start
  };
  for (const Case c : {Case{false, 29 * 2 + 1}, Case{true, 29 * 2}}) {
    Editor e(rtf);
    int polls = 0;
    e.target.escapeHeld = [&polls] { return ++polls == 1; };
    TFindOptions o;
    o.text = "xy";
    o.replacement = "Z";
    o.up = c.up;
    const TReplaceAllResult r = ReplaceAllHandler(e.target, o);
    EXPECT_EQ(r.count, 30);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(polls, 1);
    std::string expected;
    for (int i = 0; i < 45; ++i) expected += i < 30 ? "Z " : "xy ";
    EXPECT_EQ(Paragraphs(e.doc), Strings{expected});
    EXPECT_EQ(e.target.CursorPosition(), c.cursor);
    EXPECT_EQ(e.changes, 1);
  }
}

}  // namespace
}  // namespace quill
