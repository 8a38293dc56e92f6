// The formatting toolbar and the ruler beside a real editor: they follow the
// caret, their commands change exactly the selection or the caret's
// paragraph with the right change notifications, and the toolbar takes at
// most 100 extra buttons.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QContextMenuEvent>
#include <QToolButton>
#include <functional>
#include <vector>

#include "chrome_fixture.h"

namespace quill {
namespace {

using test::ChromeUnderTest;
using test::TempFolder;

void ClickIcon(TFormatToolBar* bar, QAction* action) {
  QWidget* button = bar->widgetForAction(action);
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
}

void TypeIntoList(QComboBox* list, const QString& text) {
  QLineEdit* edit = list->lineEdit();
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
  QApplication::processEvents();
}

// Picks the row of a colour list holding a colour table index from its
// drop-down list.
void PickColor(QComboBox* list, int index) {
  const int row = list->findData(index);
  ASSERT_GE(row, 0);
  list->showPopup();
  QAbstractItemView* view = list->view();
  view->setCurrentIndex(list->model()->index(row, 0));
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_EQ(list->currentIndex(), row);
}

TEST(FormatToolBar, FollowsTheCaretThroughParagraphsOfDifferentFormats) {
  TempFolder folder;
  ChromeUnderTest c;
  c.Load(folder, test::kFormattedEntry);
  struct Case {
    int paragraph;
    const char* font;
    const char* size;
    bool bold, italic, underline;
    uint8_t alignment;
    uint32_t color;
  };
  const Case cases[] = {
      {1, "Courier New", "14", true, false, false, alCenter, MakeRGB(255, 0, 0)},
      {0, "Arial", "10", false, false, false, alLeft, MakeRGB(0, 0, 0)},
      {2, "Arial", "8", false, true, true, alRight, MakeRGB(0, 0, 255)},
      {1, "Courier New", "14", true, false, false, alCenter, MakeRGB(255, 0, 0)},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.paragraph);
    c.ClickAt(k.paragraph, 3);
    EXPECT_EQ(c.bar->FontNameList()->currentText().toStdString(), k.font);
    EXPECT_EQ(c.bar->FontSizeList()->currentText().toStdString(), k.size);
    EXPECT_EQ(c.bar->BoldIcon()->isChecked(), k.bold);
    EXPECT_EQ(c.bar->ItalicIcon()->isChecked(), k.italic);
    EXPECT_EQ(c.bar->UnderlineIcon()->isChecked(), k.underline);
    EXPECT_EQ(c.bar->LeftIcon()->isChecked(), k.alignment == alLeft);
    EXPECT_EQ(c.bar->CenterIcon()->isChecked(), k.alignment == alCenter);
    EXPECT_EQ(c.bar->RightIcon()->isChecked(), k.alignment == alRight);
    const int colorIndex = c.bar->TextColorList()->currentData().toInt();
    EXPECT_EQ(c.editor->PaletteColor(colorIndex), k.color);
    EXPECT_EQ(c.bar->BackColorList()->currentData().toInt(), c.editor->CurrentAttributes().BackColor());
  }
  // Moving the caret changes nothing.
  EXPECT_EQ(c.changes, 0);
}

// The default font's colour is entry 15, black again, which the list does
// not hold: the list shows black rather than nothing.
TEST(FormatToolBar, ColourEntryFifteenShowsAsTheSameColour) {
  TempFolder folder;
  ChromeUnderTest c;
  c.Load(folder, test::kFormattedEntry);
  c.ClickAt(0, 3);
  TCharAttr a = c.editor->CurrentAttributes();
  a.SetTextColor(15);
  c.editor->SetCurrentAttributes(a);
  ASSERT_GE(c.bar->TextColorList()->currentIndex(), 0);
  EXPECT_EQ(c.editor->PaletteColor(c.bar->TextColorList()->currentData().toInt()), MakeRGB(0, 0, 0));
}

TEST(FormatToolBar, CommandsChangeExactlyTheSelectionAndNotify) {
  struct Case {
    const char* name;
    std::function<void(ChromeUnderTest&)> command;
    std::function<bool(const TCharAttr&)> changed;  // true for a changed character
  };
  const std::vector<Case> cases = {
      {"bold icon", [](ChromeUnderTest& c) { ClickIcon(c.bar, c.bar->BoldIcon()); },
       [](const TCharAttr& a) { return (a.style & csBold) != 0; }},
      {"Ctrl+I", [](ChromeUnderTest& c) { QTest::keyClick(c.editor, Qt::Key_I, Qt::ControlModifier); },
       [](const TCharAttr& a) { return a.style == csItalic; }},
      {"Ctrl+U", [](ChromeUnderTest& c) { QTest::keyClick(c.editor, Qt::Key_U, Qt::ControlModifier); },
       [](const TCharAttr& a) { return a.style == csUnderline; }},
      {"Ctrl+B", [](ChromeUnderTest& c) { QTest::keyClick(c.editor, Qt::Key_B, Qt::ControlModifier); },
       [](const TCharAttr& a) { return a.style == csBold; }},
      {"size from the list", [](ChromeUnderTest& c) { TypeIntoList(c.bar->FontSizeList(), "14"); },
       [](const TCharAttr& a) { return a.size == 14; }},
      {"size not in the list", [](ChromeUnderTest& c) { TypeIntoList(c.bar->FontSizeList(), "13"); },
       [](const TCharAttr& a) { return a.size == 13; }},
      {"font name", [](ChromeUnderTest& c) { TypeIntoList(c.bar->FontNameList(), "Courier New"); },
       [](const TCharAttr& a) { return a.font != 0; }},
      {"text colour", [](ChromeUnderTest& c) { PickColor(c.bar->TextColorList(), 3); },
       [](const TCharAttr& a) { return a.TextColor() == 3; }},
      {"background colour", [](ChromeUnderTest& c) { PickColor(c.bar->BackColorList(), 4); },
       [](const TCharAttr& a) { return a.BackColor() == 4; }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ChromeUnderTest c;
    QTest::keyClicks(c.editor, "one two three");
    c.ClickAt(0, 4);
    c.ClickAt(0, 7, Qt::ShiftModifier);
    c.changes = 0;
    k.command(c);
    EXPECT_EQ(c.changes, 1);
    for (int i = 0; i < 13; ++i) EXPECT_EQ(k.changed(c.AttrAt(0, i)), i >= 4 && i < 7) << i;
    // The toolbar shows the new format at the caret, which ends the selection.
    c.editor->setFocus();
    QTest::keyClick(c.editor, Qt::Key_Left);
    EXPECT_TRUE(k.changed(c.editor->CurrentAttributes()));
  }
}

TEST(FormatToolBar, StyleIconsToggleAndNormalClearsTheSelectionOnly) {
  ChromeUnderTest c;
  QTest::keyClicks(c.editor, "one two three");
  c.ClickAt(0, 0);
  c.ClickAt(0, 7, Qt::ShiftModifier);
  ClickIcon(c.bar, c.bar->ItalicIcon());
  ClickIcon(c.bar, c.bar->UnderlineIcon());
  EXPECT_EQ(c.AttrAt(0, 2).style, csItalic | csUnderline);
  // Normal on "two" only.
  c.ClickAt(0, 4);
  c.ClickAt(0, 7, Qt::ShiftModifier);
  c.changes = 0;
  ClickIcon(c.bar, c.bar->NormalIcon());
  EXPECT_EQ(c.changes, 1);
  EXPECT_EQ(c.AttrAt(0, 2).style, csItalic | csUnderline);
  EXPECT_EQ(c.AttrAt(0, 5).style, 0);
  EXPECT_FALSE(c.bar->ItalicIcon()->isChecked());
  // Underline toggled off again over the first word.
  c.ClickAt(0, 0);
  c.ClickAt(0, 3, Qt::ShiftModifier);
  EXPECT_TRUE(c.bar->UnderlineIcon()->isChecked());
  ClickIcon(c.bar, c.bar->UnderlineIcon());
  EXPECT_EQ(c.AttrAt(0, 1).style, csItalic);
  EXPECT_EQ(c.changes, 2);
}

TEST(FormatToolBar, AlignmentIconsChangeTheSelectedParagraphsOrTheCaretOne) {
  ChromeUnderTest c;
  QTest::keyClicks(c.editor, "first");
  QTest::keyClick(c.editor, Qt::Key_Return);
  QTest::keyClicks(c.editor, "second");
  QTest::keyClick(c.editor, Qt::Key_Return);
  QTest::keyClicks(c.editor, "third");
  c.ClickAt(1, 2);
  c.changes = 0;
  ClickIcon(c.bar, c.bar->RightIcon());
  EXPECT_EQ(c.changes, 1);
  EXPECT_EQ(c.Paragraph(0)->alignment, alLeft);
  EXPECT_EQ(c.Paragraph(1)->alignment, alRight);
  EXPECT_EQ(c.Paragraph(2)->alignment, alLeft);
  EXPECT_TRUE(c.bar->RightIcon()->isChecked());
  EXPECT_FALSE(c.bar->LeftIcon()->isChecked());
  // The second paragraph's text now ends at the right edge.
  EXPECT_GT(c.PointOf(1, 0).x(), c.PointOf(0, 0).x() + 100);

  c.ClickAt(0, 1);
  c.ClickAt(1, 1, Qt::ShiftModifier);
  ClickIcon(c.bar, c.bar->CenterIcon());
  EXPECT_EQ(c.changes, 2);
  EXPECT_EQ(c.Paragraph(0)->alignment, alCenter);
  EXPECT_EQ(c.Paragraph(1)->alignment, alCenter);
  EXPECT_EQ(c.Paragraph(2)->alignment, alLeft);
}

TEST(FormatToolBar, CopyNotifiesNothingCutAndPasteDo) {
  ChromeUnderTest c;
  QTest::keyClicks(c.editor, "one two three");
  // Nothing selected: nothing to copy or cut.
  EXPECT_FALSE(c.bar->CopyIcon()->isEnabled());
  EXPECT_FALSE(c.bar->CutIcon()->isEnabled());
  EXPECT_TRUE(c.bar->PasteIcon()->isEnabled());
  c.ClickAt(0, 4);
  c.ClickAt(0, 8, Qt::ShiftModifier);
  EXPECT_TRUE(c.bar->CopyIcon()->isEnabled());
  EXPECT_TRUE(c.bar->CutIcon()->isEnabled());
  c.changes = 0;
  ClickIcon(c.bar, c.bar->CopyIcon());
  EXPECT_EQ(c.changes, 0);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "two ");
  ClickIcon(c.bar, c.bar->CutIcon());
  EXPECT_EQ(c.changes, 1);
  EXPECT_EQ(test::Paragraphs(c.editor->RtfText()), std::vector<std::string>{"one three"});
  c.ClickAt(0, 0);
  ClickIcon(c.bar, c.bar->PasteIcon());
  EXPECT_EQ(c.changes, 2);
  EXPECT_EQ(test::Paragraphs(c.editor->RtfText()), std::vector<std::string>{"two one three"});
  // The cut took the selection with it.
  EXPECT_FALSE(c.bar->CutIcon()->isEnabled());
  EXPECT_EQ(c.changes, 2);
}

TEST(FormatToolBar, ReadOnlyEditorRefusesEveryCommand) {
  ChromeUnderTest c;
  QTest::keyClicks(c.editor, "one two");
  c.ClickAt(0, 0);
  c.ClickAt(0, 3, Qt::ShiftModifier);
  c.editor->SetReadOnly(true);
  c.changes = 0;
  ClickIcon(c.bar, c.bar->BoldIcon());
  ClickIcon(c.bar, c.bar->CenterIcon());
  ClickIcon(c.bar, c.bar->CutIcon());
  TypeIntoList(c.bar->FontSizeList(), "20");
  EXPECT_EQ(c.changes, 0);
  EXPECT_EQ(c.AttrAt(0, 1).style, 0);
  EXPECT_NE(c.AttrAt(0, 1).size, 20);
  EXPECT_EQ(c.Paragraph(0)->alignment, alLeft);
  EXPECT_EQ(test::Paragraphs(c.editor->RtfText()), std::vector<std::string>{"one two"});
  // The icons show what is there, not what was asked for.
  EXPECT_FALSE(c.bar->BoldIcon()->isChecked());
  EXPECT_FALSE(c.bar->CenterIcon()->isChecked());
}

TEST(FormatToolBar, TakesAHundredExtraButtonsAndRefusesTheNext) {
  ChromeUnderTest c;
  std::vector<QToolButton*> buttons;
  for (int i = 0; i < 101; ++i) buttons.push_back(new QToolButton);
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(c.bar->AddExtraButton(buttons[size_t(i)])) << i;
  EXPECT_FALSE(c.bar->AddExtraButton(buttons[100]));
  EXPECT_EQ(c.bar->ExtraButtonCount(), 100);
  EXPECT_EQ(buttons[99]->parentWidget(), c.bar);
  EXPECT_EQ(buttons[100]->parentWidget(), nullptr);
  delete buttons[100];
  // They come after the toolbar's own groups, in the order added.
  const QList<QAction*> actions = c.bar->actions();
  EXPECT_EQ(c.bar->widgetForAction(actions.back()), buttons[99]);
  EXPECT_LT(actions.indexOf(c.bar->PasteIcon()), actions.size() - 100);
}

TEST(FormatToolBarAndRuler, OutliveTheirEditorAndFollowANewOne) {
  auto* host = new QWidget;
  auto* bar = new TFormatToolBar(host);
  auto* ruler = new TRuler(host);
  auto* first = new TRichText(host);
  bar->SetEditor(first);
  ruler->SetEditor(first);
  delete first;
  EXPECT_EQ(bar->Editor(), nullptr);
  EXPECT_EQ(ruler->Editor(), nullptr);
  EXPECT_FALSE(bar->BoldIcon()->isEnabled());
  auto* second = new TRichText(host);
  int changes = 0;
  second->OnChange = [&changes] { ++changes; };
  bar->SetEditor(second);
  ruler->SetEditor(second);
  ruler->repaint();
  bar->BoldIcon()->trigger();
  EXPECT_EQ(changes, 1);
  EXPECT_NE(second->CurrentAttributes().style & csBold, 0);
  delete host;
}

// ---- ruler ----------------------------------------------------------------------------

// Whether the ruler shows something other than its white scale at a point.
bool Drawn(const QImage& image, int x, int y) { return image.pixelColor(x, y) != QColor(Qt::white); }

TEST(Ruler, ShowsTheCaretParagraphsIndentsAndStops) {
  TempFolder folder;
  ChromeUnderTest c;
  c.Load(folder, test::kFormattedEntry);
  TRuler* r = c.ruler;
  const int textWidth = 12240 - 2 * 1880;
  struct Case {
    int paragraph;
    int first, left, right;
    std::vector<int> stops;
  };
  const Case cases[] = {
      {0, 720, 1440, 720, {2016, 3744}},
      {1, 0, 0, 0, {}},
      {2, 288, 288, 0, {}},
  };
  // Every place any case marks, to see that the others leave it blank.
  for (const Case& k : cases) {
    SCOPED_TRACE(k.paragraph);
    c.ClickAt(k.paragraph, 2);
    const TParagraph* p = c.Paragraph(k.paragraph);
    ASSERT_EQ(p->firstIndent, k.first);
    ASSERT_EQ(p->leftIndent, k.left);
    ASSERT_EQ(p->rightIndent, k.right);
    const QImage image = r->grab().toImage();
    const QRect band = r->Band();
    const int top = band.top() + 2, bottom = band.bottom() - 3, tabY = band.bottom() - 5;
    // The scale's edges carry its frame: markers there are not told apart.
    auto inside = [textWidth](int twips) { return twips > 0 && twips < textWidth; };
    for (const Case& other : cases) {
      const bool self = &other == &k;
      if ((self || other.first != k.first) && inside(other.first)) {
        EXPECT_EQ(Drawn(image, r->XOfTwips(other.first), top), self);
      }
      if ((self || other.left != k.left) && inside(other.left)) {
        EXPECT_EQ(Drawn(image, r->XOfTwips(other.left), bottom), self);
      }
      if ((self || other.right != k.right) && inside(textWidth - other.right)) {
        EXPECT_EQ(Drawn(image, r->XOfTwips(textWidth - other.right), bottom), self);
      }
      for (int stop : other.stops) EXPECT_EQ(Drawn(image, r->XOfTwips(stop), tabY), self) << stop;
    }
  }
}

struct Drag {
  QPoint from, to;
};

void DragOnRuler(TRuler* r, const Drag& d) {
  QTest::mousePress(r, Qt::LeftButton, {}, d.from);
  QTest::mouseMove(r, (d.from + d.to) / 2);
  QTest::mouseMove(r, d.to);
  QTest::mouseRelease(r, Qt::LeftButton, {}, d.to);
}

TEST(Ruler, DraggingAnIndentMarkerChangesTheCaretParagraphOrTheSelectedOnes) {
  TempFolder folder;
  ChromeUnderTest c;
  c.Load(folder, test::kFormattedEntry);
  TRuler* r = c.ruler;
  const int top = r->Band().top() + 2, bottom = r->Band().bottom() - 2;

  // The left indent of the first paragraph, from one inch to an inch and a half.
  c.ClickAt(0, 2);
  DragOnRuler(r, {{r->XOfTwips(1440), bottom}, {r->XOfTwips(2160), bottom}});
  EXPECT_EQ(c.changes, 1);
  EXPECT_EQ(c.Paragraph(0)->leftIndent, 2160);
  EXPECT_EQ(c.Paragraph(0)->firstIndent, 720);
  EXPECT_EQ(c.Paragraph(1)->leftIndent, 0);
  EXPECT_EQ(c.Paragraph(2)->leftIndent, 288);

  // The first-line indent of the first paragraph; the text moves with it.
  const int before = c.PointOf(0, 0).x();
  DragOnRuler(r, {{r->XOfTwips(720), top}, {r->XOfTwips(1440), top}});
  EXPECT_EQ(c.changes, 2);
  EXPECT_EQ(c.Paragraph(0)->firstIndent, 1440);
  EXPECT_EQ(c.PointOf(0, 0).x() - before, r->XOfTwips(1440) - r->XOfTwips(720));

  // Across the second and third paragraphs: the right indent of both.
  c.ClickAt(1, 1);
  c.ClickAt(2, 1, Qt::ShiftModifier);
  const int textWidth = 12240 - 2 * 1880;
  DragOnRuler(r, {{r->XOfTwips(textWidth), bottom}, {r->XOfTwips(textWidth - 1440), bottom}});
  EXPECT_EQ(c.changes, 3);
  EXPECT_EQ(c.Paragraph(0)->rightIndent, 720);
  EXPECT_EQ(c.Paragraph(1)->rightIndent, c.editor->RtfText().header.SnapToGrid(1440));
  EXPECT_EQ(c.Paragraph(2)->rightIndent, c.Paragraph(1)->rightIndent);
  EXPECT_GT(c.Paragraph(1)->rightIndent, 1300);
}

int StopCount(const TParagraph* p) { return __builtin_popcount(p->tabMask); }

bool HasStop(TRichText* e, const TParagraph* p, int position, uint8_t kind) {
  const TTextHeader& h = e->RtfText().header;
  for (int i = 0; i < kTabCount; ++i)
    if ((p->tabMask >> i & 1u) && h.tabPositions[size_t(i)] == position && h.tabKinds[size_t(i)] == kind)
      return true;
  return false;
}

TEST(Ruler, ClicksSetStopsOfTheChosenKindAndDragsMoveOrRemoveThem) {
  TempFolder folder;
  ChromeUnderTest c;
  c.Load(folder, test::kFormattedEntry);
  TRuler* r = c.ruler;
  const int y = r->Band().bottom() - 3;

  // The kind box steps left, centre, right, decimal.
  const uint8_t kinds[] = {tkCenter, tkRight, tkDecimal, tkLeft, tkCenter};
  for (uint8_t kind : kinds) {
    QTest::mouseClick(r, Qt::LeftButton, {}, r->KindBox().center());
    EXPECT_EQ(r->TabKind(), kind);
  }
  EXPECT_EQ(c.changes, 0);

  // A click in the second paragraph sets a centred stop there only, on the grid.
  c.ClickAt(1, 2);
  QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(r->XOfTwips(3168) + 1, y));
  EXPECT_EQ(c.changes, 1);
  EXPECT_EQ(StopCount(c.Paragraph(1)), 1);
  EXPECT_TRUE(HasStop(c.editor, c.Paragraph(1), 3168, tkCenter));
  EXPECT_EQ(StopCount(c.Paragraph(0)), 2);
  EXPECT_EQ(StopCount(c.Paragraph(2)), 0);

