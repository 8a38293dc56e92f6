#include "storage/backup_protection.h"

#include "storage/diary_backups.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"
#include "storage/folder_files.h"

namespace quill {

namespace {

// Re-writes the copy whose table is at TABLE; "" when done or nothing to do.
std::string ReprotectCopy(const std::string& table, const std::string& oldPassword,
                          const std::string& newPassword) {
    const int area = xb::xb_Use(table, "", xb::XB_MODE_EXCLUSIVE, xb::XB_DRIVER_CDX);
    if (area == 0) return xb::xb_ErrorText();
    std::string why;
    const int state = xb::xb_KeyState();
    const bool done = newPassword.empty() ? state == xb::XB_KEY_PLAIN : state == xb::XB_KEY_OPEN;
    if (!done) {
        if (state == xb::XB_KEY_LOCKED && !xb::xb_TryPassword(oldPassword)) {
            why = "it is protected by an earlier password and was left as it is";
        } else if (!xb::xb_DbfChangePassword(newPassword)) {
            why = xb::xb_ErrorText();
        }
    }
    xb::xb_Close();
    return why;
}

}  // namespace

std::vector<std::string> ReprotectBackups(const std::string& folder, const std::string& oldPassword,
                                          const std::string& newPassword) {
    std::vector<std::string> notes;
    const int previous = xb::xb_Selected();
    for (const DiaryBackup& b : ListBackups(folder)) {
        const std::string table = FindFileNoCase(b.path, kDiaryTableName);
        if (table.empty()) continue;
        const std::string why = ReprotectCopy(table, oldPassword, newPassword);
        if (!why.empty()) notes.push_back("The backup " + b.name + " keeps its old protection: " + why);
    }
    xb::xb_Select(previous);
    // The engine's password is the diary's again.
    xb::xb_SetPassword(newPassword);
    return notes;
}

}  // namespace quill
