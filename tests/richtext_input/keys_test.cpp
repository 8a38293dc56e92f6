// Key handling: which keys change the text, raise the change notification,
// reach the clipboard; the application's key hook; undo and redo.
#include <gtest/gtest.h>

#include "tests/richtext_input/input_test_support.h"

namespace quill {
namespace {

using namespace quill::testing;

TEST(Keys, ResultsAndChangeNotification) {
  struct Case {
    const char* name;
    const char* doc;
    TStroke stroke;
    bool readOnly;
    bool consumed, changed, notify;
    const char* after;
  } cases[] = {
      {"typed character", "a#", Ch('b'), false, true, true, true, "ab#"},
      {"typed character, read only", "a#", Ch('b'), true, true, false, false, "a#"},
      {"backspace", "a#", Ch(8), false, true, true, true, "#"},
      {"enter key leaves Enter to the character", "a#", K(TKey::Enter), false, false, false, false, "a#"},
      {"enter character", "a#", Ch(13), false, true, true, true, "a|#"},
      {"delete", "#a", K(TKey::Delete), false, true, true, true, "#"},
      {"delete with nothing to delete still notifies", "a#", K(TKey::Delete), false, true, false, true, "a#"},
      {"delete, read only", "#a", K(TKey::Delete), true, true, false, false, "#a"},
      {"tab inserts and reports the change", "a#", K(TKey::Tab), false, true, true, true, "a\t#"},
      {"ctrl+enter page break reports the change", "a#b", K(TKey::Enter, kCtrl), false, true, true, true,
       "a|%#b"},
      {"ctrl+c notifies without a change", "a#", Ch(3), false, true, false, true, "a#"},
      {"movement", "a#b", K(TKey::Left), false, true, false, false, "#ab"},
      {"ctrl+tab without a handler does nothing", "a#", K(TKey::Tab, kCtrl), false, true, false, false, "a#"},
      {"a letter key is left to the character", "a#", K(TKey::Other), false, false, false, false, "a#"},
  };
  for (const auto& c : cases) {
    TInputRig rig(c.doc);
    rig.input->readOnly = c.readOnly;
    const TKeyResult r = Press(*rig.input, {c.stroke});
    EXPECT_EQ(r.consumed, c.consumed) << c.name;
    EXPECT_EQ(r.changed, c.changed) << c.name;
    EXPECT_EQ(r.notify, c.notify) << c.name;
    EXPECT_EQ(Show(*rig.input, rig.doc), c.after) << c.name;
  }
}

TEST(Keys, WholeViewRepaintWhenLinesMoveOrBreak) {
  struct Case {
    const char* name;
    const char* doc;
    int wrapAt;
    std::vector<TStroke> strokes;
    bool repaintAll;
  } cases[] = {
      {"a character within its line", "ab#", 0, {Ch('c')}, false},
      {"a character that wraps onto a new line", "ab#", 2, {Ch('c')}, true},
      {"a line break", "!ab#", 0, {Ch(13)}, true},
      {"enter", "ab#", 0, {Ch(13)}, true},
      {"backspace joining paragraphs", "a|#b", 0, {Ch(8)}, true},
      {"a plain move", "ab#", 0, {K(TKey::Left)}, false},
      {"a move that ends a selection", "ab#", 0, {K(TKey::Left, kShift), K(TKey::Left)}, true},
      {"select all", "ab#", 0, {K(TKey::A, kCtrl)}, true},
  };
  for (const auto& c : cases) {
    TInputRig rig(c.doc, c.wrapAt);
    EXPECT_EQ(Press(*rig.input, c.strokes).repaintAll, c.repaintAll) << c.name;
  }
  TInputRig rig("a|b#c");
  rig.input->KeyDown(TKey::A, kCtrl);
  EXPECT_EQ(Show(*rig.input, rig.doc), "[a|bc#]");
}

TEST(Keys, TabEventsAndTheApplicationsKeyHook) {
  TInputRig rig("a#");
  int ctrlTabs = 0, shiftTabs = 0;
  rig.input->CtrlTabPressed = [&] { ++ctrlTabs; };
  rig.input->ShiftTabPressed = [&] { ++shiftTabs; };
  rig.input->KeyDown(TKey::Tab, kCtrl);
  rig.input->KeyDown(TKey::Tab, kShift);
  EXPECT_EQ(ctrlTabs, 1);
  EXPECT_EQ(shiftTabs, 1);
  EXPECT_EQ(Show(*rig.input, rig.doc), "a#");
  // The diary takes Ctrl+Page keys for its own day navigation.
  rig.input->viewHeight = 20;
  rig.input->OnKeyDown = [](TKey& key, TModifiers m) {
    if ((m & kCtrl) && (key == TKey::PageUp || key == TKey::PageDown)) key = TKey::None;
  };
  EXPECT_TRUE(rig.input->KeyDown(TKey::PageDown, kCtrl).consumed);
  rig.input->KeyDown(TKey::Home, kNoModifier);
  EXPECT_EQ(Show(*rig.input, rig.doc), "#a");
  // Without WantTabs the Tab key is not taken.
  rig.input->wantTabs = false;
  EXPECT_FALSE(rig.input->KeyDown(TKey::Tab, kNoModifier).consumed);
}

TEST(Keys, InsertTogglesOverwrite) {
  TInputRig rig("#ab");
  rig.input->KeyDown(TKey::Insert, kNoModifier);
  EXPECT_FALSE(rig.input->Inserting);
  rig.input->KeyPress('X');
  rig.input->KeyDown(TKey::Insert, kNoModifier);
  EXPECT_TRUE(rig.input->Inserting);
  rig.input->KeyPress('Y');
  EXPECT_EQ(Show(*rig.input, rig.doc), "XY#b");
}

TEST(Clipboard, CopyCutAndPasteThroughRtfAndPlainText) {
  TInputRig rig("a#bc|de");
  TRTFTextInput& in = *rig.input;
  // Nothing selected: nothing copied.
  in.KeyDown(TKey::Insert, kCtrl);
  EXPECT_EQ(rig.clipboard.puts, 0);
  in.KeyDown(TKey::Right, kShift);
  in.KeyDown(TKey::Right, kShift);
  in.KeyDown(TKey::Insert, kCtrl);
  EXPECT_EQ(rig.clipboard.plain, "bc");
  EXPECT_EQ(rig.clipboard.rtf.rfind("{\\rtf1", 0), 0u);
  // Cut takes the selection out; paste puts it back at the cursor.
  TKeyResult r = in.KeyDown(TKey::Delete, kShift);
  EXPECT_TRUE(r.changed);
  EXPECT_TRUE(r.notify);
  EXPECT_EQ(Show(in, rig.doc), "a#|de");
  in.KeyDown(TKey::Down, kNoModifier);
  in.KeyDown(TKey::End, kNoModifier);
  r = in.KeyPress(22);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(Show(in, rig.doc), "a|de^bc#");

  // A copy over a paragraph end pastes as two paragraphs.
  in.KeyDown(TKey::Home, kCtrl);
  in.KeyDown(TKey::Right, kShift);
  in.KeyDown(TKey::Right, kShift);
  in.KeyDown(TKey::Right, kShift);
  in.KeyPress(3);
  EXPECT_EQ(rig.clipboard.plain, "a\r\nd");
  in.KeyDown(TKey::End, kCtrl);
  in.KeyDown(TKey::Insert, kShift);
  EXPECT_EQ(Show(in, rig.doc), "a|de^bc^a|d#");

  // Plain text alone is pasted too; a read-only editor takes nothing.
  rig.clipboard.rtf.clear();
  rig.clipboard.plain = "x";
  in.KeyPress(22);
  EXPECT_EQ(Show(in, rig.doc), "a|de^bc^a|d^x#");
  in.readOnly = true;
  EXPECT_FALSE(in.KeyPress(22).changed);
  EXPECT_FALSE(in.Cut());
  EXPECT_EQ(Show(in, rig.doc), "a|de^bc^a|d^x#");
}

TEST(Clipboard, PasteIntoAnEmptyDocument) {
  TInputRig rig("#");
  rig.clipboard.plain = "one\r\ntwo";
  EXPECT_TRUE(rig.input->Paste());
  EXPECT_EQ(Show(*rig.input, rig.doc), "one|two#");
}

TEST(Clipboard, CutWithoutAClipboardKeepsTheText) {
  TRTFText doc;
  BuildDocument(doc, "abc");
  TRTFTextInput in(doc);
  in.SetSelection({doc.firstParagraph, 0}, {doc.firstParagraph, 2});
  EXPECT_FALSE(in.Cut());
  EXPECT_EQ(doc.firstParagraph->firstLine->Text(), "abc");
}

TEST(Undo, StepsGroupByWordAndByKind) {
  TInputRig rig("#");
  TRTFTextInput& in = *rig.input;
  Press(in, Typed("hello world"));
  EXPECT_TRUE(in.KeyDown(TKey::Z, kCtrl).changed);
  EXPECT_EQ(Show(in, rig.doc), "hello #");
  in.KeyDown(TKey::Z, kCtrl);
  EXPECT_EQ(Show(in, rig.doc), "#");
  EXPECT_FALSE(in.KeyDown(TKey::Z, kCtrl).changed);  // nothing more
  in.KeyDown(TKey::Y, kCtrl);
  EXPECT_EQ(Show(in, rig.doc), "hello #");
  in.KeyDown(TKey::Z, kCtrl | kShift);
  EXPECT_EQ(Show(in, rig.doc), "hello world#");
  EXPECT_FALSE(in.CanRedo());

  // Backspaces in a row are one step; Enter and page breaks their own.
  Press(in, {Ch(8), Ch(8), Ch(8), Ch(13), K(TKey::Enter, kCtrl)});
  EXPECT_EQ(Show(in, rig.doc), "hello wo|%#");
  in.Undo();
  EXPECT_EQ(Show(in, rig.doc), "hello wo|#");
  in.Undo();
  EXPECT_EQ(Show(in, rig.doc), "hello wo#");
  in.Undo();
  EXPECT_EQ(Show(in, rig.doc), "hello world#");
  // A new edit drops what could be redone.
  in.InputChar('!');
  EXPECT_FALSE(in.CanRedo());
}

TEST(Undo, CoversFormattingPasteAndDeletingAcrossParagraphs) {
  TInputRig rig("a#b|cd");
  TRTFTextInput& in = *rig.input;
  in.KeyDown(TKey::Down, kShift);
  TCharAttr bold = in.typingAttr;
  bold.style = csBold;
  in.SetCurrentAttributes(bold);
  EXPECT_EQ(rig.doc.firstParagraph->firstLine->attribs[1].style, csBold);
  in.KeyDown(TKey::Delete, kNoModifier);
  EXPECT_EQ(Show(in, rig.doc), "a^#d");
  rig.clipboard.plain = "X\r\nY";
  in.Paste();
  EXPECT_EQ(Show(in, rig.doc), "a^X|Y#^d");
  in.Undo();
  EXPECT_EQ(Show(in, rig.doc), "a#d");  // restored text comes back as one storage line
  in.Undo();
  EXPECT_EQ(Show(in, rig.doc), "ab|c#d");
  EXPECT_EQ(rig.doc.firstParagraph->firstLine->attribs[1].style, csBold);
  in.Undo();
  EXPECT_EQ(rig.doc.firstParagraph->firstLine->attribs[1].style, 0);
}

// An edit made outside the input layer (a replacement by the application)
// that joins paragraphs is one undo step like any other, and the steps
// before it stay.
TEST(Undo, ExternalEditThatJoinsParagraphsKeepsTheHistory) {
  TInputRig rig("#");
  TRTFTextInput& in = *rig.input;
  Press(in, Typed("ab"));
  Press(in, {Ch(13)});
  Press(in, Typed("cd"));
  EXPECT_EQ(Show(in, rig.doc), "ab|cd#");
  in.SetSelection({rig.doc.firstParagraph, 1}, {rig.doc.firstParagraph->next, 1});
  in.BeforeExternalEdit();
  const TTextPos from = rig.doc.DeleteRange(in.SelectionStart(), in.SelectionEnd());
  const TTextPos after = rig.doc.InsertText(from, "X", nullptr);
  in.SetCursor(after);
  EXPECT_EQ(Show(in, rig.doc), "aX^#d");  // not laid out again yet
  ASSERT_TRUE(in.Undo());
  EXPECT_EQ(Show(in, rig.doc), "ab|c#d");
  ASSERT_TRUE(in.Undo());
  EXPECT_EQ(Show(in, rig.doc), "ab|#");
}

}  // namespace
}  // namespace quill
