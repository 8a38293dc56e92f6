#pragma once
// Painting into an image and reading its pixels back.

#include <QImage>
#include <QPainter>
#include <functional>

#include "richtext/widget/painter_canvas.h"

namespace quill::test {

// A white image of the given size, painted through a canvas.
inline QImage Paint(int w, int h, const std::function<void(TPainterCanvas&)>& draw) {
  static TQtFontMetrics fonts;
  static TPictureCache pictures;
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  TPainterCanvas canvas(painter, fonts, pictures);
  draw(canvas);
  painter.end();
  return image;
}

// The smallest box holding every pixel for which the test holds; empty when none.
inline QRect BoxOf(const QImage& image, const std::function<bool(QColor)>& test) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (test(image.pixelColor(x, y))) box |= QRect(x, y, 1, 1);
  return box;
}

inline int CountOf(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test) {
  int n = 0;
  const QRect r = area & image.rect();
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (test(image.pixelColor(x, y))) ++n;
  return n;
}

inline bool IsInk(QColor c) { return c.red() < 250 || c.green() < 250 || c.blue() < 250; }
inline bool IsRed(QColor c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; }
inline bool IsBlue(QColor c) { return c.blue() > 150 && c.red() < 100 && c.green() < 100; }
inline bool Is(QColor c, int r, int g, int b) { return c.red() == r && c.green() == g && c.blue() == b; }

}  // namespace quill::test
