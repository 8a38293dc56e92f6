// The mouse (caret placing, Shift+click, dragging, double click, wheel), the
// clipboard between editors and from LibreOffice, and what the control
// paints.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QScreen>
#include <QWheelEvent>
#include <functional>

#include "control_test_support.h"
#include "richtext/io/rtf_text_io.h"

namespace quill {
namespace {

using test::EditorUnderTest;

std::string Fixture(const std::string& name) { return std::string(QUILL_FIXTURES) + "/" + name; }

class EditorClipboard : public ::testing::Test {
 protected:
  void SetUp() override { QGuiApplication::clipboard()->clear(); }
  void TearDown() override { QGuiApplication::clipboard()->clear(); }
};

// Two paragraphs; the first wraps in a narrow window.
void FillTwoParagraphs(EditorUnderTest& e) {
  e.Type("first words here");
  QTest::keyClick(e.editor.get(), Qt::Key_Return);
  e.Type("second paragraph text");
}

TEST(EditorMouse, ClickPlacesTheCaretShiftClickAndDragSelect) {
  EditorUnderTest e;
  FillTwoParagraphs(e);
  QTest::mouseClick(e.View(), Qt::LeftButton, Qt::NoModifier, e.PointOf(0, 6));
  EXPECT_EQ(e.Caret(), "0:6");
  EXPECT_EQ(e.Selected(), "");
  QTest::mouseClick(e.View(), Qt::LeftButton, Qt::ShiftModifier, e.PointOf(1, 6));
  EXPECT_EQ(e.Selected(), "0:6-1:6");
  EXPECT_EQ(e.Caret(), "1:6");
  // A second Shift+click moves the free end; the first end stays.
  QTest::mouseClick(e.View(), Qt::LeftButton, Qt::ShiftModifier, e.PointOf(0, 2));
  EXPECT_EQ(e.Selected(), "0:2-0:6");
  // Right of a line's end the caret goes to that end.
  QTest::mouseClick(e.View(), Qt::LeftButton, Qt::NoModifier, e.PointOf(1, 21) + QPoint(40, 0));
  EXPECT_EQ(e.Caret(), "1:21");
  // Below the text: the last line.
  QTest::mouseClick(e.View(), Qt::LeftButton, Qt::NoModifier, QPoint(5, e.View()->height() - 3));
  EXPECT_EQ(e.Caret().substr(0, 2), "1:");

  // Drag from "words" to inside "paragraph".
  QTest::mousePress(e.View(), Qt::LeftButton, Qt::NoModifier, e.PointOf(0, 6));
  QMouseEvent move(QEvent::MouseMove, QPointF(e.PointOf(1, 9)), e.View()->mapToGlobal(QPointF(e.PointOf(1, 9))),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(e.View(), &move);
  QTest::mouseRelease(e.View(), Qt::LeftButton, Qt::NoModifier, e.PointOf(1, 9));
  EXPECT_EQ(e.Selected(), "0:6-1:9");
  // Typing replaces the dragged selection.
  e.Type("X");
  EXPECT_EQ(e.Text(), "first Xragraph text");
  // Moving without a button selects nothing.
  QMouseEvent hover(QEvent::MouseMove, QPointF(e.PointOf(0, 1)), e.View()->mapToGlobal(QPointF(e.PointOf(0, 1))),
                    Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(e.View(), &hover);
  EXPECT_EQ(e.Selected(), "");
  EXPECT_EQ(e.changes, 0);
}

TEST(EditorMouse, DoubleClickSelectsAWord) {
  EditorUnderTest e;
  FillTwoParagraphs(e);
  QTest::mouseDClick(e.View(), Qt::LeftButton, Qt::NoModifier, e.PointOf(1, 9));
  EXPECT_EQ(e.Selected(), "1:7-1:16");
  QTest::mouseDClick(e.View(), Qt::LeftButton, Qt::NoModifier, e.PointOf(0, 0));
  EXPECT_EQ(e.Selected(), "0:0-0:5");
  EXPECT_EQ(e.changes, 0);
}

TEST(EditorMouse, ClickOnAWrappedLinePlacesTheCaretOnThatLine) {
  EditorUnderTest e(QSize(140, 200));
  e.Type("alpha beta gamma delta epsilon zeta eta theta");
  TParagraph* p = e.Paragraph(0);
  ASSERT_TRUE(p->firstLine->next);
  const TLine* second = p->firstLine->next;
  const QPoint at(e->Layout().CharX(p, second, 2) + 1, second->top + second->height / 2);
  QTest::mouseClick(e.View(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(e->Input().Cursor().line, second);
  EXPECT_EQ(e->Input().Cursor().index, 2);
  // The caret is drawn where the click was.
  EXPECT_LE(std::abs(e->CaretRect().x() - at.x()), 2);
  EXPECT_EQ(e->CaretRect().top(), second->top);
}

TEST(EditorMouse, WheelScrollsAndTheCaretStays) {
  EditorUnderTest e(QSize(300, 100));
  for (int i = 0; i < 20; ++i) {
    e.Type("row");
    QTest::keyClick(e.editor.get(), Qt::Key_Return);
  }
  e->GotoStart();
  QWheelEvent wheel(QPointF(50, 50), e.View()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(e.View(), &wheel);
  EXPECT_GT(e->verticalScrollBar()->value(), 0);
  EXPECT_EQ(e.Caret(), "0:0");
  // Page Down moves the caret a window's height and scrolls with it.
  const int before = e->verticalScrollBar()->value();
  QTest::keyClick(e.editor.get(), Qt::Key_PageDown);
  EXPECT_GT(e->verticalScrollBar()->value(), before);
  EXPECT_NE(e.Caret(), "0:0");
}

TEST_F(EditorClipboard, CopyInOneEditorPasteInAnother) {
  EditorUnderTest a, b;
  a.Type("keep this bold word");
  a->Input().SetSelection({a.Paragraph(0), 10}, {a.Paragraph(0), 14});
  TCharAttr bold = a->CurrentAttributes();
  bold.style = csBold;
  a->SetCurrentAttributes(bold);
  a->Input().SetSelection({a.Paragraph(0), 5}, {a.Paragraph(0), 19});
  QTest::keyClick(a.editor.get(), Qt::Key_C, Qt::ControlModifier);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_TRUE(data);
  EXPECT_EQ(data->text(), "this bold word");
  EXPECT_TRUE(data->hasFormat("text/rtf"));

  b.Type("<>");
  QTest::keyClick(b.editor.get(), Qt::Key_Left);
  QTest::keyClick(b.editor.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(b.Text(), "<this bold word>");
  EXPECT_EQ(b.changes, 1);
  const TLine* line = b.Paragraph(0)->firstLine;
  EXPECT_FALSE(line->attribs[1].style & csBold);
  EXPECT_TRUE(line->attribs[6].style & csBold);
  EXPECT_FALSE(line->attribs[11].style & csBold);
  EXPECT_EQ(b.Caret(), "0:15");

  // Ctrl+X takes the text out of the first editor and notifies.
  a.changes = 0;
  QTest::keyClick(a.editor.get(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(a.Text(), "keep ");
  EXPECT_EQ(a.changes, 1);
}

TEST_F(EditorClipboard, PasteOfLibreOfficeRtfKeepsFontsStylesAlignmentAndIndents) {
  for (const char* name : {"formatting", "indents_tabs"}) {
    const std::string rtf = test::ReadFile(Fixture(std::string("libreoffice/") + name + ".rtf"));
    ASSERT_FALSE(rtf.empty()) << name;
    // What the reader makes of the file on its own.
    TRTFText expected;
    TRTFTextIo io(expected);
    ASSERT_EQ(io.LoadFromBytes(rtf), 0) << name;

    auto* data = new QMimeData;
    data->setData("text/rtf", QByteArray(rtf.data(), qsizetype(rtf.size())));
    data->setText("plain fallback");
    QGuiApplication::clipboard()->setMimeData(data);
    EditorUnderTest e;
    QTest::keyClick(e.editor.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e.changes, 1) << name;

    const TParagraph* want = expected.firstParagraph;
    const TParagraph* got = e->RtfText().firstParagraph;
    for (int n = 0; want && got; want = want->next, got = got->next, ++n) {
      EXPECT_EQ(got->TextLength(), want->TextLength()) << name << " paragraph " << n;
      EXPECT_EQ(got->alignment, want->alignment) << name << " paragraph " << n;
      EXPECT_EQ(got->firstIndent, want->firstIndent) << name << " paragraph " << n;
      EXPECT_EQ(got->leftIndent, want->leftIndent) << name << " paragraph " << n;
      EXPECT_EQ(got->rightIndent, want->rightIndent) << name << " paragraph " << n;
      const TLine* wl = want->firstLine;
      const TLine* gl = got->firstLine;
      int wi = 0, gi = 0;
      // Character by character across the lines of both.
      for (int k = 0; k < want->TextLength(); ++k, ++wi, ++gi) {
        while (wl && wi >= wl->length) wl = wl->next, wi = 0;
        while (gl && gi >= gl->length) gl = gl->next, gi = 0;
        if (!wl || !gl) break;
        ASSERT_EQ(gl->text[gi], wl->text[wi]) << name << " paragraph " << n << " char " << k;
        const TCharAttr& wa = wl->attribs[wi];
        const TCharAttr& ga = gl->attribs[gi];
        ASSERT_EQ(e->RtfText().header.FontName(ga.font), expected.header.FontName(wa.font))
            << name << " paragraph " << n << " char " << k;
        ASSERT_EQ(ga.style, wa.style) << name << " paragraph " << n << " char " << k;
        ASSERT_EQ(ga.size, wa.size) << name << " paragraph " << n << " char " << k;
      }
    }
    EXPECT_EQ(want == nullptr, got == nullptr) << name << ": paragraph counts differ";
    // Text pasted into an empty page is the page: typing goes on after it.
    EXPECT_EQ(e->Input().CursorPos().paragraph, e->RtfText().LastParagraph());
  }
}

TEST(EditorPainting, TheViewShowsTextSelectionAndCaret) {
  EditorUnderTest e(QSize(300, 120));
  e.Type("Ink on the page");
  const QRect caret = e->CaretRect();
  ASSERT_TRUE(caret.isValid());
  QImage shot = e.View()->grab().toImage();
  auto darkIn = [&](const QRect& r) {
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        if (qGray(shot.pixel(x, y)) < 100) ++dark;
    return dark;
  };
  const TLine* line = e.Paragraph(0)->firstLine;
  const QRect textBox(0, line->top, line->width + 2, line->height);
  EXPECT_GT(darkIn(textBox), 20);
  // Below the text the page is white.
  EXPECT_EQ(darkIn(QRect(0, line->top + line->height + 2, 200, 30)), 0);
  // A selection shows as a highlighted band.
  e->Input().SetSelection({e.Paragraph(0), 0}, {e.Paragraph(0), 3});
  e->Paint();
  shot = e.View()->grab().toImage();
  const int selEnd = e->Layout().CharX(e.Paragraph(0), line, 3);
  int changed = 0;
  for (int x = 1; x < selEnd; ++x)
    if (shot.pixel(x, line->top + 1) != QColor(Qt::white).rgb()) ++changed;
  EXPECT_GT(changed, selEnd / 2);
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

// Decoded pictures belong to the page: paging through a diary with
// pictures does not keep every earlier page's images.
TEST(EditorPainting, ANewPageDropsTheDecodedPicturesOfTheLastOne) {
  test::EditorUnderTest e(QSize(560, 360));
  const std::string picture = Fixture("libreoffice/picture.rtf");
  for (int page = 0; page < 3; ++page) {
    e->Clear();
    e->LoadFromFile(picture);
    e.View()->repaint();
    EXPECT_EQ(e->Pictures().Size(), 1u) << page;
  }
  e->Clear();
  EXPECT_EQ(e->Pictures().Size(), 0u);
}

// Every line of a LibreOffice document shows ink where layout put it. With
// QUILL_SHOT_DIR set, the pictures are kept there for a look by eye.
TEST(EditorPainting, LibreOfficeDocumentsAreDrawnLineByLine) {
  for (const char* name : {"formatting", "indents_tabs", "table", "picture", "page_break"}) {
    test::EditorUnderTest e(QSize(560, 360));
    e->LoadFromFile(Fixture(std::string("libreoffice/") + name + ".rtf"));
    EXPECT_EQ(e.changes, 0) << name;
    const QImage shot = e.View()->grab().toImage();
    if (!qEnvironmentVariableIsEmpty("QUILL_SHOT_DIR"))
      shot.save(QString::fromLocal8Bit(qgetenv("QUILL_SHOT_DIR")) + "/" + name + ".png");
    const int viewHeight = e.View()->height();
    int checked = 0;
    for (TParagraph* p = e->RtfText().firstParagraph; p; p = p->next)
      for (TLine* l = p->firstLine; l; l = l->next) {
        bool visibleText = false;
        for (int i = 0; i < l->length; ++i)
          if (l->text[i] > ' ' && l->attribs && l->attribs[i].width > 0) visibleText = true;
        if (!visibleText || l->top + l->height > viewHeight) continue;
        int ink = 0;
        for (int y = l->top; y < l->top + l->height; ++y)
          for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) < 160) ++ink;
        EXPECT_GT(ink, 10) << name << ": line at " << l->top << " shows nothing";
        ++checked;
      }
    EXPECT_GT(checked, 0) << name;
  }
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

// The editor repaints only what an edit changed; what is on screen after a
// run of edits must still equal a full repaint of the same state.
TEST(EditorPainting, PartialRepaintsAddUpToTheWholePicture) {
  test::EditorUnderTest e(QSize(260, 220));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(e.editor.get()));
  auto onScreen = [&] {
    QApplication::processEvents();
    QImage shown = e->screen()->grabWindow(e->winId()).toImage();
    const QPoint at = e.View()->mapTo(e.editor.get(), QPoint(0, 0));
    return shown.copy(QRect(at, e.View()->size())).convertToFormat(QImage::Format_RGB32);
  };
  auto painted = [&] { return e.View()->grab().toImage().convertToFormat(QImage::Format_RGB32); };
  struct Step {
    const char* name;
    std::function<void()> act;
  } steps[] = {
      {"typing", [&] { QTest::keyClicks(e.editor.get(), "one two three four five six seven eight"); }},
      {"enter", [&] { QTest::keyClick(e.editor.get(), Qt::Key_Return); }},
      {"more typing", [&] { QTest::keyClicks(e.editor.get(), "nine ten"); }},
      {"up and enter in a line", [&] {
         QTest::keyClick(e.editor.get(), Qt::Key_Up);
         QTest::keyClick(e.editor.get(), Qt::Key_Return);
       }},
      {"backspace joins", [&] { QTest::keyClick(e.editor.get(), Qt::Key_Backspace); }},
      {"typing in a wrapped line", [&] { QTest::keyClicks(e.editor.get(), "XXXXXXXXXXXX"); }},
      {"delete", [&] {
         for (int i = 0; i < 6; ++i) QTest::keyClick(e.editor.get(), Qt::Key_Delete);
       }},
      {"selection", [&] { QTest::keyClick(e.editor.get(), Qt::Key_Home, Qt::ShiftModifier); }},
      {"cut", [&] { QTest::keyClick(e.editor.get(), Qt::Key_X, Qt::ControlModifier); }},
      {"undo", [&] { QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier); }},
      {"ctrl+enter", [&] { QTest::keyClick(e.editor.get(), Qt::Key_Return, Qt::ControlModifier); }},
      {"page break removed", [&] { QTest::keyClick(e.editor.get(), Qt::Key_Backspace); }},
      {"end of text", [&] { QTest::keyClick(e.editor.get(), Qt::Key_End, Qt::ControlModifier); }},
  };
  for (const Step& s : steps) {
    s.act();
    const QImage shown = onScreen();
    const QImage full = painted();
    ASSERT_FALSE(shown.isNull()) << s.name;
    EXPECT_TRUE(shown == full) << s.name << ": the screen differs from a full repaint";
  }
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

// Records the area each paint of the view covers.
class PaintAreas : public QObject {
 public:
  std::vector<QRegion> areas;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) areas.push_back(static_cast<QPaintEvent*>(event)->region());
    return false;
  }
  int PaintedPixels() const {
    int n = 0;
    for (const QRegion& r : areas)
      for (const QRect& rect : r) n += rect.width() * rect.height();
    return n;
  }
};

TEST(EditorPainting, TypingRepaintsTheLineNotTheWindow) {
  test::EditorUnderTest e(QSize(300, 240));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(e.editor.get()));
  for (int i = 0; i < 5; ++i) {
    QTest::keyClicks(e.editor.get(), "a line of text");
    QTest::keyClick(e.editor.get(), Qt::Key_Return);
  }
  e->Input().SetCursor({e.Paragraph(2), 4});
  QApplication::processEvents();
  PaintAreas areas;
  e.View()->installEventFilter(&areas);
  QTest::keyClick(e.editor.get(), Qt::Key_X);
  QApplication::processEvents();
  e.View()->removeEventFilter(&areas);
  ASSERT_FALSE(areas.areas.empty());
  const TLine* line = e.Paragraph(2)->firstLine;
  const int viewArea = e.View()->width() * e.View()->height();
  EXPECT_LE(areas.PaintedPixels(), e.View()->width() * (line->height + 2));
  EXPECT_LT(areas.PaintedPixels(), viewArea / 4);
}

}  // namespace
}  // namespace quill
