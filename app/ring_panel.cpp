#include "app/ring_panel.h"

#include <QPainter>
#include <QPainterPath>

namespace quill {

TRingPanel::TRingPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("RingPanel1");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TRingPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit Resized();
}

void TRingPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect all = rect();
    // The desk behind the sheet.
    p.fillRect(all, QColor(0x80, 0x80, 0x80));

    // The sheet, with a soft shadow on its right and bottom.
    const int sheetLeft = 14;
    const QRectF sheet(sheetLeft, 4, all.width() - sheetLeft - 6, all.height() - 9);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(sheet.translated(3, 3), 3, 3);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    p.drawRoundedRect(sheet, 3, 3);

    // A margin line that keeps writing clear of the binding.
    p.setPen(QPen(QColor(0xE0, 0xA0, 0xA0), 1));
    p.drawLine(QPointF(LeftEdge() + 6, sheet.top() + 1), QPointF(LeftEdge() + 6, sheet.bottom() - 1));

    // Punched holes and the double rings through them.
    const int pitch = 18;
    for (int y = 16; y + 8 < all.height() - 8; y += pitch) {
        const QPointF hole(sheetLeft + 9, y);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x50, 0x50, 0x50));
        p.drawEllipse(hole, 3.0, 3.0);
        for (int ring = 0; ring < 2; ++ring) {
            const qreal dy = ring * 5.0 - 2.5;
            QPainterPath arc;
            arc.moveTo(hole.x() + 1, y + dy);
            arc.cubicTo(hole.x() - 4, y + dy - 5, 1, y + dy - 5, 1, y + dy);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2.6, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(arc);
            p.setPen(QPen(QColor(0xD8, 0xD8, 0xD8), 1.1, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(arc);
        }
    }
}

}  // namespace quill
