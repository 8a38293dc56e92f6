#include "app/action_button.h"

#include <QPainter>
#include <QPen>

namespace quill {

TActionButton::TActionButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setFlat(true);
    setFocusPolicy(Qt::TabFocus);
}

void TActionButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (!hasFocus()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Active, QPalette::Highlight));
    pen.setWidthF(1.5);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
}

}  // namespace quill
