#include "app/look_for_all_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace quill {

TLookForAll::TLookForAll(QWidget* parent) : QDialog(parent) {
    setObjectName("LookForAll");
    setWindowTitle(kLookForAllCaption);
    // A fixed dialog frame without the title bar's buttons: only OK and
    // Cancel (or Escape) end it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    Label1 = new QLabel(kLookForAllPrompt, this);
    LookForText = new QLineEdit(this);
    LookForText->setObjectName("LookForText");
    LookForText->setMinimumWidth(260);
    Label1->setBuddy(LookForText);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelButton");
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(LookForText);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TLookForAll::Text() const { return LookForText->text(); }

void TLookForAll::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    LookForText->setFocus();
}

}  // namespace quill
