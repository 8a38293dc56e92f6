#pragma once
// A ruler in inches without numbers: tick marks every eighth of an inch,
// longer at halves and whole inches, starting where the page text starts.
// It only shows the scale; indent markers belong to the editor's ruler.

#include <QWidget>

namespace quill {

class TInchRuler : public QWidget {
    Q_OBJECT
public:
    explicit TInchRuler(QWidget* parent = nullptr);

    // Pixel position of the ruler's zero, in the ruler's own coordinates.
    void SetOrigin(int x);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int origin_ = 0;
};

}  // namespace quill
