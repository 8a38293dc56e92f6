#pragma once
// Copies of the diary's three files kept in "backups/" of the diary folder:
// one before the first change of each day (the last 7 days and the first of
// each of the last 12 months are kept), one before a repair, and the files a
// restore replaced. Files are copied byte for byte, so the copy of a
// protected diary is as protected as the diary; a copy-on-write clone is
// used where the file system has one.

#include <cstdint>
#include <string>
#include <vector>

#include "dates/date_keys.h"

namespace quill {

inline constexpr const char* kBackupFolderName = "backups";

struct DiaryBackup {
    std::string name;   // folder name inside backups/: "yyyymmdd" for a daily one
    std::string path;   // with a trailing '/'
    bool daily = false;
    Date day{};         // the day of a daily backup
    std::vector<std::string> files;  // file names held
    uint64_t bytes = 0;
};

// Copies the diary's table, memo and index files (those present) from
// FOLDER into the new folder DEST, through a temporary folder renamed into
// place once every file is on disk. Throws std::runtime_error naming what
// failed; nothing is left half made.
void CopyDiaryFiles(const std::string& folder, const std::string& dest);

// Makes TODAY's daily backup unless there is one already, then removes the
// daily backups no longer kept. True when a backup was made. Throws on
// failure (the caller decides whether a change may go on without one).
bool MakeDailyBackup(const std::string& folder, Date today);

// Of the daily backups HAVE ("yyyymmdd"), those kept on TODAY: the last 7
// days and the first of each of the last 12 months.
std::vector<std::string> DailyBackupsToKeep(const std::vector<std::string>& have, Date today);

// Every copy in FOLDER's backups/, daily ones first (oldest first), then
// the others by name.
std::vector<DiaryBackup> ListBackups(const std::string& folder);

// Puts DAY's backup back as the diary's files after moving the current ones
// aside into backups/replaced-<time>/; returns that folder. The diary must
// not be open. Throws std::runtime_error when there is no such backup or a
// file cannot be moved; the current files are then where they were.
std::string RestoreBackup(const std::string& folder, Date day);

// A folder name for a copy made now: PREFIX + "-yyyymmdd-hhmmss".
std::string TimestampedName(const std::string& prefix);

// The diary's files as they were before the last successful pack, kept in
// backups/before-pack-<time>/ until the next pack succeeds.
inline constexpr const char* kBeforePackPrefix = "before-pack";

struct BeforePackFiles {
    std::string partial;  // where they wait until the pack has happened
    uint64_t tableDevice = 0, tableInode = 0;  // the table file they were taken from
};

// Keeps the diary's table, memo and index files as they are now, before a
// pack: hard links where the file system allows (the pack writes new files
// and renames them over the old ones, so the links keep the old contents at
// no cost), else copies. Throws std::runtime_error when neither works.
BeforePackFiles KeepFilesBeforePack(const std::string& folder);

// After a pack, successful or not. When the table file is no longer the one
// KEPT was taken from, the pack happened: the kept files become the
// before-pack folder (returned) and the older ones go. Otherwise the diary
// is unchanged and KEPT goes (its links would follow later changes); the
// earlier before-pack folder stays. Returns "" then. Never throws.
std::string SettleFilesBeforePack(const std::string& folder, const BeforePackFiles& kept);

}  // namespace quill
