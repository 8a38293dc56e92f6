#include "dates/selector/mark_image.h"

#include <QPainter>

namespace quill {

QImage EntryMarkImage() {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    // Hard edges only: a blended pixel near white would show as a grey fringe.
    p.setRenderHint(QPainter::Antialiasing, false);
    // A page with a folded corner and three lines of writing.
    const QColor paper(0xFF, 0xF4, 0xC0), edge(0x80, 0x50, 0x10), ink(0x20, 0x40, 0xA0);
    const QPoint outline[] = {{2, 1}, {9, 1}, {13, 5}, {13, 14}, {2, 14}};
    p.setPen(edge);
    p.setBrush(paper);
    p.drawPolygon(outline, 5);
    p.drawLine(9, 1, 9, 5);
    p.drawLine(9, 5, 13, 5);
    p.setPen(ink);
    p.drawLine(4, 7, 11, 7);
    p.drawLine(4, 9, 11, 9);
    p.drawLine(4, 11, 9, 11);
    return image;
}

QImage WhiteAsTransparent(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == 0x00FFFFFF) line[x] = 0;
    }
    return out;
}

}  // namespace quill
