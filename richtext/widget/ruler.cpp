#include "richtext/widget/ruler.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>

#include "richtext/widget/rich_text.h"

namespace quill {

namespace {

constexpr int kHeight = 24;
constexpr int kBandTop = 4;
constexpr int kBandHeight = 16;
constexpr int kGrab = 4;  // pixels either side of a marker that pick it up
// A stop dragged this far above or below the ruler is removed.
constexpr int kOffDistance = 10;

// The order a click on the kind box steps through.
uint8_t NextKind(uint8_t kind) {
  switch (kind) {
    case tkLeft: return tkCenter;
    case tkCenter: return tkRight;
    case tkRight: return tkDecimal;
    default: return tkLeft;
  }
}

bool HasTabs(const TParagraph& p) { return !p.IsTableCell(); }

}  // namespace

TRuler::TRuler(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kHeight);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setMouseTracking(false);
}

TRuler::~TRuler() { SetEditor(nullptr); }

QSize TRuler::sizeHint() const { return QSize(400, kHeight); }

void TRuler::SetEditor(TRichText* editor) {
  if (editor_ == editor) return;
  if (editor_) {
    disconnect(editor_, nullptr, this, nullptr);
    disconnect(editor_->horizontalScrollBar(), nullptr, this, nullptr);
    editor_->removeEventFilter(this);
  }
  editor_ = editor;
  if (editor_) {
    connect(editor_, &TRichText::CaretFormatChanged, this, qOverload<>(&QWidget::update));
    connect(editor_->horizontalScrollBar(), &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    // The scale follows the editor's place on the window.
    editor_->installEventFilter(this);
  }
  drag_ = {};
  update();
}

bool TRuler::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editor_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                             event->type() == QEvent::Show))
    update();
  return QWidget::eventFilter(watched, event);
}

void TRuler::SetTabKind(uint8_t kind) {
  tabKind_ = kind <= tkDecimal ? kind : tkLeft;
  update(KindBox());
}

QRect TRuler::KindBox() const { return QRect(2, kBandTop, kBandHeight, kBandHeight); }

const TParagraph* TRuler::Paragraph() const { return editor_ ? editor_->CaretParagraph() : nullptr; }

int TRuler::TextWidthTwips() const {
  if (!editor_) return 0;
  const TTextHeader& h = editor_->RtfText().header;
  return std::max(0, h.pageWidth - h.marginLeft - h.marginRight);
}

QRect TRuler::Band() const {
  const int left = XOfTwips(0);
  const int right = XOfTwips(TextWidthTwips());
  return QRect(left, kBandTop, std::max(right - left, 0), kBandHeight);
}

int TRuler::XOfTwips(int twips) const {
  if (!editor_) return 0;
  const int dpi = std::max(logicalDpiX(), 1);
  QWidget* view = editor_->viewport();
  // The editor draws a line's first character one pixel in from its indent.
  const int origin = mapFromGlobal(view->mapToGlobal(QPoint(0, 0))).x() + 1 - editor_->horizontalScrollBar()->value();
  const TTextHeader& h = editor_->RtfText().header;
  const int pixels = h.resolutionX > 0 ? h.TwipsToPixelsX(twips) : int(int64_t(twips) * dpi / 1440);
  return origin + pixels;
}

int TRuler::TwipsOfX(int x) const {
  if (!editor_) return 0;
  const TTextHeader& h = editor_->RtfText().header;
  const int dpi = h.resolutionX > 0 ? h.resolutionX : std::max(logicalDpiX(), 1);
  const int twips = int(int64_t(x - XOfTwips(0)) * 1440 / dpi);
  return std::clamp(h.SnapToGrid(std::max(twips, 0)), 0, TextWidthTwips());
}

