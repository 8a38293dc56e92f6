#pragma once
// Holds the editor's place on the page until the rich text editor control is
// built: a white, borderless area with the editor's name. It accepts no input
// and raises no change notification, so no edit can be pending.

#include <QWidget>

namespace quill {

class TRichTextPlaceholder : public QWidget {
    Q_OBJECT
public:
    explicit TRichTextPlaceholder(const QString& name, QWidget* parent = nullptr);

    // Caret to the start of the text and repaint; nothing to move yet.
    void GotoStart() { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quill