  // A click on a stop picks it up: without a move nothing changes.
  QTest::mouseClick(r, Qt::LeftButton, {}, r->KindBox().center());
  QTest::mouseClick(r, Qt::LeftButton, {}, r->KindBox().center());
  ASSERT_EQ(r->TabKind(), tkDecimal);
  QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(r->XOfTwips(3168), y));
  EXPECT_EQ(c.changes, 1);
  EXPECT_EQ(StopCount(c.Paragraph(1)), 1);
  // A decimal stop elsewhere joins it.
  QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(r->XOfTwips(4608), y));
  EXPECT_EQ(c.changes, 2);
  EXPECT_EQ(StopCount(c.Paragraph(1)), 2);
  EXPECT_TRUE(HasStop(c.editor, c.Paragraph(1), 3168, tkCenter));
  EXPECT_TRUE(HasStop(c.editor, c.Paragraph(1), 4608, tkDecimal));

  // In the first paragraph: the centred stop moves, keeping its kind...
  c.ClickAt(0, 2);
  DragOnRuler(r, {{r->XOfTwips(3744), y}, {r->XOfTwips(4320), y}});
  EXPECT_EQ(c.changes, 3);
  EXPECT_EQ(StopCount(c.Paragraph(0)), 2);
  EXPECT_TRUE(HasStop(c.editor, c.Paragraph(0), 4320, tkCenter));
  EXPECT_TRUE(HasStop(c.editor, c.Paragraph(0), 2016, tkLeft));
  // ...and the left one dragged off the ruler goes.
  DragOnRuler(r, {{r->XOfTwips(2016), y}, {r->XOfTwips(2016), r->height() + 30}});
  EXPECT_EQ(c.changes, 4);
  EXPECT_EQ(StopCount(c.Paragraph(0)), 1);
  EXPECT_TRUE(HasStop(c.editor, c.Paragraph(0), 4320, tkCenter));
  EXPECT_TRUE(HasStop(c.editor, c.Paragraph(1), 4608, tkDecimal));
}

