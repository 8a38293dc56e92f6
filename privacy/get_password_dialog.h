#pragma once
// "Set Up Password": sets a first password, changes it or clears it, and
// re-writes the whole diary under the new one with a progress gauge.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "privacy/password_setup.h"

class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace quill {

class TGetPassword : public QDialog {
    Q_OBJECT
public:
    struct Setup {
        // The current password (empty: none), as the main window holds it
        // after re-reading the preferences.
        std::string currentPassword;
        // The diary and the writing of the stored value; the dialog feeds
        // its gauge from the progress.
        PasswordChange change;
        // Every message of the dialog (the program's "Information" box).
        std::function<void(const QString&)> showInformation;
        // A beep for a refused character.
        std::function<void()> beep;
    };

    explicit TGetPassword(Setup setup, QWidget* parent = nullptr);

    // The password after the dialog: the new one once a change succeeded.
    const std::string& CurrentPassword() const { return current_; }
    bool Processing() const { return processing_; }

    void FormCreate();
    // Focus leaves NewPassword: false when a character was refused.
    bool NewPasswordExit();
    void OkButtonClick();
    void ClearButtonClick();
    bool checkoldpassword() const;
    void ProcessPassword(const std::string& oldPassword, const std::string& newPassword);
    // The engine's progress, 0-100.
    void EngineProgress(int percent);

    QFrame* PassPanel;
    QLabel* OldPasswordLabel;
    QLabel* NoneLabel;
    QLineEdit* OldPassword;
    QLabel* NewPasswordLabel;
    QLineEdit* NewPassword;
    QLabel* HintLabel;
    QPushButton* OkButton;
    QPushButton* CancelButton;
    QPushButton* ClearButton;
    QLabel* ProcessingLabel;
    QProgressBar* Gauge1;

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Inform(const QString& text);
    void SetBusy(bool busy);

    Setup setup_;
    std::string current_;
    bool processing_ = false;
    bool refusedOnExit_ = false;
};

}  // namespace quill
