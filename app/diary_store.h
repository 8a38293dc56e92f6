#pragma once
// What the main window needs of the diary table: open (or create) it in the
// diary folder, find a day's record, and hand the engine the password.

#include <memory>
#include <string>
#include <vector>

#include "dates/date_keys.h"

namespace quill {

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
};

// The program's table layer.
std::unique_ptr<DiaryStore> MakeDiaryStore();

}  // namespace quill
