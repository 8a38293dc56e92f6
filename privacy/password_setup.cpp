#include "privacy/password_setup.h"

#include <sodium.h>

#include <stdexcept>

#include "privacy/password_verifier.h"
#include "storage/backup_protection.h"
#include "storage/diary_storage.h"
#include "storage/xb_error.h"

namespace quill {

bool PasswordCharactersValid(std::string_view text) {
    return text.find_first_not_of(kPasswordCharacters) == std::string_view::npos;
}

bool OldPasswordAccepted(bool oldHidden, std::string_view typed, std::string_view current) {
    if (oldHidden) return true;
    return typed.size() == current.size() && sodium_memcmp(typed.data(), current.data(), typed.size()) == 0;
}

const char* OldPasswordRefusal(std::string_view typed) {
    return typed.empty() ? kPreviousPasswordRequiredMessage : kPreviousPasswordIncorrectMessage;
}

bool GateOpens(DiaryStorage& storage, const std::string& storedValue, const std::string& typed) {
    if (storage.Protected()) return storage.UsePassword(typed);
    return StoredPasswordAccepts(storedValue, typed);
}

std::string StoredValueFor(const std::string& password) {
    return password.empty() ? std::string() : MakePasswordVerifier(password);
}

std::string ProcessPassword(const PasswordChange& change, const std::string& oldPassword,
                            const std::string& newPassword, std::vector<std::string>* notes) {
    if (oldPassword == newPassword) {
        if (change.writeStoredPassword) change.writeStoredPassword(StoredValueFor(newPassword));
        return {};
    }
    // The verifier is made first: a failure to make it must not leave a
    // diary re-written under a password the gate cannot check.
    const std::string stored = StoredValueFor(newPassword);
    if (change.storage) {
        try {
            change.storage->ChangePassword(newPassword, change.progress);
        } catch (const TXbError& e) {
            throw std::runtime_error("The password could not be changed: " + e.FullText() +
                                     "\n\nThe diary and its password are as they were.");
        }
    }
    // The table is the judge of its own password at the gate, so a kill
    // before this line still leaves a diary that opens with the new one.
    if (change.writeStoredPassword) {
        try {
            change.writeStoredPassword(stored);
        } catch (const std::exception& e) {
            if (notes)
                notes->push_back(std::string(e.what()) +
                                 "; the diary itself already uses the new password, and the preferences "
                                 "file is put right when the diary is next opened with it.");
        }
    }
    if (change.storage) {
        const auto backupNotes = ReprotectBackups(change.storage->ProgramFolder(), oldPassword, newPassword);
        if (notes) notes->insert(notes->end(), backupNotes.begin(), backupNotes.end());
    }
    return newPassword.empty() ? std::string(kPasswordClearedMessage) : kWriteDownPasswordMessage + newPassword;
}

}  // namespace quill