// Answers the next question box with a button, keeping its text.
struct QuestionAnswer {
  QMessageBox::StandardButton button;
  std::vector<std::string> texts;
  QTimer timer;
  explicit QuestionAnswer(QMessageBox::StandardButton b) : button(b) {
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts.push_back(box->text().toStdString());
        box->button(button)->click();
      }
    });
    timer.start();
  }
};

void RightClick(TRuler* r, QPoint at) {
  QContextMenuEvent menu(QContextMenuEvent::Mouse, at, r->mapToGlobal(at));
  QApplication::sendEvent(r, &menu);
}

TEST(Ruler, RightButtonClearsTheStopsOfTheSelectedParagraphsWhenConfirmed) {
  TempFolder folder;
  ChromeUnderTest c;
  c.Load(folder, test::kFormattedEntry);
  TRuler* r = c.ruler;
  const QPoint at(r->XOfTwips(1000), r->Band().center().y());
  // The first two paragraphs get a stop each more.
  c.ClickAt(1, 1);
  QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(r->XOfTwips(4608), at.y()));
  c.ClickAt(0, 1);
  c.ClickAt(1, 1, Qt::ShiftModifier);
  c.changes = 0;
  {
    QuestionAnswer no(QMessageBox::No);
    RightClick(r, at);
    EXPECT_EQ(no.texts, std::vector<std::string>{"Delete all tabstops?"});
  }
  EXPECT_EQ(c.changes, 0);
  EXPECT_EQ(StopCount(c.Paragraph(0)), 2);
  {
    QuestionAnswer yes(QMessageBox::Yes);
    RightClick(r, at);
    EXPECT_EQ(yes.texts.size(), 1u);
  }
  EXPECT_EQ(c.changes, 1);
  EXPECT_EQ(StopCount(c.Paragraph(0)), 0);
  EXPECT_EQ(StopCount(c.Paragraph(1)), 0);
}

