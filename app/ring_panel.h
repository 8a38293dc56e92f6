#pragma once
// The diary page: a white sheet bound by a double row of small rings along
// its left edge. The edges are kept free of the controls the page holds.

#include <QWidget>

namespace quill {

class TRingPanel : public QWidget {
    Q_OBJECT
public:
    explicit TRingPanel(QWidget* parent = nullptr);

    int LeftEdge() const { return 31; }
    int RightEdge() const { return 15; }

signals:
    void Resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace quill
