#pragma once
// The rules and the work of the password set-up, shared by the "Set Up
// Password" dialog and quillbook-tool: which characters a password may
// have, the check of the previous password, the messages, and the change
// itself (the diary re-written in one pass, then the stored password value
// in "QB.INI", then the backups).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quill {

class DiaryStorage;

inline constexpr std::string_view kPasswordCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 ";
inline constexpr int kMaxPasswordLength = 8;

inline constexpr const char* kBadPasswordCharactersMessage = "Valid password characters are A-Z, 0-9 and spaces";
inline constexpr const char* kPreviousPasswordRequiredMessage = "Previous password is required";
inline constexpr const char* kPreviousPasswordIncorrectMessage = "Previous password is incorrect";
inline constexpr const char* kPasswordClearedMessage = "Password cleared. No password now required.";
inline constexpr const char* kWriteDownPasswordMessage = "Be sure to write down your new password: ";

// Every character is one of the allowed ones (an empty text passes).
bool PasswordCharactersValid(std::string_view text);

// checkoldpassword: true when there is no previous password to give
// (OLDHIDDEN), or TYPED is the current password exactly.
bool OldPasswordAccepted(bool oldHidden, std::string_view typed, std::string_view current);
// The message for a refused previous password.
const char* OldPasswordRefusal(std::string_view typed);

struct PasswordChange {
    DiaryStorage* storage = nullptr;  // the open diary; null when there is none
    // Writes "Security"/"Password" of "QB.INI" (the verifier, or "" for no
    // password); throws when the file cannot be written.
    std::function<void(const std::string& storedValue)> writeStoredPassword;
    std::function<void(int percent)> progress;
};

// ProcessPassword: changes the diary's password from OLDPASSWORD to
// NEWPASSWORD. The same password again only writes the stored value again.
// Otherwise the whole diary is re-written (a kill leaves it whole under
// either password), then the stored value and the backups follow. Returns
// the message to show ("" for none); what went wrong with the backups is
// added to NOTES. Throws std::runtime_error with a message for the user
// when the diary could not be changed: the diary, its password and "QB.INI"
// are then as they were.
std::string ProcessPassword(const PasswordChange& change, const std::string& oldPassword,
                            const std::string& newPassword, std::vector<std::string>* notes = nullptr);

// Whether TYPED opens the diary at the gate. A protected diary judges its
// own password (and then holds it): the stored value may lag behind a
// change that a kill interrupted. Otherwise the stored value decides.
bool GateOpens(DiaryStorage& storage, const std::string& storedValue, const std::string& typed);

// What "QB.INI" stores for PASSWORD: "" for none, else a fresh verifier.
std::string StoredValueFor(const std::string& password);

}  // namespace quill
