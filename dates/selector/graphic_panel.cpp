#include "dates/selector/graphic_panel.h"

#include <QPainter>

namespace quill {

namespace {

// A bevel of WIDTH pixels just inside R; returns what is left inside it.
QRect DrawBevel(QPainter& p, QRect r, TBevelCut cut, int width, const QPalette& palette) {
    if (cut == TBevelCut::bvNone || width <= 0) return r;
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor topLeft = cut == TBevelCut::bvRaised ? light : dark;
    const QColor bottomRight = cut == TBevelCut::bvRaised ? dark : light;
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
    return r;
}

}  // namespace

TGraphicPanel::TGraphicPanel(QWidget* parent) : QWidget(parent) {
    // No native window: Qt paints the panel as part of its parent.
    setAttribute(Qt::WA_NativeWindow, false);
    resize(185, 41);
}

void TGraphicPanel::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    update();
}

QRect TGraphicPanel::FaceRect() const {
    QRect r = rect();
    if (BorderStyle == TPanelBorderStyle::bsSingle) r.adjust(1, 1, -1, -1);
    const int outer = BevelOuter == TBevelCut::bvNone ? 0 : BevelWidth;
    const int inner = BevelInner == TBevelCut::bvNone ? 0 : BevelWidth;
    const int inset = outer + BorderWidth + inner;
    return r.adjusted(inset, inset, -inset, -inset);
}

void TGraphicPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor face = Color.isValid() ? Color : palette().color(QPalette::Button);
    QRect r = rect();
    if (BorderStyle == TPanelBorderStyle::bsSingle) {
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    r = DrawBevel(p, r, BevelOuter, BevelWidth, palette());
    if (BorderWidth > 0) {
        p.fillRect(r, face);
        r.adjust(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth);
    }
    r = DrawBevel(p, r, BevelInner, BevelWidth, palette());
    p.fillRect(r, face);
    if (caption_.isEmpty()) return;
    p.setFont(font());
    p.setPen(palette().color(QPalette::ButtonText));
    const Qt::Alignment horizontal = Alignment & Qt::AlignHorizontal_Mask;
    p.drawText(r, int(horizontal ? horizontal : Qt::AlignHCenter) | Qt::AlignVCenter | Qt::TextSingleLine, caption_);
}

}  // namespace quill
