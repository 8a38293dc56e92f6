#include "richtext/widget/format_toolbar.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QIntValidator>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <algorithm>

#include "richtext/widget/painter_canvas.h"
#include "richtext/widget/rich_text.h"
#include "richtext/widget/win1252_codec.h"

namespace quill {

namespace {

constexpr int kIconSize = 16;
// The font size list starts at 8 points.
constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
// Sizes are stored in one byte.
constexpr int kMaxSize = 255;

QIcon Swatch(const QColor& color) {
  QPixmap pm(16, 10);
  pm.fill(color);
  QPainter p(&pm);
  p.setPen(Qt::gray);
  p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
  return QIcon(pm);
}

// A letter drawn in its own style: the style icons.
QIcon LetterIcon(const QString& letter, bool bold, bool italic, bool underline) {
  QPixmap pm(kIconSize, kIconSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  QFont f("Times New Roman");
  f.setPixelSize(14);
  f.setBold(bold);
  f.setItalic(italic);
  f.setUnderline(underline);
  p.setFont(f);
  p.setPen(Qt::black);
  p.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, letter);
  return QIcon(pm);
}

// Lines of text set to one side or centred: the alignment icons.
QIcon AlignmentIcon(uint8_t alignment) {
  QPixmap pm(kIconSize, kIconSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(Qt::black);
  const int widths[] = {14, 9, 12, 7, 14};
  for (int i = 0; i < 5; ++i) {
    const int w = widths[i];
    int x = 1;
    if (alignment == alRight) x = 15 - w;
    if (alignment == alCenter) x = (16 - w) / 2;
    p.drawLine(x, 2 + 3 * i, x + w - 1, 2 + 3 * i);
  }
  return QIcon(pm);
}

QIcon EditIcon(const QString& theme, void (*draw)(QPainter&)) {
  const QIcon themed = QIcon::fromTheme(theme);
  if (!themed.isNull()) return themed;
  QPixmap pm(kIconSize, kIconSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  draw(p);
  return QIcon(pm);
}

void DrawCopy(QPainter& p) {
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawRect(1, 1, 8, 10);
  p.drawRect(6, 4, 8, 10);
}

void DrawCut(QPainter& p) {
  p.setPen(QPen(Qt::black, 1.3));
  p.drawLine(4, 1, 10, 10);
  p.drawLine(11, 1, 5, 10);
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(4, 12.5), 2.5, 2.5);
  p.drawEllipse(QPointF(11, 12.5), 2.5, 2.5);
}

void DrawPaste(QPainter& p) {
  p.setPen(Qt::black);
  p.setBrush(QColor(0xC0, 0x90, 0x50));
  p.drawRect(1, 2, 10, 12);
  p.setBrush(Qt::white);
  p.drawRect(6, 6, 8, 9);
  p.setBrush(Qt::gray);
  p.drawRect(4, 1, 4, 2);
}

}  // namespace

TFormatToolBar::TFormatToolBar(QWidget* parent) : QToolBar(parent) {
  setIconSize(QSize(kIconSize, kIconSize));
  setMovable(false);
  setFloatable(false);
  // Every icon and the application's buttons fit a window 610 pixels wide.
  layout()->setSpacing(0);
  setContentsMargins(0, 0, 0, 0);
  BuildLists();
  BuildIcons();
  UpdateFromEditor();
}

TFormatToolBar::~TFormatToolBar() { SetEditor(nullptr); }

void TFormatToolBar::BuildLists() {
  fontName_ = new QComboBox(this);
  fontName_->setObjectName("FontNameList");
  fontName_->setEditable(true);
  fontName_->setInsertPolicy(QComboBox::NoInsert);
  fontName_->setToolTip(tr("Font"));
  fontName_->addItems(QFontDatabase::families());
  fontName_->setMinimumContentsLength(7);
  fontName_->setMaximumWidth(104);
  // The page keeps the keyboard; the lists take it when clicked.
  fontName_->setFocusPolicy(Qt::ClickFocus);
  fontName_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  // Typed names are kept to what the document's font table holds.
  fontName_->lineEdit()->setMaxLength(31);
  connect(fontName_, &QComboBox::textActivated, this, [this] { Coalesced(fontNamePending_, [this] { FontNameChosen(); }); });
  // Enter on a typed name the list lacks is not reported as an activation.
  connect(fontName_->lineEdit(), &QLineEdit::returnPressed, this,
          [this] { Coalesced(fontNamePending_, [this] { FontNameChosen(); }); });
  addWidget(fontName_);

  fontSize_ = new QComboBox(this);
  fontSize_->setObjectName("FontSizeList");
  fontSize_->setEditable(true);
  fontSize_->setInsertPolicy(QComboBox::NoInsert);
  fontSize_->setToolTip(tr("Size"));
  for (int size : kSizes) fontSize_->addItem(QString::number(size));
  fontSize_->setValidator(new QIntValidator(1, kMaxSize, fontSize_));
  fontSize_->setMinimumContentsLength(2);
  fontSize_->setMaximumWidth(48);
  fontSize_->setFocusPolicy(Qt::ClickFocus);
  fontSize_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  connect(fontSize_, &QComboBox::textActivated, this, [this] { Coalesced(fontSizePending_, [this] { FontSizeChosen(); }); });
  connect(fontSize_->lineEdit(), &QLineEdit::returnPressed, this,
          [this] { Coalesced(fontSizePending_, [this] { FontSizeChosen(); }); });
  addWidget(fontSize_);

  textColor_ = new QComboBox(this);
  textColor_->setObjectName("TextColorList");
  textColor_->setToolTip(tr("Text colour"));
  textColor_->setFocusPolicy(Qt::ClickFocus);
  textColor_->setIconSize(QSize(16, 10));
  textColor_->setMaximumWidth(42);
  connect(textColor_, &QComboBox::activated, this, [this](int row) { TextColorChosen(row); });
  addWidget(textColor_);

  backColor_ = new QComboBox(this);
  backColor_->setObjectName("BackColorList");
  backColor_->setToolTip(tr("Background colour"));
  backColor_->setFocusPolicy(Qt::ClickFocus);
  backColor_->setIconSize(QSize(16, 10));
  backColor_->setMaximumWidth(42);
  connect(backColor_, &QComboBox::activated, this, [this](int row) { BackColorChosen(row); });
  addWidget(backColor_);
  FillColorLists();
}

void TFormatToolBar::Coalesced(bool& pending, std::function<void()> command) {
  // Enter in an editable list may report the same choice more than once;
  // it is one command.
  if (pending) return;
  pending = true;
  QTimer::singleShot(0, this, [this, &pending, command = std::move(command)] {
    pending = false;
    command();
  });
}

void TFormatToolBar::FillColorLists() {
  // Entry 15 of the colour table repeats black: the lists offer 0 to 14.
  // The background list's first row is "no background" (index 0).
  const QSignalBlocker b1(textColor_), b2(backColor_);
  textColor_->clear();
  backColor_->clear();
  // No background shows as the toolbar's own colour, crossed out.
  QPixmap none(16, 10);
  none.fill(Qt::white);
  {
    QPainter p(&none);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, 15, 9);
    p.setPen(Qt::red);
    p.drawLine(1, 8, 14, 1);
  }
  backColor_->addItem(QIcon(none), QString(), 0);
  backColor_->setItemData(0, tr("None"), Qt::ToolTipRole);
  for (int i = 0; i < kColorCount - 1; ++i) {
    const uint32_t rgb = editor_ ? editor_->PaletteColor(i) : kDefaultColorTable[size_t(i)];
    textColor_->addItem(Swatch(QtColorOf(rgb)), QString(), i);
    if (i > 0) backColor_->addItem(Swatch(QtColorOf(rgb)), QString(), i);
  }
}

void TFormatToolBar::BuildIcons() {
  addSeparator();
  auto icon = [this](const char* name, const QString& hint, const QIcon& image, bool checkable) {
    QAction* a = addAction(image, hint);
    a->setObjectName(name);
    a->setToolTip(hint);
    a->setCheckable(checkable);
    return a;
  };
  normal_ = icon("NormalIcon", tr("Normal"), LetterIcon("N", false, false, false), false);
  bold_ = icon("BoldIcon", tr("Bold"), LetterIcon("B", true, false, false), true);
  italic_ = icon("ItalicIcon", tr("Italic"), LetterIcon("I", false, true, false), true);
  underline_ = icon("UnderlineIcon", tr("Under"), LetterIcon("U", false, false, true), true);
  connect(normal_, &QAction::triggered, this, [this] { NormalClicked(); });
  connect(bold_, &QAction::triggered, this, [this](bool on) { StyleClicked(csBold, on); });
  connect(italic_, &QAction::triggered, this, [this](bool on) { StyleClicked(csItalic, on); });
  connect(underline_, &QAction::triggered, this, [this](bool on) { StyleClicked(csUnderline, on); });

  addSeparator();
  left_ = icon("LeftIcon", tr("Left"), AlignmentIcon(alLeft), true);
  right_ = icon("RightIcon", tr("Right"), AlignmentIcon(alRight), true);
  center_ = icon("CenterIcon", tr("Center"), AlignmentIcon(alCenter), true);
  connect(left_, &QAction::triggered, this, [this] { AlignmentClicked(alLeft); });
  connect(right_, &QAction::triggered, this, [this] { AlignmentClicked(alRight); });
  connect(center_, &QAction::triggered, this, [this] { AlignmentClicked(alCenter); });

  addSeparator();
  copy_ = icon("CopyIcon", tr("Copy"), EditIcon("edit-copy", DrawCopy), false);
  cut_ = icon("CutIcon", tr("Cut"), EditIcon("edit-cut", DrawCut), false);
  paste_ = icon("PasteIcon", tr("Paste"), EditIcon("edit-paste", DrawPaste), false);
  // The toolbar's Copy changes nothing and raises no change notification;
  // Cut and Paste do.
  connect(copy_, &QAction::triggered, this, [this] {
    if (editor_) editor_->CopyToClipboard();
  });
  connect(cut_, &QAction::triggered, this, [this] {
    if (editor_) editor_->CutToClipboard();
  });
  connect(paste_, &QAction::triggered, this, [this] {
    if (editor_) editor_->PasteFromClipboard();
  });
}

void TFormatToolBar::SetEditor(TRichText* editor) {
  if (editor_ == editor) return;
  disconnect(caretConnection_);
  disconnect(editStateConnection_);
  disconnect(destroyedConnection_);
  for (const QPointer<QShortcut>& s : shortcuts_) delete s.data();
  shortcuts_.clear();
  editor_ = editor;
  if (editor_) {
    caretConnection_ = connect(editor_, &TRichText::CaretFormatChanged, this, [this] { UpdateFromEditor(); });
    editStateConnection_ = connect(editor_, &TRichText::EditStateChanged, this, [this] { UpdateEditIcons(); });
    destroyedConnection_ = connect(editor_, &QObject::destroyed, this, [this] {
      editor_ = nullptr;
      UpdateFromEditor();
    });
    // The keys users expect for the style icons, while the editor has the
    // focus.
    const std::pair<const char*, QAction*> keys[] = {
        {"Ctrl+B", bold_}, {"Ctrl+I", italic_}, {"Ctrl+U", underline_}};
    for (const auto& [sequence, action] : keys) {
      auto* s = new QShortcut(QKeySequence(sequence), editor_, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
      QAction* target = action;
      connect(s, &QShortcut::activated, this, [target] { target->trigger(); });
      shortcuts_.push_back(s);
    }
  }
  FillColorLists();
  UpdateFromEditor();
}

bool TFormatToolBar::AddExtraButton(QWidget* button) {
  if (!button || int(extraButtons_.size()) >= kMaxExtraButtons) return false;
  if (extraButtons_.empty()) addSeparator();
  button->setParent(this);
  addWidget(button);
  extraButtons_.push_back(button);
  adjustSize();
  updateGeometry();
  return true;
}

void TFormatToolBar::UpdateFromEditor() {
  const bool linked = editor_ != nullptr;
  for (QWidget* w : {static_cast<QWidget*>(fontName_), static_cast<QWidget*>(fontSize_),
                     static_cast<QWidget*>(textColor_), static_cast<QWidget*>(backColor_)})
    w->setEnabled(linked);
  for (QAction* a : {normal_, bold_, italic_, underline_, left_, right_, center_, copy_, cut_, paste_})
    a->setEnabled(linked);
  if (!linked) return;
  UpdateEditIcons();
  ShowAttributes(editor_->CurrentAttributes());
  const TParagraph* p = editor_->CaretParagraph();
  const uint8_t alignment = p ? p->alignment : alLeft;
  // Justified text shows none of the three.
  left_->setChecked(alignment == alLeft);
  right_->setChecked(alignment == alRight);
  center_->setChecked(alignment == alCenter);
}

void TFormatToolBar::UpdateEditIcons() {
  if (!editor_) return;
  const bool selected = editor_->Input().HasSelection();
  copy_->setEnabled(selected);
  cut_->setEnabled(selected && editor_->CanEdit());
  paste_->setEnabled(editor_->CanEdit());
}

void TFormatToolBar::ShowAttributes(const TCharAttr& attr) {
  showing_ = true;
  const QSignalBlocker b1(fontName_), b2(fontSize_), b3(textColor_), b4(backColor_);
  const QString name = Win1252ToQString(editor_->RtfText().header.FontName(attr.font));
  const int row = fontName_->findText(name, Qt::MatchFixedString);
  if (row >= 0) {
    fontName_->setCurrentIndex(row);
  } else {
    // A font this system lacks still shows its name.
    fontName_->setCurrentIndex(-1);
    fontName_->setEditText(name);
  }
  const QString size = QString::number(attr.PointSize());
  const int sizeRow = fontSize_->findText(size);
  fontSize_->setCurrentIndex(sizeRow);
  if (sizeRow < 0) fontSize_->setEditText(size);
  int colorRow = textColor_->findData(int(attr.TextColor()));
  // Entry 15 (black again, the default font's colour) is not listed: the
  // list shows the first entry of the same colour.
  for (int i = 0; colorRow < 0 && i < textColor_->count(); ++i)
    if (editor_->PaletteColor(textColor_->itemData(i).toInt()) == editor_->PaletteColor(attr.TextColor())) colorRow = i;
  textColor_->setCurrentIndex(colorRow);
  backColor_->setCurrentIndex(backColor_->findData(int(attr.BackColor())));
  bold_->setChecked(attr.style & csBold);
  italic_->setChecked(attr.style & csItalic);
  underline_->setChecked(attr.style & csUnderline);
  showing_ = false;
}

void TFormatToolBar::FontNameChosen() {
  if (!editor_ || showing_) return;
  const std::string name = QStringToWin1252(fontName_->currentText().trimmed());
  if (name.empty()) return;
  const int index = editor_->InternFont(name);
  // A full font table cannot take another name.
  if (index < 0 || index >= kFontCount) {
    UpdateFromEditor();
    return;
  }
  editor_->ChangeCharacterFormat([index](TCharAttr& a) { a.font = uint8_t(index); });
}

void TFormatToolBar::FontSizeChosen() {
  if (!editor_ || showing_) return;
  bool ok = false;
  const int size = fontSize_->currentText().trimmed().toInt(&ok);
  if (!ok || size < 1 || size > kMaxSize) {
    UpdateFromEditor();
    return;
  }
  editor_->ChangeCharacterFormat([size](TCharAttr& a) { a.size = uint8_t(size); });
}

void TFormatToolBar::TextColorChosen(int row) {
  if (!editor_ || showing_ || row < 0) return;
  const auto index = uint8_t(textColor_->itemData(row).toInt());
  editor_->ChangeCharacterFormat([index](TCharAttr& a) { a.SetTextColor(index); });
}

void TFormatToolBar::BackColorChosen(int row) {
  if (!editor_ || showing_ || row < 0) return;
  const auto index = uint8_t(backColor_->itemData(row).toInt());
  editor_->ChangeCharacterFormat([index](TCharAttr& a) { a.SetBackColor(index); });
}

void TFormatToolBar::StyleClicked(uint8_t bit, bool on) {
  if (!editor_) return;
  editor_->ChangeCharacterFormat([bit, on](TCharAttr& a) {
    a.style = on ? uint8_t(a.style | bit) : uint8_t(a.style & ~bit);
  });
  // A read-only editor refused: show what really is there.
  UpdateFromEditor();
}

void TFormatToolBar::NormalClicked() {
  if (!editor_) return;
  editor_->ChangeCharacterFormat([](TCharAttr& a) { a.style = 0; });
  UpdateFromEditor();
}

void TFormatToolBar::AlignmentClicked(uint8_t alignment) {
  if (!editor_) return;
  editor_->ChangeParagraphs([alignment](TParagraph& p) { p.alignment = alignment; });
  UpdateFromEditor();
}

}  // namespace quill
