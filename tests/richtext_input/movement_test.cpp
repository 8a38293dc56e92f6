// Cursor movement over display lines: characters, words, lines, pages, the
// document's ends, the zero-width skip and Shift selections.
#include <gtest/gtest.h>

#include "tests/richtext_input/input_test_support.h"

namespace quill {
namespace {

using namespace quill::testing;

struct MoveCase {
  const char* name;
  const char* doc;
  std::vector<TStroke> strokes;
  const char* after;
};

void RunCases(const std::vector<MoveCase>& cases) {
  for (const auto& c : cases) {
    TInputRig rig(c.doc);
    Press(*rig.input, c.strokes);
    EXPECT_EQ(Show(*rig.input, rig.doc), c.after) << c.name;
  }
}

TEST(Movement, Characters) {
  RunCases({
      {"left", "ab#c", {K(TKey::Left)}, "a#bc"},
      {"left at a line start goes to the end of the line before", "ab^#cd", {K(TKey::Left)}, "ab#^cd"},
      {"left at a paragraph start goes to the end of the paragraph before", "ab|#cd", {K(TKey::Left)}, "ab#|cd"},
      {"left at the document start does nothing", "#ab", {K(TKey::Left)}, "#ab"},
      {"right", "a#bc", {K(TKey::Right)}, "ab#c"},
      {"right at a line end goes to the next line's start, not past it", "ab#^cd", {K(TKey::Right)}, "ab^#cd"},
      {"right at a paragraph end", "ab#|cd", {K(TKey::Right)}, "ab|#cd"},
      {"right at the document end does nothing", "ab#", {K(TKey::Right)}, "ab#"},
      {"hidden text is skipped moving right", "a#b{xy}c", {K(TKey::Right)}, "ab{xy}#c"},
      {"hidden text is skipped moving left", "ab{xy}c#", {K(TKey::Left), K(TKey::Left)}, "a#b{xy}c"},
      {"moving left stops at a line start", "ab^{xy}c#", {K(TKey::Left), K(TKey::Left)}, "ab^#{xy}c"},
      {"moving right stops at a line end", "a#{xy}^b", {K(TKey::Right)}, "a{xy}#^b"},
  });
}

TEST(Movement, Words) {
  RunCases({
      {"ctrl+right from the middle of a word stops at its end", "he#llo world", {K(TKey::Right, kCtrl)},
       "hello# world"},
      {"ctrl+right skips the gap, then the word", "hello# world!", {K(TKey::Right, kCtrl)}, "hello world#!"},
      {"ctrl+right never passes the line end", "ab#, ;^cd", {K(TKey::Right, kCtrl)}, "ab, ;#^cd"},
      {"ctrl+right at a line end goes to the next line", "ab#^cd", {K(TKey::Right, kCtrl)}, "ab^#cd"},
      {"ctrl+left goes to the word's start", "hello wor#ld", {K(TKey::Left, kCtrl)}, "hello #world"},
      {"ctrl+left skips the gap first", "hello, #world", {K(TKey::Left, kCtrl)}, "#hello, world"},
      {"ctrl+left at a line start is a character left", "ab^#cd", {K(TKey::Left, kCtrl)}, "ab#^cd"},
      {"digits and accented letters are part of words", "x r\xE9sum\xE9" "42# y", {K(TKey::Left, kCtrl)},
       "x #r\xE9sum\xE9" "42 y"},
  });
}

TEST(Movement, LinesAndDocumentEnds) {
  RunCases({
      {"home", "ab^cd#e", {K(TKey::Home)}, "ab^#cde"},
      {"end of a wrapped line stays on it", "a#b^cd", {K(TKey::End)}, "ab#^cd"},
      {"ctrl+home", "ab|cd#", {K(TKey::Home, kCtrl)}, "#ab|cd"},
      {"ctrl+end", "#ab|c^de", {K(TKey::End, kCtrl)}, "ab|c^de#"},
      {"down keeps the x", "a#bc^def", {K(TKey::Down)}, "abc^d#ef"},
      {"down onto a shorter line ends at its end", "abc#d^ef|g", {K(TKey::Down)}, "abcd^ef#|g"},
      {"up into the previous paragraph's last line", "ab^cde|f#g", {K(TKey::Up)}, "ab^c#de|fg"},
      {"down at the last line does nothing", "ab^c#d", {K(TKey::Down)}, "ab^c#d"},
      {"up at the first line does nothing", "a#b^cd", {K(TKey::Up)}, "a#b^cd"},
      {"after End, up then down return to the line end", "abcd^e#f|ghijk",
       {K(TKey::End), K(TKey::Up), K(TKey::Down)}, "abcd^ef#|ghijk"},
      {"the x survives a short line", "abc#d^e|fghij", {K(TKey::Down), K(TKey::Down)}, "abcd^e|fgh#ij"},
  });
}

TEST(Movement, ShiftExtendsTheSelectionFromWhereItBegan) {
  RunCases({
      {"shift+right twice", "a#bcd", {K(TKey::Right, kShift), K(TKey::Right, kShift)}, "a[bc#]d"},
      {"back over the anchor", "ab#cd",
       {K(TKey::Right, kShift), K(TKey::Left, kShift), K(TKey::Left, kShift)}, "a[#b]cd"},
      {"across paragraphs", "a#b|cd", {K(TKey::Down, kShift)}, "a[b|c#]d"},
      {"a move without shift removes it", "a#bcd", {K(TKey::Right, kShift), K(TKey::Right)}, "abc#d"},
      {"shift+ctrl+end", "a#b|cd", {K(TKey::End, kShift | kCtrl)}, "a[b|cd#]"},
      {"escape removes it", "a#bcd", {K(TKey::Right, kShift), Ch(27)}, "ab#cd"},
  });
}

TEST(Movement, PagesScrollTheViewAndKeepTheCursorsHeightInIt) {
  // Ten lines of 20 pixels; the view shows four.
  TInputRig rig("l0^l1^#l2^l3^l4^l5^l6^l7^l8^l9");
  TRTFTextInput& in = *rig.input;
  in.viewHeight = 80;
  in.viewTop = 20;  // l1 at the view's top: the cursor on l2 is 20 pixels down
  TKeyResult r = in.KeyDown(TKey::PageDown, kNoModifier);
  EXPECT_TRUE(r.scrolled);
  EXPECT_EQ(in.viewTop, 100);
  EXPECT_EQ(Show(in, rig.doc), "l0^l1^l2^l3^l4^l5^#l6^l7^l8^l9");
  in.KeyDown(TKey::PageDown, kNoModifier);  // only 20 pixels left to scroll
  EXPECT_EQ(in.viewTop, 120);
  EXPECT_EQ(Show(in, rig.doc), "l0^l1^l2^l3^l4^l5^l6^#l7^l8^l9");
  in.KeyDown(TKey::PageUp, kShift);
  EXPECT_EQ(in.viewTop, 40);
  EXPECT_EQ(Show(in, rig.doc), "l0^l1^l2^[#l3^l4^l5^l6^]l7^l8^l9");
  // Ctrl+Page keys scroll without moving the cursor or the selection.
  in.KeyDown(TKey::PageUp, kCtrl);
  EXPECT_EQ(in.viewTop, 0);
  EXPECT_EQ(Show(in, rig.doc), "l0^l1^l2^[#l3^l4^l5^l6^]l7^l8^l9");
}

TEST(Movement, TypingAttributeFollowsTheCharacterBeforeTheCursor) {
  TInputRig rig("ab|cd#");
  TRTFText& doc = rig.doc;
  TLine* first = doc.firstParagraph->firstLine;
  first->attribs[1].style = csBold;
  first->attribs[1].marks = cmHidden | cmShadow | cmFootnote | cmObject;
  first->attribs[1].extra = 7;
  first->attribs[1].width = 10;  // shown hidden text: not skipped
  int told = 0;
  rig.input->onTypingAttrChanged = [&](const TCharAttr&) { ++told; };
  TRTFTextInput& in = *rig.input;
  in.KeyDown(TKey::Home, kNoModifier);  // start of the second paragraph: the first one's last character
  EXPECT_EQ(in.typingAttr.style, csBold);
  EXPECT_EQ(in.typingAttr.marks, cmShadow);  // character-only marks dropped, shadow kept
  EXPECT_EQ(in.typingAttr.extra, 0);
  EXPECT_EQ(told, 1);
  in.KeyDown(TKey::Left, kNoModifier);  // still after the bold b
  EXPECT_EQ(told, 1);
  in.KeyDown(TKey::Left, kNoModifier);
  EXPECT_EQ(in.typingAttr.style, 0);
  EXPECT_EQ(told, 2);
}

}  // namespace
}  // namespace quill
