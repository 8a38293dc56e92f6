#pragma once
// A thin horizontal rule drawn across the page.

#include <QWidget>

namespace quill {

class TLineShape : public QWidget {
    Q_OBJECT
public:
    explicit TLineShape(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quill