TRuler::THit TRuler::HitAt(const QPoint& point) const {
  const TParagraph* p = Paragraph();
  if (!p) return {};
  const QRect band = Band();
  if (point.y() < band.top() - 2 || point.y() > band.bottom() + 2) return {};
  const int x = point.x();
  const bool upper = point.y() < band.center().y();
  auto near = [x](int at) { return std::abs(x - at) <= kGrab; };
  if (upper && near(XOfTwips(p->firstIndent))) return {TGrip::FirstIndent};
  if (!upper && near(XOfTwips(p->leftIndent))) return {TGrip::LeftIndent};
  if (!upper && near(XOfTwips(TextWidthTwips() - p->rightIndent))) return {TGrip::RightIndent};
  if (HasTabs(*p)) {
    const TTextHeader& h = editor_->RtfText().header;
    for (int i = 0; i < kTabCount; ++i)
      if ((p->tabMask >> i & 1u) && h.tabPositions[size_t(i)] > 0 && near(XOfTwips(h.tabPositions[size_t(i)])))
        return {TGrip::Tab, i};
  }
  if (x >= band.left() && x <= band.right()) return {TGrip::NewTab};
  return {};
}

void TRuler::contextMenuEvent(QContextMenuEvent* e) {
  // The right button on the scale offers to clear the paragraphs' stops.
  if (!editor_ || !editor_->CanEdit() || !Band().contains(e->pos())) return;
  const TParagraph* p = Paragraph();
  if (!p || !HasTabs(*p) || p->tabMask == 0) return;
  const QString question = QString::fromUtf8(editor_->Messages().deleteTabsQuestion.data(),
                                             qsizetype(editor_->Messages().deleteTabsQuestion.size()));
  if (QMessageBox::question(this, tr("Confirm"), question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  if (!editor_) return;
  editor_->ChangeParagraphs([](TParagraph& par) {
    if (HasTabs(par)) par.tabMask = 0;
  });
}

void TRuler::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  pressAt_ = e->position().toPoint();
  dragX_ = pressAt_.x();
  dragOff_ = false;
  drag_ = {};
  if (KindBox().contains(pressAt_)) {
    SetTabKind(NextKind(tabKind_));
    return;
  }
  if (!editor_ || !editor_->CanEdit()) return;
  drag_ = HitAt(pressAt_);
  update();
}

void TRuler::mouseMoveEvent(QMouseEvent* e) {
  if (drag_.grip == TGrip::None || !(e->buttons() & Qt::LeftButton)) return;
  const QPoint at = e->position().toPoint();
  dragX_ = at.x();
  dragOff_ = at.y() < -kOffDistance || at.y() > height() + kOffDistance;
  update();
}

void TRuler::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || drag_.grip == TGrip::None) return;
  const QPoint at = e->position().toPoint();
  dragOff_ = at.y() < -kOffDistance || at.y() > height() + kOffDistance;
  Drop(at);
  drag_ = {};
  update();
}

void TRuler::Drop(const QPoint& point) {
  if (!editor_) return;
  TTextHeader& h = editor_->RtfText().header;
  const int twips = TwipsOfX(point.x());
  switch (drag_.grip) {
    case TGrip::FirstIndent:
      if (!dragOff_) editor_->ChangeParagraphs([twips](TParagraph& p) { p.firstIndent = twips; });
      break;
    case TGrip::LeftIndent:
      if (!dragOff_) editor_->ChangeParagraphs([twips](TParagraph& p) { p.leftIndent = twips; });
      break;
    case TGrip::RightIndent:
      if (!dragOff_) {
        const int right = h.SnapToGrid(std::max(0, TextWidthTwips() - twips));
        editor_->ChangeParagraphs([right](TParagraph& p) { p.rightIndent = right; });
      }
      break;
    case TGrip::Tab: {
      const uint32_t oldBit = 1u << drag_.tab;
      uint32_t newBit = 0;
      if (!dragOff_) {
        if (twips <= 0) return;  // a stop at the very edge means nothing: keep the old one
        newBit = h.FindOrAddTab(twips, h.tabKinds[size_t(drag_.tab)]);
        if (newBit == 0 || newBit == oldBit) return;
      }
      editor_->ChangeParagraphs([oldBit, newBit](TParagraph& p) {
        if (HasTabs(p) && (p.tabMask & oldBit)) p.tabMask = (p.tabMask & ~oldBit) | newBit;
      });
      break;
    }
    case TGrip::NewTab: {
      if (dragOff_ || twips <= 0) return;
      const uint32_t bit = h.FindOrAddTab(twips, tabKind_);
      if (bit == 0) return;  // the document's tab table is full
      int index = 0;
      while (!(bit >> index & 1u)) ++index;
      const int32_t position = h.tabPositions[size_t(index)];
      // A stop of another kind at the same place gives way to the new one.
      uint32_t samePlace = 0;
      for (int i = 0; i < kTabCount; ++i)
        if (i != index && h.tabPositions[size_t(i)] == position) samePlace |= 1u << i;
      editor_->ChangeParagraphs([bit, samePlace](TParagraph& p) {
        if (HasTabs(p)) p.tabMask = (p.tabMask & ~samePlace) | bit;
      });
      break;
    }
    case TGrip::None: break;
  }
}

