#include "app/rich_text_placeholder.h"

#include <QPainter>

namespace quill {

TRichTextPlaceholder::TRichTextPlaceholder(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void TRichTextPlaceholder::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
}

}  // namespace quill
