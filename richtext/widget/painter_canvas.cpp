#include "richtext/widget/painter_canvas.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <vector>

#include "richtext/model/char_attr.h"
#include "richtext/model/text_object.h"
#include "richtext/widget/win1252_codec.h"

namespace quill {

QColor QtColorOf(uint32_t color) { return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)); }

void TPainterCanvas::DrawText(int x, int baseline, int width, int ascent, int height, std::string_view text,
                              const TTextRunStyle& style) {
  const TQtFontEntry& entry = fonts_.Entry(style.font);
  const int top = baseline - ascent;
  if (style.hasBackground && width > 0 && height > 0)
    painter_.fillRect(x, top, width, height, QtColorOf(style.background));

  // Where each character starts: the measured widths, with a justified
  // run's surplus spread over its spaces.
  const auto& widths = entry.measures.widths;
  int natural = 0, spaces = 0;
  for (char ch : text) {
    natural += widths[uint8_t(ch)];
    if (ch == ' ') ++spaces;
  }
  const int surplus = width - natural;
  const int perSpace = (surplus > 0 && spaces > 0) ? surplus / spaces : 0;
  int leftOver = (surplus > 0 && spaces > 0) ? surplus % spaces : 0;

  const QColor color = QtColorOf(style.color);
  const int glyphBaseline = baseline + entry.baselineShift;
  QList<quint32> glyphs;
  QList<QPointF> positions;
  std::vector<std::pair<int, QChar>> unplaced;  // characters the raw font lacks
  glyphs.reserve(qsizetype(text.size()));
  positions.reserve(qsizetype(text.size()));
  int pen = x;
  for (char raw : text) {
    const uint8_t c = uint8_t(raw);
    // Codes without a width of their own (tab, line break, object
    // characters, unused bytes) draw nothing.
    if (c != ' ' && widths[c] > 0) {
      if (entry.glyphs[c] != 0) {
        glyphs.push_back(entry.glyphs[c]);
        positions.push_back(QPointF(pen, glyphBaseline));
      } else {
        unplaced.emplace_back(pen, QChar{char16_t(Win1252ToUnicode(c))});
      }
    }
    pen += widths[c];
    if (c == ' ' && perSpace + leftOver > 0) {
      pen += perSpace;
      if (leftOver > 0) {
        ++pen;
        --leftOver;
      }
    }
  }

  painter_.save();
  painter_.setPen(color);
  if (!glyphs.isEmpty()) {
    QGlyphRun run;
    run.setRawFont(entry.rawFont);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter_.drawGlyphRun(QPointF(0, 0), run);
  }
  if (!unplaced.empty()) {
    // Qt finds another font for these.
    painter_.setFont(entry.font);
    for (const auto& [at, ch] : unplaced) painter_.drawText(QPointF(at, glyphBaseline), QString(ch));
  }
  painter_.restore();

  const uint8_t bits = style.font.style;
  const int thick = entry.lineThickness;
  if (width > 0 && (bits & (csUnderline | csDoubleUnderline))) {
    const int y = baseline + entry.underlineOffset;
    painter_.fillRect(x, y, width, thick, color);
    if (bits & csDoubleUnderline) painter_.fillRect(x, y + 2 * thick, width, thick, color);
  }
  if (width > 0 && (bits & csStrikeOut)) painter_.fillRect(x, baseline - entry.strikeOutOffset, width, thick, color);
}

void TPainterCanvas::FillRect(int x, int y, int w, int h, uint32_t color) {
  if (w > 0 && h > 0) painter_.fillRect(x, y, w, h, QtColorOf(color));
}

void TPainterCanvas::DrawLine(int x1, int y1, int x2, int y2, uint32_t color, int width, bool dotted) {
  QPen pen(QtColorOf(color), std::max(1, width));
  pen.setCapStyle(Qt::FlatCap);
  // Every other pixel, as markers on screen are drawn.
  if (dotted) pen.setDashPattern({1, 1});
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setPen(pen);
  if (x1 == x2 || y1 == y2) {
    // Straight lines cover exactly the pixels from one end to the other.
    const double off = std::max(1, width) % 2 ? 0.5 : 0.0;
    if (y1 == y2)
      painter_.drawLine(QPointF(std::min(x1, x2), y1 + off), QPointF(std::max(x1, x2) + 1, y1 + off));
    else
      painter_.drawLine(QPointF(x1 + off, std::min(y1, y2)), QPointF(x1 + off, std::max(y1, y2) + 1));
  } else {
    painter_.drawLine(x1, y1, x2, y2);
  }
  painter_.restore();
}

void TPainterCanvas::DrawPicture(int x, int y, int w, int h, const TPicture* picture) {
  if (w <= 0 || h <= 0) return;
  const QImage* image = pictures_.Find(picture);
  if (!image) {
    DrawPlaceholder(x, y, w, h);
    return;
  }
  painter_.save();
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter_.drawImage(QRect(x, y, w, h), *image);
  painter_.restore();
}

void TPainterCanvas::DrawPlaceholder(int x, int y, int w, int h) {
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(QColor(128, 128, 128), 1);
  pen.setJoinStyle(Qt::MiterJoin);
  painter_.setPen(pen);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRectF(x + 0.5, y + 0.5, w - 1, h - 1));
  painter_.restore();
}

void TPainterCanvas::HighlightRect(int x, int y, int w, int h) {
  if (w <= 0 || h <= 0) return;
  painter_.save();
  const QPaintEngine* engine = painter_.paintEngine();
  if (engine && engine->hasFeature(QPaintEngine::BlendModes)) {
    // Inverting shows the selection on any colour and undoes itself.
    painter_.setCompositionMode(QPainter::CompositionMode_Difference);
    painter_.fillRect(x, y, w, h, Qt::white);
  } else {
    painter_.fillRect(x, y, w, h, QColor(0, 120, 215, 90));
  }
  painter_.restore();
}

}  // namespace quill