void TRuler::DrawTab(QPainter& p, int x, int baseline, uint8_t kind) const {
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(x, baseline - 6, x, baseline);
  switch (kind) {
    case tkLeft: p.drawLine(x, baseline, x + 5, baseline); break;
    case tkRight: p.drawLine(x - 5, baseline, x, baseline); break;
    case tkCenter: p.drawLine(x - 4, baseline, x + 4, baseline); break;
    default:
      p.drawLine(x - 4, baseline, x + 4, baseline);
      p.drawPoint(x + 3, baseline - 4);
      break;
  }
}

void TRuler::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  if (editor_) {
    const QRect band = Band();
    p.fillRect(band, Qt::white);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(band.adjusted(0, 0, -1, -1));
    // Ticks every eighth of an inch, longer at halves and whole inches.
    p.setPen(Qt::black);
    const int mid = band.center().y();
    for (int eighth = 1;; ++eighth) {
      const int x = XOfTwips(eighth * 180);
      if (x >= band.right()) break;
      const int len = eighth % 8 == 0 ? 8 : (eighth % 4 == 0 ? 5 : 2);
      p.drawLine(x, mid - len / 2, x, mid - len / 2 + len);
    }
    if (const TParagraph* par = Paragraph()) {
      const TTextHeader& h = editor_->RtfText().header;
      if (HasTabs(*par))
        for (int i = 0; i < kTabCount; ++i)
          if ((par->tabMask >> i & 1u) && h.tabPositions[size_t(i)] > 0)
            DrawTab(p, XOfTwips(h.tabPositions[size_t(i)]), band.bottom() - 1, h.tabKinds[size_t(i)]);
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(Qt::black);
      p.setBrush(QColor(0xC0, 0xC0, 0xC0));
      auto down = [&](int x) {
        const QPoint pts[] = {{x - 4, band.top()}, {x + 4, band.top()}, {x, band.top() + 6}};
        p.drawPolygon(pts, 3);
      };
      auto up = [&](int x) {
        const QPoint pts[] = {{x - 4, band.bottom()}, {x + 4, band.bottom()}, {x, band.bottom() - 6}};
        p.drawPolygon(pts, 3);
      };
      down(XOfTwips(par->firstIndent));
      up(XOfTwips(par->leftIndent));
      up(XOfTwips(TextWidthTwips() - par->rightIndent));
      p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (drag_.grip != TGrip::None && drag_.grip != TGrip::NewTab) {
      p.setPen(QPen(Qt::darkGray, 1, Qt::DotLine));
      p.drawLine(dragX_, 0, dragX_, height());
    }
  }
  // The kind box at the left end shows what a click on the scale sets.
  const QRect box = KindBox();
  p.fillRect(box, palette().base());
  p.setPen(Qt::gray);
  p.drawRect(box.adjusted(0, 0, -1, -1));
  DrawTab(p, box.center().x(), box.bottom() - 4, tabKind_);
}

}  // namespace quill
