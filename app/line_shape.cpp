#include "app/line_shape.h"

#include <QPainter>

namespace quill {

TLineShape::TLineShape(QWidget* parent) : QWidget(parent) { setFixedHeight(3); }

void TLineShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(QColor(0x80, 0x00, 0x80), 1));
    p.drawLine(0, 1, width(), 1);
    p.setPen(QPen(QColor(0xD0, 0xB0, 0xD0), 1));
    p.drawLine(0, 2, width(), 2);
}

}  // namespace quill