TEST(FormatToolBarAndRuler, UndoTakesTheirChangesBack) {
  TempFolder folder;
  ChromeUnderTest c;
  c.Load(folder, test::kFormattedEntry);
  c.ClickAt(0, 0);
  c.ClickAt(0, 5, Qt::ShiftModifier);
  ClickIcon(c.bar, c.bar->ItalicIcon());
  ASSERT_EQ(c.AttrAt(0, 2).style, csItalic);
  const int bottom = c.ruler->Band().bottom() - 2;
  DragOnRuler(c.ruler, {{c.ruler->XOfTwips(1440), bottom}, {c.ruler->XOfTwips(2880), bottom}});
  ASSERT_EQ(c.Paragraph(0)->leftIndent, 2880);
  c.editor->setFocus();
  QTest::keyClick(c.editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(c.Paragraph(0)->leftIndent, 1440);
  EXPECT_EQ(c.AttrAt(0, 2).style, csItalic);
  QTest::keyClick(c.editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(c.AttrAt(0, 2).style, 0);
  EXPECT_EQ(c.Paragraph(0)->leftIndent, 1440);
}

TEST(Ruler, ReadOnlyEditorKeepsItsParagraphs) {
  TempFolder folder;
  ChromeUnderTest c;
  c.Load(folder, test::kFormattedEntry);
  TRuler* r = c.ruler;
  c.ClickAt(0, 2);
  c.editor->SetReadOnly(true);
  const int bottom = r->Band().bottom() - 2;
  DragOnRuler(r, {{r->XOfTwips(1440), bottom}, {r->XOfTwips(2160), bottom}});
  QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(r->XOfTwips(4608), bottom));
  EXPECT_EQ(c.changes, 0);
  EXPECT_EQ(c.Paragraph(0)->leftIndent, 1440);
  EXPECT_EQ(StopCount(c.Paragraph(0)), 2);
}

}  // namespace
}  // namespace quill
