#pragma once
// The flat buttons of the action bar. Flat buttons draw no frame, and with
// it the style draws no focus either; these draw a focus ring of their own
// so that a keyboard user sees where Tab has gone.

#include <QPushButton>

namespace quill {

class TActionButton : public QPushButton {
    Q_OBJECT
public:
    TActionButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quill
