// Keys reaching the editor control as real key events: what they do to the
// text, and which of them raise the change notification the diary's Save
// button depends on.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QVBoxLayout>

#include "control_test_support.h"

namespace quill {
namespace {

using test::EditorUnderTest;

struct Stroke {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

// Starting from "abc|def" with the caret after "ab" ("b" selected when
// asked, or the caret at the very end), one key and its effect.
TEST(EditorKeys, ChangeNotificationFollowsTheKey) {
  struct Case {
    const char* name;
    bool selectB;
    Stroke stroke;
    bool atEnd;
    bool notifies;
    const char* text;
  } cases[] = {
      {"typed character", false, {Qt::Key_X}, false, true, "abxc|def"},
      {"backspace", false, {Qt::Key_Backspace}, false, true, "ac|def"},
      {"enter", false, {Qt::Key_Return}, false, true, "ab|c|def"},
      {"delete", false, {Qt::Key_Delete}, false, true, "ab|def"},
      {"delete at the very end deletes nothing, yet notifies", false, {Qt::Key_Delete}, true, true, "abc|def"},
      {"ctrl+enter page break", false, {Qt::Key_Return, Qt::ControlModifier}, false, true, "ab|c|def"},
      {"tab inserts, the application notifies", false, {Qt::Key_Tab}, false, false, "ab\tc|def"},
      {"shift+delete cuts without notifying", true, {Qt::Key_Delete, Qt::ShiftModifier}, false, false, "ac|def"},
      {"ctrl+delete cuts without notifying", true, {Qt::Key_Delete, Qt::ControlModifier}, false, false, "ac|def"},
      {"ctrl+insert copies without notifying", true, {Qt::Key_Insert, Qt::ControlModifier}, false, false, "abc|def"},
      {"ctrl+c copies and notifies", true, {Qt::Key_C, Qt::ControlModifier}, false, true, "abc|def"},
      {"ctrl+x cuts and notifies", true, {Qt::Key_X, Qt::ControlModifier}, false, true, "ac|def"},
      {"caret movement", false, {Qt::Key_Right}, false, false, "abc|def"},
      {"shift selection", false, {Qt::Key_End, Qt::ShiftModifier}, false, false, "abc|def"},
      {"escape", true, {Qt::Key_Escape}, false, false, "abc|def"},
      {"insert toggles overwrite", false, {Qt::Key_Insert}, false, false, "abc|def"},
      {"ctrl+letter that is no command", false, {Qt::Key_B, Qt::ControlModifier}, false, false, "abc|def"},
  };
  for (const Case& c : cases) {
    EditorUnderTest e;
    e.Type("abc");
    QTest::keyClick(e.editor.get(), Qt::Key_Return);
    e.Type("def");
    e->Input().SetCursor(c.atEnd ? TTextPos{e.Paragraph(1), 3} : TTextPos{e.Paragraph(0), 2});
    if (c.selectB) e->Input().SetSelection({e.Paragraph(0), 1}, {e.Paragraph(0), 2});
    QTest::keyClick(e.editor.get(), c.stroke.key, c.stroke.modifiers);
    EXPECT_EQ(e.changes > 0, c.notifies) << c.name;
    EXPECT_EQ(e.Text(), c.text) << c.name;
  }
}

TEST(EditorKeys, ShiftInsertPasteNotifiesOnlyWhenItPasted) {
  EditorUnderTest e;
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(e.editor.get(), Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(e.changes, 0);
  QGuiApplication::clipboard()->setText("pasted");
  QTest::keyClick(e.editor.get(), Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(e.Text(), "pasted");
  EXPECT_EQ(e.changes, 1);
  QGuiApplication::clipboard()->clear();
}

TEST(EditorKeys, ReadOnlyEditorTakesNoTextAndNotifiesNothing) {
  EditorUnderTest e;
  e.Type("one two");
  e->SetReadOnly(true);
  ASSERT_FALSE(e->CanEdit());
  const Stroke strokes[] = {{Qt::Key_A},          {Qt::Key_Backspace}, {Qt::Key_Delete},
                            {Qt::Key_Return},     {Qt::Key_Tab},       {Qt::Key_Return, Qt::ControlModifier},
                            {Qt::Key_Z, Qt::ControlModifier},          {Qt::Key_Delete, Qt::ShiftModifier}};
  e->Input().SetSelection({e.Paragraph(0), 0}, {e.Paragraph(0), 3});
  for (const Stroke& s : strokes) QTest::keyClick(e.editor.get(), s.key, s.modifiers);
  e->Input().SetCursor({e.Paragraph(0), 3});
  for (const Stroke& s : strokes) QTest::keyClick(e.editor.get(), s.key, s.modifiers);
  e->InsertText("x");
  e->InsertPageBreak();
  TCharAttr bold = e->CurrentAttributes();
  bold.style |= csBold;
  e->SetCurrentAttributes(bold);
  e->SetParagraphIndents(720, 720, 720);
  e->SetParagraphSpacing(120, 0, 120);
  EXPECT_EQ(e.Text(), "one two");
  EXPECT_EQ(e.changes, 0);
  EXPECT_EQ(e.Paragraph(0)->leftIndent, 0);
  EXPECT_FALSE(e.Paragraph(0)->firstLine->attribs[0].style & csBold);
  // Movement still works.
  QTest::keyClick(e.editor.get(), Qt::Key_Home);
  EXPECT_EQ(e.Caret(), "0:0");
}

TEST(EditorKeys, UndoAndRedoThroughCtrlZCtrlYAndCtrlShiftZ) {
  EditorUnderTest e;
  e.Type("first");
  QTest::keyClick(e.editor.get(), Qt::Key_Return);
  e.Type("second word");
  ASSERT_EQ(e.Text(), "first|second word");
  // The last word goes as one step; the space before it belongs to the word
  // before.
  QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(e.Text(), "first|second ");
  EXPECT_EQ(e.changes, 1);  // the text changed again: the edit stays pending
  QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(e.Text(), "first");
  QTest::keyClick(e.editor.get(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(e.Text(), "first|");
  QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(e.Text(), "first|second ");
  // Typing after an undo still goes where the caret shows.
  e.Type("!");
  EXPECT_EQ(e.Text(), "first|second !");
}

TEST(EditorKeys, TabStaysInTheEditorAndTheKeyHookRunsFirst) {
  QWidget form;
  auto* column = new QVBoxLayout(&form);
  auto* editor = new TRichText(&form);
  auto* next = new QLineEdit(&form);
  column->addWidget(editor);
  column->addWidget(next);
  form.resize(300, 200);
  form.show();
  QApplication::processEvents();
  editor->setFocus();
  std::vector<int> seen;
  editor->OnKeyDown = [&](int& key, Qt::KeyboardModifiers m) {
    // Modifier keys arrive as keys of their own.
    if (key != Qt::Key_Shift && key != Qt::Key_Control) seen.push_back(key);
    // The diary keeps Ctrl+Page Down for itself.
    if (key == Qt::Key_PageDown && m == Qt::ControlModifier) key = 0;
    // A hook may also swallow an ordinary key.
    if (key == Qt::Key_Q) key = 0;
  };
  QTest::keyClick(editor, Qt::Key_A);
  QTest::keyClick(editor, Qt::Key_Tab);
  QTest::keyClick(editor, Qt::Key_Q);
  QTest::keyClick(editor, Qt::Key_B);
  QTest::keyClick(editor, Qt::Key_Tab, Qt::ShiftModifier);
  QTest::keyClick(editor, Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(test::Paragraphs(editor->RtfText()), std::vector<std::string>{"a\tb"});
  EXPECT_TRUE(editor->hasFocus() || !QApplication::focusWidget());
  EXPECT_NE(QApplication::focusWidget(), next);
  EXPECT_EQ(seen, (std::vector<int>{Qt::Key_A, Qt::Key_Tab, Qt::Key_Q, Qt::Key_B, Qt::Key_Tab, Qt::Key_PageDown}));
  // Without WantTabs Tab moves on to the next control.
  editor->SetWantTabs(false);
  QTest::keyClick(editor, Qt::Key_Tab);
  EXPECT_EQ(test::Paragraphs(editor->RtfText()), std::vector<std::string>{"a\tb"});
}

TEST(EditorKeys, CharactersBeyondAsciiAndInputMethodTextBecomeWindows1252) {
  EditorUnderTest e;
  QKeyEvent eacute(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("\xC3\xA9"));
  QApplication::sendEvent(e.editor.get(), &eacute);
  QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("\xE2\x82\xAC"));
  QApplication::sendEvent(e.editor.get(), &euro);
  // A dead key and its letter arrive as one committed character.
  QInputMethodEvent compose;
  compose.setCommitString(QString::fromUtf8("\xC3\xBC"));  // u with diaeresis
  QApplication::sendEvent(e.editor.get(), &compose);
  EXPECT_GT(e.changes, 0);
  // A character the code page lacks is typed as a question mark.
  QInputMethodEvent other;
  other.setCommitString(QString::fromUtf8("\xD0\x96"));
  QApplication::sendEvent(e.editor.get(), &other);
  EXPECT_EQ(e.Text(), "\xE9\x80\xFC?");
  // Alt+letter is a menu key, not text.
  QTest::keyClick(e.editor.get(), Qt::Key_F, Qt::AltModifier);
  EXPECT_EQ(e.Text(), "\xE9\x80\xFC?");
}

TEST(EditorKeys, OverwriteModeReplacesAndAppendsAtTheLineEnd) {
  EditorUnderTest e;
  e.Type("abc");
  e->SetInserting(false);
  QTest::keyClick(e.editor.get(), Qt::Key_Left);
  QTest::keyClick(e.editor.get(), Qt::Key_Left);
  e.Type("XYZ");
  EXPECT_EQ(e.Text(), "aXYZ");
  QTest::keyClick(e.editor.get(), Qt::Key_Insert);
  EXPECT_TRUE(e->Inserting());
}

}  // namespace
}  // namespace quill
