#pragma once
// A caption panel drawn by its parent's paint, with no native window of its
// own: an optional black line, an outer bevel, a border in the face colour,
// an optional inner bevel, the face, and the caption on one line, centred
// vertically.

#include <QColor>
#include <QWidget>

namespace quill {

enum class TBevelCut { bvNone, bvLowered, bvRaised };
enum class TPanelBorderStyle { bsNone, bsSingle };

class TGraphicPanel : public QWidget {
    Q_OBJECT
public:
    explicit TGraphicPanel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    TPanelBorderStyle BorderStyle = TPanelBorderStyle::bsNone;
    TBevelCut BevelOuter = TBevelCut::bvRaised;
    TBevelCut BevelInner = TBevelCut::bvNone;
    int BevelWidth = 1;
    int BorderWidth = 0;  // band of face colour between the two bevels
    Qt::Alignment Alignment = Qt::AlignHCenter;
    QColor Color;  // the face; buttons' face colour unless set

    // The rectangle left for the face once the border and bevels are drawn.
    QRect FaceRect() const;

    QSize sizeHint() const override { return {185, 41}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

}  // namespace quill
