#pragma once
// The backups of a password-protected diary are as protected as the diary:
// after the password changes, every copy in "backups/" is re-written under
// the new password, so that no copy keeps an entry in the clear once the
// diary has a password, and a restore needs the password of the day.

#include <string>
#include <vector>

namespace quill {

// Brings every copy in FOLDER's backups/ to NEWPASSWORD (empty: none): a
// copy in the clear, or under OLDPASSWORD, is re-written in one pass like
// the diary. A copy under some other, earlier password is left as it is
// (still protected). Returns one sentence for each copy that could not be
// brought over. Leaves the engine's selected work area as it found it.
std::vector<std::string> ReprotectBackups(const std::string& folder, const std::string& oldPassword,
                                          const std::string& newPassword);

}  // namespace quill
