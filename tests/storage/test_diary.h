#pragma once
// Helpers shared by the storage tests: a diary in a temporary folder and
// quick ways to fill it.

#include <memory>
#include <string>
#include <vector>

#include "dates/date_keys.h"
#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "tests/storage/temp_folder.h"

namespace quill::test {

// Opens (creating when missing) the diary in FOLDER; fails the test when
// that is impossible.
std::unique_ptr<DiaryStorage> OpenDiary(const std::string& folder);

// Saves TEXT as DAY's entry the way the editing cycle does: find the day,
// then save.
void SaveDay(DiaryStorage& s, Date day, const std::string& text);

// A small RTF entry with text that tells the days apart.
std::string EntryFor(Date day, size_t extra = 0);

Date D(int y, int m, int d);

// A check report's problems, one a line, for failure messages.
std::string Problems(const DiaryCheckReport& report);

// The whole content of the file at PATH ("" when it cannot be read).
std::string Slurp(const std::string& path);

// Runs COMMAND through the shell; returns its exit status and puts its
// standard output in OUT.
int RunCommand(const std::string& command, std::string* out = nullptr);

}  // namespace quill::test
