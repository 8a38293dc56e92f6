// The operations the application calls on the editor control: clearing,
// loading, saving, inserting text and page breaks, formats, paragraph
// settings, finding text and word wrap, each with its notification rule.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include "control_test_support.h"

namespace quill {
namespace {

using test::EditorUnderTest;
using test::TempFolder;

TEST(EditorOperations, ClearGivesAnEmptyPageInTheControlsFont) {
  EditorUnderTest e;
  EXPECT_TRUE(e->IsTextEmpty());
  EXPECT_EQ(e->Font().name, "Arial");
  EXPECT_EQ(e->Font().size, 8);
  e.Type("words");
  TEditorFont font;
  font.name = "Courier New";
  font.size = 12;
  font.style = csBold | csItalic | csStrikeOut;
  e->SetFont(font);
  e->Clear();
  EXPECT_TRUE(e->IsTextEmpty());
  EXPECT_EQ(e.changes, 0);
  const TCharAttr typing = e->CurrentAttributes();
  EXPECT_EQ(e->RtfText().header.FontName(typing.font), "Courier New");
  EXPECT_EQ(typing.size, 12);
  EXPECT_EQ(typing.style, csBold | csItalic);  // only the three style bits
  // The first typed character takes that format.
  e.Type("x");
  EXPECT_EQ(e.Paragraph(0)->firstLine->attribs[0].size, 12);
}

TEST(EditorOperations, InsertTextAndPageBreakMakeThePageNonEmptyAndNotify) {
  EditorUnderTest e;
  e->InsertText("7");
  EXPECT_FALSE(e->IsTextEmpty());
  EXPECT_EQ(e.changes, 1);
  EXPECT_EQ(e.Caret(), "0:1");

  e->Clear();
  e.changes = 0;
  e->InsertPageBreak();
  EXPECT_FALSE(e->IsTextEmpty());
  EXPECT_EQ(e.Text(), "|");
  EXPECT_EQ(e.changes, 1);
  EXPECT_TRUE(e.Paragraph(1)->flags & pfPageBreak);
  EXPECT_EQ(e.Caret(), "1:0");
}

TEST(EditorOperations, PageBreakGoesAfterTheCaretsParagraphInTheTypingFormat) {
  EditorUnderTest e;
  e.Type("one two");
  QTest::keyClick(e.editor.get(), Qt::Key_Return);
  e.Type("three");
  e->Input().SetCursor({e.Paragraph(0), 3});
  TCharAttr big = e->CurrentAttributes();
  big.size = 20;
  e->SetCurrentAttributes(big);
  e->InsertPageBreak();
  EXPECT_EQ(e.Text(), "one two||three");
  EXPECT_FALSE(e.Paragraph(0)->flags & pfPageBreak);
  EXPECT_TRUE(e.Paragraph(1)->flags & pfPageBreak);
  EXPECT_FALSE(e.Paragraph(2)->flags & pfPageBreak);
  EXPECT_EQ(e.Paragraph(1)->firstLine->attribs[0].size, 20);
  EXPECT_EQ(e.Caret(), "1:0");
  e.Type("x");
  EXPECT_EQ(e.Text(), "one two|x|three");
  EXPECT_EQ(e.Paragraph(1)->firstLine->attribs[0].size, 20);
  // The page break is one undo step.
  QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(e.Text(), "one two|three");
}

TEST(EditorOperations, ParagraphIndentsAndSpacingApplyToTheSelectedParagraphsOrTheCaretsOne) {
  EditorUnderTest e;
  e.Type("alpha");
  for (const char* t : {"beta", "gamma", "delta"}) {
    QTest::keyClick(e.editor.get(), Qt::Key_Return);
    e.Type(t);
  }
  // A selection from the middle of the first to the middle of the third.
  e->Input().SetSelection({e.Paragraph(0), 2}, {e.Paragraph(2), 2});
  e->SetParagraphIndents(360, 720, 1440);
  EXPECT_EQ(e.changes, 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(e.Paragraph(i)->firstIndent, 360) << i;
    EXPECT_EQ(e.Paragraph(i)->leftIndent, 720) << i;
    EXPECT_EQ(e.Paragraph(i)->rightIndent, 1440) << i;
  }
  EXPECT_EQ(e.Paragraph(3)->leftIndent, 0);
  // The indent moves the text: the first character now starts further right.
  EXPECT_GT(e->Layout().LineStartX(e.Paragraph(0), e.Paragraph(0)->firstLine),
            e->Layout().LineStartX(e.Paragraph(3), e.Paragraph(3)->firstLine));

  // No selection: only the caret's paragraph.
  e->Input().SetCursor({e.Paragraph(3), 1});
  e->SetParagraphIndents(0, 1440, 0);
  EXPECT_EQ(e.Paragraph(3)->leftIndent, 1440);
  EXPECT_EQ(e.Paragraph(2)->leftIndent, 720);
  e->SetParagraphSpacing(240, 0, 480);
  EXPECT_EQ(e.Paragraph(3)->spaceBefore, 240);
  EXPECT_EQ(e.Paragraph(3)->spaceAfter, 480);
  EXPECT_EQ(e.Paragraph(2)->spaceBefore, 0);
  EXPECT_EQ(e.changes, 3);
  // Spacing makes the line taller.
  EXPECT_GT(e.Paragraph(3)->firstLine->height, e.Paragraph(2)->firstLine->height + 40);
}

TEST(EditorOperations, CurrentAttributesApplyToTheSelectionAndToTyping) {
  EditorUnderTest e;
  e.Type("plain bold");
  e->Input().SetSelection({e.Paragraph(0), 6}, {e.Paragraph(0), 10});
  TCharAttr a = e->CurrentAttributes();
  a.style |= csBold;
  a.font = uint8_t(e->InternFont("Times New Roman"));
  e->SetCurrentAttributes(a);
  EXPECT_EQ(e.changes, 1);
  const TLine* line = e.Paragraph(0)->firstLine;
  EXPECT_FALSE(line->attribs[5].style & csBold);
  EXPECT_TRUE(line->attribs[6].style & csBold);
  EXPECT_TRUE(line->attribs[9].style & csBold);
  EXPECT_EQ(e->RtfText().header.FontName(line->attribs[9].font), "Times New Roman");
  // Bold letters are wider: the layout measured them again.
  EXPECT_GT(line->attribs[6].width, 0);
  // With no selection the format waits for the next typed character.
  QTest::keyClick(e.editor.get(), Qt::Key_End);
  TCharAttr italic = e->CurrentAttributes();
  italic.style = csItalic;
  e->SetCurrentAttributes(italic);
  EXPECT_EQ(e.changes, 2);
  e.Type("!");
  EXPECT_EQ(e.Paragraph(0)->firstLine->attribs[10].style, csItalic);
  EXPECT_EQ(e->PaletteColor(0), e->RtfText().header.colorTable[0]);
}

TEST(EditorOperations, LoadingAndSavingRaiseNoNotification) {
  TempFolder folder;
  EditorUnderTest e;
  // An empty file leaves the cleared page empty.
  const std::string empty = folder.File("Eraseme.rtf");
  test::WriteFile(empty, "");
  e->Clear();
  e->LoadFromFile(empty);
  EXPECT_TRUE(e->IsTextEmpty());
  EXPECT_EQ(e->FileName(), empty);
  // A stored entry loads in, with the caret at its start.
  const std::string entry = folder.File("entry.rtf");
  test::WriteFile(entry, "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Dear diary,\\par {\\b today}\\par}");
  e->Clear();
  e->LoadFromFile(entry);
  EXPECT_EQ(e.Text().rfind("Dear diary,|today", 0), 0u);
  EXPECT_EQ(e.Caret(), "0:0");
  EXPECT_GT(e->Layout().DocumentHeight(), 0);
  // Saved and loaded again into a cleared editor gives the same text.
  e.Type("Hi ");
  const std::string saved = folder.File("saved.RtF");
  e->SaveToFile(saved);
  EXPECT_EQ(test::ReadFile(saved).rfind("{\\rtf1\\ansi", 0), 0u);
  EditorUnderTest other;
  other->LoadFromFile(saved);
  EXPECT_EQ(other.Text(), e.Text());
  EXPECT_EQ(other.changes, 0);
  // A missing file is reported and changes nothing.
  const std::string before = e.Text();
  try {
    e->LoadFromFile(folder.File("missing.rtf"));
    ADD_FAILURE() << "no error for a missing file";
  } catch (const TFileOperationError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open file " + folder.File("missing.rtf"));
  }
  EXPECT_EQ(e.Text(), before);
  EXPECT_EQ(e.changes, 0);
  try {
    e->SaveToFile(folder.File("no such folder/x.rtf"));
    ADD_FAILURE() << "no error for a file that cannot be created";
  } catch (const TFileOperationError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot create file " + folder.File("no such folder/x.rtf"));
  }
}

TEST(EditorOperations, LoadIntoANonEmptyPageGoesInAtTheCaret) {
  TempFolder folder;
  const std::string part = folder.File("part.rtf");
  test::WriteFile(part, "{\\rtf1 middle}");
  EditorUnderTest e;
  e.Type("start end");
  e->Input().SetCursor({e.Paragraph(0), 6});
  e->LoadFromFile(part);
  EXPECT_EQ(e.Text(), "start middleend");
  EXPECT_EQ(e.Caret(), "0:12");
  EXPECT_EQ(e.changes, 0);
}

TEST(EditorOperations, FindTextSelectsTheMatchFromEitherEnd) {
  EditorUnderTest e;
  e.Type("one Two");
  QTest::keyClick(e.editor.get(), Qt::Key_Return);
  e.Type("two three");
  EXPECT_TRUE(e->FindText("two", false));
  EXPECT_EQ(e.Selected(), "0:4-0:7");
  EXPECT_EQ(e.Caret(), "0:7");
  EXPECT_TRUE(e->FindText("two", true));
  EXPECT_EQ(e.Selected(), "1:0-1:3");
  EXPECT_EQ(e.Caret(), "1:0");
  e->Finder().matchCase = 1;
  EXPECT_TRUE(e->FindText("two", false));
  EXPECT_EQ(e.Selected(), "1:0-1:3");
  EXPECT_FALSE(e->FindText("four", false));
  EXPECT_EQ(e.Selected(), "1:0-1:3");
  EXPECT_EQ(e.changes, 0);
}

TEST(EditorOperations, GotoStartAndReformatKeepTheTextAndRaiseNothing) {
  EditorUnderTest e(QSize(300, 80));
  for (int i = 0; i < 12; ++i) {
    e.Type("line");
    QTest::keyClick(e.editor.get(), Qt::Key_Return);
  }
  EXPECT_GT(e->verticalScrollBar()->value(), 0);  // the caret was kept in view
  e.changes = 0;
  e->GotoStart();
  EXPECT_EQ(e.Caret(), "0:0");
  EXPECT_EQ(e->verticalScrollBar()->value(), 0);
  const int height = e->Layout().DocumentHeight();
  e->Reformat();
  EXPECT_EQ(e->Layout().DocumentHeight(), height);
  EXPECT_EQ(e.changes, 0);
}

TEST(EditorOperations, WordWrapFollowsTheWindowOrThePage) {
  EditorUnderTest e(QSize(200, 200));
  const QString words = "the quick brown fox jumps over the lazy dog and runs far away ";
  e.Type(words + words + words);
  const int viewWidth = e->viewport()->width();
  // Wrapped at the window: no line is wider than it.
  ASSERT_GT(e.LineCount(), 3);
  for (TLine* l = e.Paragraph(0)->firstLine; l; l = l->next) EXPECT_LE(int(l->width), viewWidth);
  EXPECT_EQ(e->horizontalScrollBar()->maximum(), 0);
  const int wrappedLines = e.LineCount();

  // Off: the page's text width, whatever the window; the text scrolls sideways.
  e->SetWordWrap(false);
  EXPECT_EQ(e.changes, 0);
  const TTextHeader& h = e->RtfText().header;
  EXPECT_EQ(e->Layout().WrapWidth(), h.textWidthPixels);
  EXPECT_LT(e.LineCount(), wrappedLines);
  EXPECT_GT(e->horizontalScrollBar()->maximum(), 0);
  const int pageLines = e.LineCount();
  e->resize(320, 200);
  QApplication::processEvents();
  EXPECT_EQ(e.LineCount(), pageLines);
  // The caret at the end of a long line scrolls the view sideways.
  QTest::keyClick(e.editor.get(), Qt::Key_End);
  EXPECT_GT(e->horizontalScrollBar()->value(), 0);

  // On again: back to the window and to the left edge.
  e->SetWordWrap(true);
  EXPECT_EQ(e->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(e->Layout().WrapWidth(), e->viewport()->width());
  EXPECT_LT(e.LineCount(), wrappedLines);  // the window is wider now
}

TEST(EditorOperations, LanguageSelectsTheControlsOwnTexts) {
  EditorUnderTest e;
  EXPECT_EQ(e->Language(), tlEnglish);
  EXPECT_EQ(e->Messages().statusReady, "Ready");
  e->SetLanguage(tlGerman);
  EXPECT_EQ(e->Messages().statusReady, "Bereit");
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

TEST(EditorOperations, CaretFormatChangedTellsTheChromeOfANewFormatOrParagraph) {
  test::EditorUnderTest e;
  e.Type("plain");
  TCharAttr bold = e->CurrentAttributes();
  bold.style = csBold;
  e->SetCurrentAttributes(bold);
  e.Type("BOLD");
  QTest::keyClick(e.editor.get(), Qt::Key_Return);
  e.Type("next");
  int told = 0;
  QObject::connect(e.editor.get(), &TRichText::CaretFormatChanged, [&] { ++told; });
  QTest::keyClick(e.editor.get(), Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(e.editor.get(), Qt::Key_Right);
  EXPECT_EQ(told, 1);  // another paragraph and another format
  QTest::keyClick(e.editor.get(), Qt::Key_Right);
  EXPECT_EQ(told, 1);  // same paragraph, same format
  QTest::keyClick(e.editor.get(), Qt::Key_End);
  EXPECT_EQ(told, 2);  // into the bold word
  e->SetParagraphIndents(0, 720, 0);
  EXPECT_EQ(told, 3);  // the paragraph's settings changed
  EXPECT_FALSE(e->CurrentAttributes().style & csItalic);
}

TEST(EditorOperations, ContextMenuCutsCopiesAndPastesLikeTheKeys) {
  QGuiApplication::clipboard()->clear();
  test::EditorUnderTest e;
  e.Type("cut me here");
  e->Input().SetSelection({e.Paragraph(0), 0}, {e.Paragraph(0), 4});
  auto choose = [&](const QString& caption) {
    QTimer::singleShot(0, [caption] {
      QMenu* menu = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible()) menu = m;
      if (!menu) {
        ADD_FAILURE() << "no menu";
        return;
      }
      for (QAction* a : menu->actions())
        if (a->text() == caption && a->isEnabled()) a->trigger();
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), e.View()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(e.View(), &event);
  };
  choose("Cu&t");
  EXPECT_EQ(e.Text(), "me here");
  EXPECT_EQ(e.changes, 1);
  QTest::keyClick(e.editor.get(), Qt::Key_End);
  choose("&Paste");
  EXPECT_EQ(e.Text(), "me herecut ");
  EXPECT_EQ(e.changes, 2);
  choose("&Undo");
  EXPECT_EQ(e.Text(), "me here");
  EXPECT_EQ(e.changes, 3);
  e->SetReadOnly(true);
  choose("&Paste");
  EXPECT_EQ(e.Text(), "me here");
  EXPECT_EQ(e.changes, 3);
  QGuiApplication::clipboard()->clear();
}

}  // namespace
}  // namespace quill
