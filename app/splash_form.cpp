#include "app/splash_form.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace quill {

TSplashform::TSplashform(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog) {
    setObjectName("Splashform");
    setWindowTitle("Quillbook!");
    setFixedSize(385, 242);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    Panel1->setGeometry(0, 0, 385, 242);

    TitleLabel = new QLabel("Quillbook!", Panel1);
    QFont title("Times New Roman");
    title.setPixelSize(48);
    title.setBold(true);
    title.setItalic(true);
    TitleLabel->setFont(title);
    TitleLabel->setAlignment(Qt::AlignCenter);

    VersionLabel = new QLabel("Version 1.8", Panel1);
    VersionLabel->setAlignment(Qt::AlignCenter);

    PlatformLabel = new QLabel("32-bit version for Windows 95", Panel1);
    PlatformLabel->setAlignment(Qt::AlignCenter);
    QPalette red = PlatformLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    PlatformLabel->setPalette(red);
    PlatformLabel->setVisible(true);

    OkButton = new QPushButton("Ok", Panel1);
    OkButton->setObjectName("OkButton");
    OkButton->setDefault(true);
    OkButton->hide();
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* column = new QVBoxLayout(Panel1);
    column->setContentsMargins(16, 16, 16, 16);
    column->addStretch(2);
    column->addWidget(TitleLabel);
    column->addSpacing(8);
    column->addWidget(VersionLabel);
    column->addWidget(PlatformLabel);
    column->addStretch(3);
    column->addWidget(OkButton, 0, Qt::AlignHCenter);

    CenterOnScreen();
}

void TSplashform::CenterOnScreen() {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect area = s->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

}  // namespace quill
