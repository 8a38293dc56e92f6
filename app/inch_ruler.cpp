#include "app/inch_ruler.h"

#include <QPainter>

namespace quill {

TInchRuler::TInchRuler(QWidget* parent) : QWidget(parent) {
    setObjectName("Ruler1");
    setFixedHeight(22);
}

void TInchRuler::SetOrigin(int x) {
    origin_ = x;
    update();
}

void TInchRuler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRect band(origin_, 4, width() - origin_ - 8, height() - 8);
    p.fillRect(band, Qt::white);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(band.adjusted(0, 0, -1, -1));
    const double perInch = logicalDpiX();
    p.setPen(Qt::black);
    for (int eighth = 1;; ++eighth) {
        const int x = origin_ + static_cast<int>(eighth * perInch / 8.0 + 0.5);
        if (x >= band.right()) break;
        const int len = eighth % 8 == 0 ? 8 : (eighth % 4 == 0 ? 5 : 2);
        const int mid = band.center().y();
        p.drawLine(x, mid - len / 2, x, mid - len / 2 + len);
    }
}

}  // namespace quill
