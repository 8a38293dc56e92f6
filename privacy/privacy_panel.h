#pragma once
// The password prompt that covers the diary page until the right password is
// typed. It is a panel of the main window, not a dialog of its own; the main
// window shows and hides it.

#include <QFrame>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quill {

inline constexpr const char* kWrongPasswordMessage = "Sorry, that is the wrong password";

class TPrivacyPanel : public QFrame {
    Q_OBJECT
public:
    // Answers whether the typed text (as Windows-1252 bytes) is the password.
    using PasswordCheck = std::function<bool(const std::string& typed)>;

    explicit TPrivacyPanel(QWidget* parent = nullptr);

    void SetPasswordCheck(PasswordCheck check) { check_ = std::move(check); }

    void BitBtn1Click();  // OK
    void BitBtn2Click();  // Close

    QLabel* Label1;
    QLineEdit* Pass;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

signals:
    // The typed text was right; it is cleared from the box before this.
    void PasswordAccepted(const std::string& password);
    // The typed text was wrong; it stays in the box.
    void PasswordRejected();
    void CloseRequested();

private:
    PasswordCheck check_;
};

}  // namespace quill
