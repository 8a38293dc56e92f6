#pragma once
// What the main window needs of the diary table: open (or create) it in the
// diary folder, find a day's record, and hand the engine the password.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dates/date_keys.h"

namespace quill {

class DiarySearch;
class DiaryStorage;

class DiaryStore {
public:
    virtual ~DiaryStore() = default;
    // Opens the table in the folder, creating the table and its index when
    // missing; false when it can be neither opened nor created.
    virtual bool OpenDiaryFile(const std::string& folder) = 0;
    // Positions the data set on the day's record; true when it exists.
    virtual bool FindDateRecord(Date date) = 0;
    // The stored text of the day found last, "" when it has no record.
    virtual std::string CurrentEntryText() = 0;
    // Stores the text (exactly as given; "" for an empty page) as the day's
    // entry: updates, appends or removes its record, found again by its key
    // right before the write. Returns whether the day has a record after.
    // Raises std::exception when the write fails; what was stored before
    // stays.
    virtual bool SaveEntry(Date date, const std::string& storedText) = 0;
    // The day of the first / last entry in date order (today when the
    // diary has none), positioned on its record.
    virtual Date FirstEntry() = 0;
    virtual Date LastEntry() = 0;
    // The password the engine reads and writes encrypted records with.
    virtual void SetPassword(const std::string& password) = 0;
    // Why the last operation failed, for the message shown to the user.
    virtual std::string LastError() const = 0;
    // What a successful open found damaged and mended or worked around, one
    // sentence each; empty when the files were sound.
    virtual std::vector<std::string> OpenNotes() const { return {}; }
    // The day numbers ("1" to "31") of a month that have an entry, for the
    // date selector's marks; the table stays on the day shown.
    virtual void GetDaysWithEntries(std::vector<std::string>& days, int /*year*/, int /*month*/) { days.clear(); }
    // The search across entries over this table ("Find entry containing...",
    // "Find Next Entry"); none while no table is open. Its calls raise
    // std::runtime_error when the table cannot be read.
    virtual DiarySearch* EntrySearch() { return nullptr; }

    // Password protection of the entries: 0 none, 1 protected and open with
    // the password given, 2 protected and not (yet) open.
    virtual int KeyState() { return 0; }
    // A file's text sealed with (opened from) the protected diary's key,
    // bound to BINDING; false when there is no open key or the seal fails.
    virtual bool SealOwnText(std::string_view /*text*/, std::string_view /*binding*/, std::string& /*sealed*/) {
        return false;
    }
    virtual bool OpenOwnText(std::string_view /*sealed*/, std::string_view /*binding*/, std::string& /*text*/) {
        return false;
    }
    // Gives the engine the password; whether the entries can now be read.
    virtual bool UsePassword(const std::string& password) {
        SetPassword(password);
        return true;
    }
    // Around the password set-up: natural order and the index files closed,
    // then the index re-opened and date order selected.
    virtual void CloseIndexes() {}
    virtual void ReopenIndexes() {}
    // The diary layer the password set-up re-writes; null without one.
    virtual DiaryStorage* Storage() { return nullptr; }
};

// The program's table layer.
std::unique_ptr<DiaryStore> MakeDiaryStore();

}  // namespace quill
