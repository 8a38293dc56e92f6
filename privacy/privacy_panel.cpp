#include "privacy/privacy_panel.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "privacy/password_text.h"
#include "privacy/star_mask.h"

namespace quill {

TPrivacyPanel::TPrivacyPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("PrivacyPanel");
    setAutoFillBackground(true);
    setFrameShape(QFrame::NoFrame);

    Label1 = new QLabel("This diary requires a password. Please enter your password and press OK",
                        this);
    Label1->setObjectName("Label1");
    QFont labelFont("Arial");
    labelFont.setPixelSize(16);
    labelFont.setBold(true);
    Label1->setFont(labelFont);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignCenter);

    Pass = new QLineEdit(this);
    Pass->setObjectName("Pass");
    MaskWithStars(Pass);
    Pass->setEchoMode(QLineEdit::Password);
    Pass->setFixedWidth(180);

    BitBtn1 = new QPushButton("OK", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton("Close", this);
    BitBtn2->setObjectName("BitBtn2");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch();

    auto* passRow = new QHBoxLayout;
    passRow->addStretch();
    passRow->addWidget(Pass);
    passRow->addStretch();

    auto* column = new QVBoxLayout(this);
    column->addStretch(2);
    column->addWidget(Label1);
    column->addSpacing(16);
    column->addLayout(passRow);
    column->addSpacing(12);
    column->addLayout(buttons);
    column->addStretch(3);
    column->setContentsMargins(24, 12, 24, 12);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    // Enter in the box presses the default button, as in a dialog.
    connect(Pass, &QLineEdit::returnPressed, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

void TPrivacyPanel::BitBtn1Click() {
    const std::string typed = PasswordBytes(Pass->text());
    if (check_ && check_(typed)) {
        Pass->clear();
        emit PasswordAccepted(typed);
    } else {
        emit PasswordRejected();
    }
}

void TPrivacyPanel::BitBtn2Click() { emit CloseRequested(); }

}  // namespace quill
