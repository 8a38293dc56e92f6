#pragma once
// The diary table as the main window uses it: opening (creating the table
// and its index when missing), finding the current day's record, moving to
// the first and last entries, and the three writes of the editing cycle.
// The main window owns one DiaryStorage; its four storage components are
// the public members below. Every write ends with the engine's commit, so a
// save that returned is on disk.

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "dates/date_keys.h"
#include "storage/rebuild_gauge.h"
#include "storage/xb_data_link.h"
#include "storage/xb_data_set.h"
#include "storage/xb_env.h"
#include "storage/xb_table.h"

namespace quill {

inline constexpr const char* kDiaryTableName = "QUILLBK.DBF";
inline constexpr const char* kDiaryIndexName = "QUILLBK.CDX";
inline constexpr const char* kDiaryMemoName = "QUILLBK.FPT";
// The key file of a password-protected diary (salt and check value).
inline constexpr const char* kDiaryKeyName = "QUILLBK.SLT";

// What a rebuild tells whoever shows it: the start of each phase, and the
// engine's progress (0-100) within it.
struct RebuildListener {
    std::function<void(RebuildPhase)> phaseStarted;
    std::function<void(RebuildPhase, int percent)> progress;
    // Where pending window events may be let through between steps (once
    // the index files are closed, before they are deleted).
    std::function<void()> idle;
};

struct RebuildResult {
    std::string damage;      // what the pack found damaged and kept ("" = nothing)
    std::string beforePack;  // the folder holding the files as they were before the pack
    long recordsBefore = 0;  // physical records, removed ones included
    long recordsAfter = 0;
};

enum class RebuildStep { KeepFiles, Pack, Index };

// Why a rebuild stopped. By the time it is raised the table is back in use
// (unless OpenedAgain() is false) with every entry it had.
class RebuildError : public std::runtime_error {
public:
    RebuildError(RebuildStep step, bool packed, bool openedAgain, std::string cause, std::string reopenError);
    RebuildStep Step() const { return step_; }
    bool Packed() const { return packed_; }  // the deleted records are gone nonetheless
    bool OpenedAgain() const { return openedAgain_; }
    const std::string& Cause() const { return cause_; }

private:
    RebuildStep step_;
    bool packed_, openedAgain_;
    std::string cause_;
};

class DiaryStorage {
public:
    // DIARYFOLDER holds the diary's files (the program passes
    // ~/.local/share/quillbook/); it must exist.
    explicit DiaryStorage(std::string diaryFolder);
    ~DiaryStorage();
    DiaryStorage(const DiaryStorage&) = delete;
    DiaryStorage& operator=(const DiaryStorage&) = delete;

    const std::string& ProgramFolder() const { return folder_; }

    TXbEnv XbEnv1;
    TXbDataSet DiaryTable;
    TXbDataSource DataSource1;
    TXbTable DiaryEngine;

    // Whether the current date's record exists (set by FindDateRecord and
    // by the writes below).
    bool EntryExists = false;
    // Called by FindDateRecord once EntryExists is set, so that the window
    // can redraw its date caption.
    std::function<void()> RefreshDateCaption;

    // Before the first change of each day the diary's files are copied to
    // backups/ (MakeDailyBackup). TodayForBackups says which day it is;
    // DailyBackups false turns the copies off (benchmarks of raw writes).
    bool DailyBackups = true;
    std::function<Date()> TodayForBackups = [] { return Today(); };
    // Why the last daily backup failed ("" when it did not); the change
    // itself went on, since refusing to save would lose the day's text.
    const std::string& LastBackupError() const { return lastBackupError_; }

    // Why the last OpenDiaryFile returned false ("" when it did not).
    const std::string& LastError() const { return lastError_; }
    int LastErrorCode() const { return lastErrorCode_; }  // the engine's code, 0 if none
    // What the last successful OpenDiaryFile found damaged and mended or
    // worked around, one sentence each (empty when the files were sound).
    const std::vector<std::string>& OpenNotes() const { return openNotes_; }

    // Opens the diary exclusively; creates the table and the index when
    // they are missing. A missing table beside an existing memo or index
    // file is damage, not a first start: nothing is created or changed and
    // the open fails. False on any failure (see LastError).
    bool OpenDiaryFile();
    bool CreateDiaryTable();
    void CreateDiaryIndex();  // raises TXbError

    // Positions the data set on CURRENTDATE's record; sets EntryExists.
    bool FindDateRecord(Date currentDate);

    // Move to the first / last entry in date order and find it again; the
    // returned day becomes the current date (today when there is none).
    Date FirstEntry();
    Date LastEntry();

    // The stored text of the current record when EntryExists, else "".
    std::string CurrentEntryText();

    // The editing cycle's save: STOREDTEXT is the text exactly as it is to
    // be stored (StoredEntryText); empty means the page is empty. Updates,
    // appends or removes the record of CURRENTDATE; returns EntryExists.
    bool SaveEntry(Date currentDate, const std::string& storedText);
    // The three writes on their own.
    void UpdateCurrentEntry(Date currentDate, const std::string& storedText);
    void AppendNewDay(Date currentDate, const std::string& storedText);
    void RemoveCurrentEntry();
    // Flags deleted every live record whose key is empty; returns how many.
    int RemoveKeylessRecords();

    // Removes deleted records for good and builds the index from scratch
    // (the "Rebuild Indexes" command). The files as they were are kept in
    // backups/before-pack-<time>/ until the next successful pack. On any
    // failure the table is opened again as at start-up (which finishes or
    // drops a half-done pack and builds a missing index), the filter comes
    // back, and RebuildError is raised.
    RebuildResult PackAndRebuild(const RebuildListener& listener = {});
    // The same for callers that want only the damage text and plain
    // progress (phase 0 = pack, 1 = index, percent).
    std::string RebuildDiary(const std::function<void(int phase, int percent)>& progress = {});

    // Password protection of the entry texts. KeyState: xb::XB_KEY_PLAIN,
    // XB_KEY_OPEN (protected, and the password given opens it) or
    // XB_KEY_LOCKED.
    int KeyState();
    bool Protected() { return KeyState() != 0; }
    // Gives the engine PASSWORD; whether the entries can now be read (a
    // diary without protection always can).
    bool UsePassword(const std::string& password);
    // Re-writes every entry from the present protection straight to
    // NEWPASSWORD (empty: none) in one pass, the new files swapped in
    // atomically. Raises TXbError on failure; the diary is then as it was.
    void ChangePassword(const std::string& newPassword, const std::function<void(int percent)>& progress = {});

    // What the engine last found damaged in the diary's files ("" = nothing).
    std::string EngineDamageText();

private:
    Date MoveToEnd(bool first);
    // After a failed rebuild: the table opened again as at start-up and
    // FILTER set; false (with the reason) when it cannot be opened.
    bool ReopenAfterFailure(const std::string& filter, std::string& error);
    void BackupBeforeChange();
    void CreateIndexAtOpen();  // CreateDiaryIndex that a full disk does not stop
    void SetAsideForeignIndex();  // an index that is not the diary's one
    // Makes sure the data set stands on KEY's record before a write that
    // expects it; returns whether it does.
    bool OnRecordOf(const std::string& key);

    std::string folder_;
    std::string lastError_;
    int lastErrorCode_ = 0;
    std::vector<std::string> openNotes_;
    std::string lastBackupError_;
    Date backupDay_{};  // the day whose backup is known to exist
};

}  // namespace quill
