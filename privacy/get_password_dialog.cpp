#include "privacy/get_password_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "privacy/password_text.h"
#include "privacy/star_mask.h"

namespace quill {

TGetPassword::TGetPassword(Setup setup, QWidget* parent) : QDialog(parent), setup_(std::move(setup)) {
    setObjectName("GetPassword");
    setWindowTitle("Set Up Password");
    // No title-bar buttons: while the diary is re-written nothing may close it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    auto* column = new QVBoxLayout(this);

    // The label under the panel shows once the panel is hidden.
    auto* stack = new QWidget(this);
    auto* stackGrid = new QGridLayout(stack);
    stackGrid->setContentsMargins(0, 0, 0, 0);
    ProcessingLabel = new QLabel("Processing new password:", stack);
    ProcessingLabel->setObjectName("ProcessingLabel");
    ProcessingLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    stackGrid->addWidget(ProcessingLabel, 0, 0);

    PassPanel = new QFrame(stack);
    PassPanel->setObjectName("PassPanel");
    PassPanel->setAutoFillBackground(true);
    auto* grid = new QGridLayout(PassPanel);
    OldPasswordLabel = new QLabel("Old Password", PassPanel);
    OldPassword = new QLineEdit(PassPanel);
    OldPassword->setObjectName("OldPassword");
    OldPassword->setMaxLength(kMaxPasswordLength);
    OldPassword->setEchoMode(QLineEdit::Password);
    MaskWithStars(OldPassword);
    NoneLabel = new QLabel("(none)", PassPanel);
    NoneLabel->setObjectName("NoneLabel");
    NewPasswordLabel = new QLabel("New Password", PassPanel);
    NewPassword = new QLineEdit(PassPanel);
    NewPassword->setObjectName("NewPassword");
    NewPassword->setMaxLength(kMaxPasswordLength);
    HintLabel = new QLabel("(maximum 8 chars - A-Z, 0-9 and spaces)", PassPanel);
    HintLabel->setObjectName("HintLabel");
    OldPasswordLabel->setBuddy(OldPassword);
    NewPasswordLabel->setBuddy(NewPassword);
    grid->addWidget(OldPasswordLabel, 0, 0);
    // The edit covers the "(none)" label; hiding it uncovers the label.
    grid->addWidget(NoneLabel, 0, 1);
    grid->addWidget(OldPassword, 0, 1);
    grid->addWidget(NewPasswordLabel, 1, 0);
    grid->addWidget(NewPassword, 1, 1);
    grid->addWidget(HintLabel, 2, 1);
    stackGrid->addWidget(PassPanel, 0, 0);
    column->addWidget(stack);

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->hide();
    column->addWidget(Gauge1);

    auto* buttons = new QHBoxLayout;
    OkButton = new QPushButton("OK", this);
    OkButton->setObjectName("OkButton");
    OkButton->setDefault(true);
    OkButton->setAutoDefault(true);
    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setAutoDefault(false);
    ClearButton = new QPushButton("Clear (no password)", this);
    ClearButton->setObjectName("ClearButton");
    ClearButton->setAutoDefault(false);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(ClearButton);
    column->addLayout(buttons);

    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(ClearButton, &QPushButton::clicked, this, [this] { ClearButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { reject(); });
    connect(NewPassword, &QLineEdit::textEdited, this, [this] { refusedOnExit_ = false; });
    NewPassword->installEventFilter(this);

    FormCreate();
}

void TGetPassword::FormCreate() {
    current_ = setup_.currentPassword;
    const bool none = current_.empty();
    OldPassword->setVisible(!none);
    NoneLabel->setVisible(none);
    (none ? NewPassword : OldPassword)->setFocus();
}

void TGetPassword::Inform(const QString& text) {
    if (setup_.showInformation)
        setup_.showInformation(text);
    else
        QMessageBox::information(this, "Information", text);
}

bool TGetPassword::eventFilter(QObject* watched, QEvent* event) {
    if (watched == NewPassword && event->type() == QEvent::FocusOut && !processing_) {
        // Not when the window itself loses the focus (a message box).
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            NewPasswordExit();
    }
    return QDialog::eventFilter(watched, event);
}

bool TGetPassword::NewPasswordExit() {
    if (PasswordCharactersValid(PasswordBytes(NewPassword->text()))) return true;
    if (setup_.beep)
        setup_.beep();
    else
        QApplication::beep();
    refusedOnExit_ = true;
    Inform(kBadPasswordCharactersMessage);
    NewPassword->clear();
    NewPassword->setFocus();
    return false;
}

bool TGetPassword::checkoldpassword() const {
    return OldPasswordAccepted(OldPassword->isHidden(), PasswordBytes(OldPassword->text()), current_);
}

void TGetPassword::OkButtonClick() {
    // A click that took the focus from a refused new password acts on the
    // emptied edit: that would clear the password the user meant to set.
    if (refusedOnExit_) {
        refusedOnExit_ = false;
        return;
    }
    if (!NewPasswordExit()) {
        refusedOnExit_ = false;
        return;
    }
    if (NewPassword->text().isEmpty()) {
        ClearButtonClick();
        return;
    }
    if (!checkoldpassword()) {
        Inform(OldPasswordRefusal(PasswordBytes(OldPassword->text())));
        return;
    }
    ProcessPassword(current_, PasswordBytes(NewPassword->text()));
}

void TGetPassword::ClearButtonClick() {
    refusedOnExit_ = false;
    if (!checkoldpassword()) {
        Inform(OldPasswordRefusal(PasswordBytes(OldPassword->text())));
        return;
    }
    ProcessPassword(current_, std::string());
}

void TGetPassword::SetBusy(bool busy) {
    processing_ = busy;
    OkButton->setEnabled(!busy);
    CancelButton->setEnabled(!busy);
    ClearButton->setEnabled(!busy);
    PassPanel->setVisible(!busy);
}

void TGetPassword::ProcessPassword(const std::string& oldPassword, const std::string& newPassword) {
    SetBusy(true);
    const bool rewrite = oldPassword != newPassword;
    if (rewrite) {
        Gauge1->setValue(0);
        Gauge1->show();
    }
    PasswordChange change = setup_.change;
    change.progress = [this](int percent) { EngineProgress(percent); };
    std::vector<std::string> notes;
    std::string message;
    try {
        message = quill::ProcessPassword(change, oldPassword, newPassword, &notes);
    } catch (const std::exception& e) {
        // Nothing changed: say why, and let the user try again or cancel.
        Gauge1->hide();
        SetBusy(false);
        Inform(QString::fromStdString(e.what()));
        return;
    }
    current_ = newPassword;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Gauge1->hide();
    if (!message.empty()) {
        QString text = PasswordFromBytes(message);
        for (const auto& note : notes) text += "\n\n" + QString::fromStdString(note);
        Inform(text);
    }
    processing_ = false;
    accept();
}

void TGetPassword::EngineProgress(int percent) {
    Gauge1->setValue(percent);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TGetPassword::reject() {
    if (processing_) return;  // Escape while the diary is being re-written
    QDialog::reject();
}

void TGetPassword::closeEvent(QCloseEvent* event) {
    if (processing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace quill
