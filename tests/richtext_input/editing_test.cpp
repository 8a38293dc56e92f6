// Character input: Backspace, Delete, page breaks, Enter, typing and
// overwriting, each key by key on display lines.
#include <gtest/gtest.h>

#include "tests/richtext_input/input_test_support.h"

namespace quill {
namespace {

using namespace quill::testing;

struct EditCase {
  const char* name;
  const char* doc;
  std::vector<TStroke> strokes;
  const char* after;
  int wrapAt = 0;
};

std::vector<TStroke> Then(std::vector<TStroke> a, const std::vector<TStroke>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void RunCases(const std::vector<EditCase>& cases) {
  for (const auto& c : cases) {
    TInputRig rig(c.doc, c.wrapAt);
    Press(*rig.input, c.strokes);
    EXPECT_EQ(Show(*rig.input, rig.doc), c.after) << c.name;
  }
}

const TStroke kBack = Ch(8);
const TStroke kSelectRight = K(TKey::Right, kShift);

TEST(Editing, Backspace) {
  RunCases({
      {"deletes the character before", "ab#c", {kBack}, "a#c"},
      {"at the document start nothing", "#ab", {kBack}, "#ab"},
      {"at a table cell's start nothing", "ab|!#cd", {kBack}, "ab|!#cd"},
      {"at a wrapped line's start takes the line before's last character", "abc^#de", {kBack}, "ab#^de"},
      {"at a paragraph start joins the paragraphs", "ab|#cd", {kBack}, "ab#^cd"},
      {"with a selection deletes just the selection", "a#bcd", {kSelectRight, kSelectRight, kBack}, "a#d"},
      {"selection at a line start is deleted, nothing else", "ab^#cd", {kSelectRight, kBack}, "ab^#d"},
  });
}

TEST(Editing, Delete) {
  const TStroke del = K(TKey::Delete);
  RunCases({
      {"deletes the character after", "a#bc", {del}, "a#c"},
      {"at a paragraph end joins the next", "ab#|cd", {del}, "ab#^cd"},
      {"at a wrapped line end deletes the next line's first character", "ab#^cd", {del}, "ab#^d"},
      {"at the document's end removes the page break", "ab|%cd#", {del}, "ab|cd#"},
      {"a table's last cell stays a cell", "ab|!%cd#", {del}, "ab|!cd#"},
      {"at the document's end without a break nothing", "ab#", {del}, "ab#"},
      {"a selection across paragraphs", "a#b|cd", {K(TKey::Down, kShift), del}, "a^#d"},
  });
}

TEST(Editing, PageBreakAndEnter) {
  const TStroke ctrlEnter = K(TKey::Enter, kCtrl);
  const TStroke enter = Ch(13);
  RunCases({
      {"ctrl+enter at a paragraph start sets a break", "ab|#cd", {ctrlEnter}, "ab|%#cd"},
      {"twice sets and removes it", "ab|#cd", {ctrlEnter, ctrlEnter}, "ab|#cd"},
      {"inside a paragraph it splits with a break", "ab#cd", {ctrlEnter}, "ab|%#cd"},
      {"enter splits the paragraph", "ab#cd", {enter}, "ab|#cd"},
      {"enter at a paragraph end", "ab#|cd", {enter}, "ab|#|cd"},
      {"the new paragraph has no page break", "%ab#cd", {enter}, "%ab|#cd"},
      {"at the document start an empty paragraph goes before the text", "#ab", {enter}, "|#ab"},
      {"in a table cell it breaks the line", "x|!a#b", {enter}, "x|!a\n#b"},
      {"in a cell at the document start it still splits", "!#ab", {enter}, "!|!#ab"},
      {"it replaces a selection", "a#bcd", {kSelectRight, kSelectRight, enter}, "a|#d"},
      {"splitting a wrapped line", "ab^c#d", {enter}, "ab^c|#d"},
  });
}

TEST(Editing, Typing) {
  const TStroke ins = K(TKey::Insert);
  RunCases({
      {"inserts at the cursor", "a#c", Typed("b"), "ab#c"},
      {"replaces a selection", "a#bcd", Then({kSelectRight, kSelectRight}, Typed("X")), "aX#d"},
      {"overwrite replaces", "ab#cd", Then({ins}, Typed("xy")), "abxy#"},
      {"overwrite at the line end appends", "ab#c", Then({ins}, Typed("xyz")), "abxyz#"},
      {"overwrite on a wrapped line's end appends to it", "ab#^cd", Then({ins}, Typed("x")), "abx#^cd"},
      {"tab key inserts a tab", "a#b", {K(TKey::Tab)}, "a\t#b"},
      {"tab and line feed characters are left to the keys", "a#b", {Ch(9), Ch(10)}, "a#b"},
      {"control characters are not text", "a#b", {Ch(1), Ch(2), Ch(0), Ch(26)}, "a#b"},
      {"typed text re-wraps, the cursor stays behind it", "abc#", Typed("de"), "abcd^e#", 4},
      {"typing onto a full line moves on with the text", "ab#", Typed("c"), "ab^c#", 2},
      {"deleting re-wraps back", "abcd^e#", {kBack, kBack}, "abc#", 4},
  });
}

TEST(Editing, HiddenTypingAttributeInsertsNothing) {
  TInputRig rig("a#b");
  TCharAttr hidden = rig.input->typingAttr;
  hidden.marks = cmHidden;
  ASSERT_TRUE(rig.input->SetCurrentAttributes(hidden));
  EXPECT_FALSE(rig.input->InputText("xyz"));
  EXPECT_EQ(Show(*rig.input, rig.doc), "a#b");
  EXPECT_FALSE(rig.input->CanUndo());  // nothing to undo
  // Plain text has no attributes to hide anything.
  rig.doc.SetMemoryFormat(fmPlainText);
  rig.input->SetCursor({rig.doc.firstParagraph, 1});
  rig.input->typingAttr = hidden;
  EXPECT_TRUE(rig.input->InputText("x"));
  EXPECT_EQ(Show(*rig.input, rig.doc), "ax#b");
}

TEST(Editing, ProtectedTextRefusesTyping) {
  struct Case {
    const char* name;
    const char* doc;
    bool inserting;
    const char* after;
  } cases[] = {
      {"inside a protected run", "aP#Pb", true, "aP#Pb"},
      {"at the run's edge", "aPP#b", true, "aPPx#b"},
      {"overwriting a protected character", "a#PPb", false, "a#PPb"},
      {"overwriting beside it", "aPP#b", false, "aPPx#"},
  };
  for (const auto& c : cases) {
    TInputRig rig(c.doc);
    rig.input->protectedMarks = cmInsertPoint;
    for (TLine* l = rig.doc.firstParagraph->firstLine; l; l = l->next)
      for (int i = 0; i < l->length; ++i)
        if (l->text[i] == 'P') l->attribs[i].marks = cmInsertPoint;
    rig.input->Inserting = c.inserting;
    rig.input->InputChar('x');
    EXPECT_EQ(Show(*rig.input, rig.doc), c.after) << c.name;
  }
}

TEST(Editing, SetCurrentAttributesFormatsTheSelection) {
  TInputRig rig("a#bcd");
  Press(*rig.input, {kSelectRight, kSelectRight});
  TCharAttr bold = rig.input->typingAttr;
  bold.style = csBold;
  ASSERT_TRUE(rig.input->SetCurrentAttributes(bold));
  const TLine* l = rig.doc.firstParagraph->firstLine;
  EXPECT_EQ(l->attribs[0].style, 0);
  EXPECT_EQ(l->attribs[1].style, csBold);
  EXPECT_EQ(l->attribs[2].style, csBold);
  EXPECT_EQ(l->attribs[3].style, 0);
  rig.input->readOnly = true;
  TCharAttr italic = bold;
  italic.style = csItalic;
  EXPECT_FALSE(rig.input->SetCurrentAttributes(italic));
  EXPECT_EQ(l->attribs[1].style, csBold);
}

// A new day's page is given the user's default font before anything is
// typed; moving the caret on the empty page (the window's resize goes to the
// start) must not lose it.
TEST(Editing, FormatSetOnAnEmptyLineSurvivesCaretMoves) {
  TInputRig rig("#");
  TCharAttr big = rig.input->typingAttr;
  big.size = 14;
  big.style = csBold;
  ASSERT_TRUE(rig.input->SetCurrentAttributes(big));
  Press(*rig.input, {K(TKey::Home), K(TKey::End)});
  EXPECT_EQ(rig.input->typingAttr.size, 14);
  EXPECT_EQ(rig.input->typingAttr.style, csBold);
  rig.input->InputChar('x');
  const TLine* l = rig.doc.firstParagraph->firstLine;
  ASSERT_EQ(l->length, 1);
  EXPECT_EQ(l->attribs[0].size, 14);
}

TEST(Editing, ReadOnlyChangesNothing) {
  TInputRig rig("ab#|cd");
  rig.input->readOnly = true;
  for (uint8_t ch : {uint8_t('x'), uint8_t(8), uint8_t(127), uint8_t(12), uint8_t(13)})
    EXPECT_FALSE(rig.input->InputChar(ch)) << int(ch);
  EXPECT_EQ(Show(*rig.input, rig.doc), "ab#|cd");
}

TEST(Editing, SaveForUndoRunsBeforeEnterAndOnParagraphChangesOrSelections) {
  TInputRig rig("ab#|cd");
  int calls = 0;
  rig.input->SaveForUNDO = [&] { ++calls; };
  rig.input->InputText("xy");  // first input in this paragraph, then the same one
  EXPECT_EQ(calls, 1);
  rig.input->InputChar(8);
  EXPECT_EQ(calls, 1);
  rig.input->InputChar(13);  // Enter always
  EXPECT_EQ(calls, 2);
  rig.input->InputChar('z');  // where Enter left the cursor
  EXPECT_EQ(calls, 2);
  rig.input->KeyDown(TKey::Up, kNoModifier);
  rig.input->InputChar('w');  // moved to another paragraph
  EXPECT_EQ(calls, 3);
  rig.input->KeyDown(TKey::Left, kShift);
  rig.input->InputChar('q');  // over a selection
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(Show(*rig.input, rig.doc), "aq#bx|z|cd");
}

TEST(Editing, ADocumentReloadedElsewhereResetsTheCursor) {
  TInputRig rig("abc|de#f");
  rig.input->InputText("x");
  ASSERT_TRUE(rig.input->CanUndo());
  BuildDocument(rig.doc, "new text");
  EXPECT_EQ(Show(*rig.input, rig.doc), "#new text");
  EXPECT_FALSE(rig.input->CanUndo());
  rig.input->InputText("A ");
  EXPECT_EQ(Show(*rig.input, rig.doc), "A #new text");
}

}  // namespace
}  // namespace quill
