#pragma once
// An editor with its formatting toolbar and ruler in one window, as the
// main window places them, counting the editor's change notifications.

#include <QApplication>
#include <QHBoxLayout>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <string>

#include "richtext/widget/format_toolbar.h"
#include "richtext/widget/rich_text.h"
#include "richtext/widget/ruler.h"
#include "control_test_support.h"

namespace quill::test {

// Three paragraphs of different formats: indents and a left and a centred
// stop; centred bold Courier in the second colour table entry; right-aligned
// italic underlined small text.
inline const char* kFormattedEntry =
    "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
    "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
    "\\pard\\fi-720\\li1440\\ri720\\tx2016\\tqc\\tx3744\\f0\\fs20 Plain first line\\par"
    "\\pard\\qc\\f1\\fs28\\b\\cf1 Bold centred\\par"
    "\\pard\\qr\\li288\\f0\\fs16\\b0\\i\\ul\\cf2 Italic right\\par}";

struct ChromeUnderTest {
  QWidget host;
  TFormatToolBar* bar;
  TRuler* ruler;
  TRichText* editor;
  int changes = 0;

  ChromeUnderTest() {
    auto* column = new QVBoxLayout(&host);
    column->setContentsMargins(0, 0, 0, 0);
    bar = new TFormatToolBar(&host);
    ruler = new TRuler(&host);
    column->addWidget(bar);
    column->addWidget(ruler);
    // The page starts a little in from the window's edge, as in the diary.
    auto* row = new QHBoxLayout;
    row->addSpacing(40);
    editor = new TRichText(&host);
    row->addWidget(editor);
    column->addLayout(row, 1);
    editor->OnChange = [this] { ++changes; };
    bar->SetEditor(editor);
    ruler->SetEditor(editor);
    host.resize(760, 360);
    host.show();
    editor->setFocus();
    QApplication::processEvents();
  }

  void Load(TempFolder& folder, const std::string& rtf) {
    const std::string path = folder.File("entry.rtf");
    WriteFile(path, rtf);
    editor->Clear();
    editor->LoadFromFile(path);
    QApplication::processEvents();
    changes = 0;
  }
  TParagraph* Paragraph(int n) { return NthParagraph(*editor, n); }
  QPoint PointOf(int paragraph, int offset) { return ViewportPointOf(*editor, paragraph, offset); }
  void ClickAt(int paragraph, int offset, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, modifiers, PointOf(paragraph, offset));
  }
  TCharAttr AttrAt(int paragraph, int offset) {
    const TDocPos pos = editor->RtfText().PositionAt(Paragraph(paragraph), offset);
    return pos.line->attribs[pos.index];
  }
};

}  // namespace quill::test
