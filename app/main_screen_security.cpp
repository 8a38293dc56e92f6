// The main window's password commands: the gate's check, what follows a
// passed gate, and "Select or Change Password".
#include <QApplication>
#include <QCursor>
#include <exception>

#include "app/main_screen.h"
#include "app/message_boxes.h"
#include "app/preferences_file.h"
#include "privacy/password_verifier.h"
#ifdef QUILLBOOK_HAVE_STORAGE
#include "privacy/get_password_dialog.h"
#include "storage/backup_protection.h"
#include "storage/diary_storage.h"
#endif

namespace quill {

namespace {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

bool TMainScreen::PasswordNeeded() {
    return !storedPassword_.empty() || (tableOpen_ && store_->KeyState() != 0);
}

bool TMainScreen::GateAccepts(const std::string& typed) {
    // A protected diary is the judge of its own password: the preferences
    // file may lag behind a password change that a kill interrupted.
#ifdef QUILLBOOK_HAVE_STORAGE
    if (tableOpen_ && store_->Storage()) return GateOpens(*store_->Storage(), storedPassword_, typed);
#endif
    if (tableOpen_ && store_->KeyState() != 0) return store_->UsePassword(typed);
    return StoredPasswordAccepts(storedPassword_, typed);
}

void TMainScreen::SecureAfterUnlock() {
    if (DiaryPassword.empty()) return;
    try {
        if (!IsPasswordVerifier(storedPassword_) || !StoredPasswordAccepts(storedPassword_, DiaryPassword)) {
            // An older scrambled value, or one a change did not reach.
            const std::string value = MakePasswordVerifier(DiaryPassword);
            WritePasswordPreference(PreferencesPath().toStdString(), value);
            storedPassword_ = value;
        }
    } catch (const std::exception& e) {
        ShowInformation(QString::fromStdString(e.what()));
    }
#ifdef QUILLBOOK_HAVE_STORAGE
    DiaryStorage* storage = tableOpen_ ? store_->Storage() : nullptr;
    if (!storage || store_->KeyState() != 0) return;
    // The password guarded the window but the entries were stored in the
    // clear: protect them now.
    try {
        WaitCursor wait;
        storage->ChangePassword(DiaryPassword);
        ReprotectBackups(storage->ProgramFolder(), std::string(), DiaryPassword);
    } catch (const std::exception& e) {
        ShowInformation(QString("The entries could not be protected with the password yet: %1")
                            .arg(QString::fromStdString(e.what())));
    }
#endif
}

void TMainScreen::EnableSecurityCommand() {
    mnuSecurity->setEnabled(true);
    connect(mnuSecurity, &QAction::triggered, this, [this] { mnuSecurityClick(); });
}

void TMainScreen::mnuSecurityClick() {
#ifdef QUILLBOOK_HAVE_STORAGE
    // A page that could not be saved stays pending; the table is not
    // re-written under it.
    if (!tableOpen_ || !SaveButtonClick()) return;
    store_->CloseIndexes();
    LoadPreferences();
    TGetPassword::Setup setup;
    setup.currentPassword = DiaryPassword;
    setup.change.storage = store_->Storage();
    const std::string ini = PreferencesPath().toStdString();
    setup.change.writeStoredPassword = [this, ini](const std::string& value) {
        WritePasswordPreference(ini, value);
        storedPassword_ = value;
    };
    setup.showInformation = [](const QString& text) { ShowInformation(text); };
    TGetPassword dialog(std::move(setup), this);
    CenterOverMainWindow(&dialog);
    dialog.exec();
    DiaryPassword = dialog.CurrentPassword();
    try {
        store_->ReopenIndexes();
    } catch (const std::exception& e) {
        ShowInformation(QString::fromStdString(e.what()));
    }
    FindDateRecord();
#endif
}

}  // namespace quill
