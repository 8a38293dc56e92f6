#pragma once
// An editor control on screen (off screen in the tests) with a counter of
// its change notifications, and helpers to read its document and to find
// the pixel of a character for mouse events.

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <memory>
#include <string>

#include "richtext/widget/rich_text.h"
#include "richtext_widget/widget_test_support.h"

namespace quill::test {

// The paragraph numbered n from 0, or null past the last.
inline TParagraph* NthParagraph(TRichText& editor, int n) {
  TParagraph* p = editor.RtfText().firstParagraph;
  while (n-- > 0 && p) p = p->next;
  return p;
}

// The viewport point just inside the left half of a character (or, at the
// line's end, just after it), in the middle of its line.
inline QPoint ViewportPointOf(TRichText& editor, int paragraph, int offset) {
  TParagraph* p = NthParagraph(editor, paragraph);
  const TDocPos pos = editor.RtfText().PositionAt(p, offset);
  const int x = editor.Layout().CharX(p, pos.line, pos.index) + 1 - editor.horizontalScrollBar()->value();
  const int y = pos.line->top + pos.line->height / 2 - editor.verticalScrollBar()->value();
  return {x, y};
}

struct EditorUnderTest {
  std::unique_ptr<TRichText> editor = std::make_unique<TRichText>();
  int changes = 0;

  explicit EditorUnderTest(QSize size = QSize(400, 240)) {
    editor->OnChange = [this] { ++changes; };
    editor->resize(size);
    editor->show();
    editor->setFocus();
    QApplication::processEvents();
  }
  TRichText& operator*() { return *editor; }
  TRichText* operator->() { return editor.get(); }
  QWidget* View() { return editor->viewport(); }

  // Types text with real key events and forgets the notifications it caused.
  void Type(const QString& text) {
    QTest::keyClicks(editor.get(), text);
    changes = 0;
  }
  // The paragraphs' text, joined by '|'.
  std::string Text() {
    std::string s;
    bool first = true;
    for (const std::string& p : Paragraphs(editor->RtfText())) {
      if (!first) s += '|';
      s += p;
      first = false;
    }
    return s;
  }
  TParagraph* Paragraph(int n) { return NthParagraph(*editor, n); }
  int ParagraphIndex(const TParagraph* q) {
    int n = 0;
    for (TParagraph* p = editor->RtfText().firstParagraph; p; p = p->next, ++n)
      if (p == q) return n;
    return -1;
  }
  // Caret as "paragraph:offset".
  std::string Caret() {
    const TTextPos c = editor->Input().CursorPos();
    return std::to_string(ParagraphIndex(c.paragraph)) + ":" + std::to_string(c.position);
  }
  std::string Selected() {
    if (!editor->Input().HasSelection()) return {};
    const TTextPos a = editor->Input().SelectionStart(), b = editor->Input().SelectionEnd();
    return std::to_string(ParagraphIndex(a.paragraph)) + ":" + std::to_string(a.position) + "-" +
           std::to_string(ParagraphIndex(b.paragraph)) + ":" + std::to_string(b.position);
  }
  QPoint PointOf(int paragraph, int offset) { return ViewportPointOf(*editor, paragraph, offset); }
  int LineCount() {
    int n = 0;
    for (TParagraph* p = editor->RtfText().firstParagraph; p; p = p->next)
      for (TLine* l = p->firstLine; l; l = l->next) ++n;
    return n;
  }
};

}  // namespace quill::test
