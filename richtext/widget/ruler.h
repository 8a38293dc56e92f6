#pragma once
// The ruler above an editor: a scale in inches without numbers, as wide as
// the page's text, showing the caret paragraph's first-line, left and right
// indents and its tab stops. Dragging a marker or a stop changes the
// caret's paragraph (or every selected one); a click on the scale sets a
// stop of the kind shown in the box at the ruler's left end, and a stop
// dragged off the ruler is removed; the right button clears them all.

#include <QPointer>
#include <QWidget>
#include <cstdint>

namespace quill {

class TRichText;
struct TParagraph;

class TRuler : public QWidget {
  Q_OBJECT
 public:
  explicit TRuler(QWidget* parent = nullptr);
  ~TRuler() override;

  void SetEditor(TRichText* editor);
  TRichText* Editor() const { return editor_; }

  // The kind new stops get (tkLeft, tkCenter, tkRight, tkDecimal); a click
  // on the box at the left end moves to the next kind.
  uint8_t TabKind() const { return tabKind_; }
  void SetTabKind(uint8_t kind);
  QRect KindBox() const;

  // Ruler x of a distance in twips from the text's left edge, and back
  // (rounded to the ruler's grid).
  int XOfTwips(int twips) const;
  int TwipsOfX(int x) const;
  // The scale: from the text's left edge for the page's text width.
  QRect Band() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class TGrip { None, FirstIndent, LeftIndent, RightIndent, Tab, NewTab };
  struct THit {
    TGrip grip = TGrip::None;
    int tab = -1;  // tab table index for TGrip::Tab
  };
  THit HitAt(const QPoint& point) const;
  int TextWidthTwips() const;
  const TParagraph* Paragraph() const;
  void Drop(const QPoint& point);
  void DrawTab(class QPainter& p, int x, int baseline, uint8_t kind) const;

  QPointer<TRichText> editor_;
  uint8_t tabKind_ = 0;
  THit drag_;
  QPoint pressAt_;
  int dragX_ = 0;
  bool dragOff_ = false;
};

}  // namespace quill
