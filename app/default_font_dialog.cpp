#include "app/default_font_dialog.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/message_boxes.h"

namespace quill {

namespace {

QColor ToQColor(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

std::uint32_t FromQColor(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

void ShowSwatch(QPushButton* button, std::uint32_t color) {
    QPixmap swatch(28, 14);
    swatch.fill(ToQColor(color));
    button->setIcon(QIcon(swatch));
}

}  // namespace

TDefaultFontDialog::TDefaultFontDialog(QObject* parent) : QObject(parent) {
    setObjectName("DefaultFontdialog");
    font = QFont("Arial", 10);
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
}

bool TDefaultFontDialog::Execute(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName("DefaultFontDialogWindow");
    dialog.setWindowTitle("Font");
    auto* fonts = new QFontDialog(&dialog);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setCurrentFont(font);
    fonts->setWindowFlags(Qt::Widget);

    std::uint32_t chosenColor = color;
    auto* colorButton = new QPushButton("&Color...", &dialog);
    ShowSwatch(colorButton, chosenColor);
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        QColor c = QColorDialog::getColor(ToQColor(chosenColor), &dialog, "Color");
        if (c.isValid()) {
            chosenColor = FromQColor(c);
            ShowSwatch(colorButton, chosenColor);
        }
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(colorButton);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(fonts);
    column->addLayout(bottom);

    CenterOverMainWindow(&dialog);
    if (dialog.exec() != QDialog::Accepted) return false;
    font = fonts->currentFont();
    color = chosenColor;
    return true;
}

}  // namespace quill
