#include "storage/diary_storage.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>

#include "storage/diary_backups.h"
#include "storage/rebuild_gauge.h"
#include "storage/engine/xb_engine.h"
#include "storage/folder_files.h"
#include "storage/xb_error.h"

namespace quill {

namespace {

// A memo file exactly as a new table gets it, before any text went in: the
// header alone, its next free block right after the header. A first start
// killed after writing it and before the table leaves it behind; it holds no
// entry, so the next start may create the diary over it.
bool IsUntouchedNewMemo(const std::string& path) {
    constexpr size_t kHeaderBytes = 512;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() != kHeaderBytes) return false;
    const auto byte = [&](size_t i) { return unsigned(static_cast<unsigned char>(bytes[i])); };
    const unsigned nextFree = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    const unsigned blockSize = byte(6) << 8 | byte(7);
    if (blockSize == 0 || nextFree != (kHeaderBytes + blockSize - 1) / blockSize) return false;
    if (byte(4) != 0 || byte(5) != 0) return false;
    return bytes.find_first_not_of('\0', 8) == std::string::npos;
}

}  // namespace

DiaryStorage::DiaryStorage(std::string diaryFolder) : folder_(WithTrailingSlash(std::move(diaryFolder))) {
    XbEngineStart();
    DataSource1.SetDataSet(&DiaryTable);
    DiaryEngine.SetDataSource(&DataSource1);
}

DiaryStorage::~DiaryStorage() {
    try {
        if (DiaryTable.State() != TDataSetState::dsBrowse) DiaryTable.Cancel();
        DiaryTable.Close();
    } catch (...) {
    }
}

bool DiaryStorage::CreateDiaryTable() {
    if (!DiaryEngine.CreateNew(folder_ + kDiaryTableName, xb::XB_DRIVER_CDX, 2)) return false;
    DiaryEngine.CreateField("DATE", 'C', 8, 0);
    DiaryEngine.CreateField("ENTRY", 'M', 10, 0);
    if (!DiaryEngine.CreateExec()) return false;
    return FileExistsNoCase(folder_, kDiaryTableName);
}

void DiaryStorage::CreateDiaryIndex() { DiaryEngine.IndexTag("", "DATE", "date", 0, false, ""); }

void DiaryStorage::SetAsideForeignIndex() {
    const std::string path = FindFileNoCase(folder_, kDiaryIndexName);
    if (path.empty()) return;
    const std::vector<std::string> tags = DiaryEngine.IndexList();
    std::string key = tags.empty() ? std::string() : DiaryEngine.IndexKey(1);
    while (!key.empty() && key.back() == ' ') key.pop_back();
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    // The diary's index (first in the list; other programs' index files
    // follow it) holds tag DATE on "date". Anything else, a key expression
    // damaged on disk say, would leave the table read-only for good, since
    // no key could be kept up to date: keep the file aside and build the
    // one the diary needs.
    if (!tags.empty() && tags[0] == "DATE" && key == "DATE") return;
    DiaryEngine.CloseIndexes();
    const std::string aside = path + ".damaged";
    std::remove(aside.c_str());
    if (std::rename(path.c_str(), aside.c_str()) != 0) std::remove(path.c_str());
    std::string found;
    for (const auto& t : tags) found += (found.empty() ? "" : ", ") + t;
    openNotes_.push_back(std::string(kDiaryIndexName) + " held " +
                         (tags.empty() ? std::string("no tag") : "tag(s) " + found + " with the key \"" + key + "\"") +
                         " instead of tag DATE on \"date\"; it was set aside as " + aside + " and built again");
    CreateIndexAtOpen();
    for (const auto& extra : DiaryEngine.ExtraIndexes) {
        try {
            DiaryEngine.IndexOpen(extra);
        } catch (const TXbError&) {
            // Another program's index: the diary does not need it.
        }
    }
}

void DiaryStorage::CreateIndexAtOpen() {
    try {
        CreateDiaryIndex();
    } catch (const TXbError& e) {
        // A full or read-only disk: the index is built in memory and the
        // engine writes it once there is room. Reading needs no more.
        if ((e.Code() != xb::XB_ERR_IO && e.Code() != xb::XB_ERR_OPEN) || DiaryEngine.TagArea("DATE") == 0) throw;
        openNotes_.push_back(std::string(kDiaryIndexName) + " could not be written (" + e.FullText() +
                             "); the index is kept in memory and written when there is room");
    }
}

bool DiaryStorage::OpenDiaryFile() {
    openNotes_.clear();
    lastError_.clear();
    lastErrorCode_ = 0;
    if (!FileExistsNoCase(folder_, kDiaryTableName)) {
        // Creating the table would also create an empty memo file over the
        // one holding every entry's text; a first start has neither file.
        // A key file left alone would make a new table protected by a
        // password nobody set for it.
        for (const char* other : {kDiaryMemoName, kDiaryIndexName, kDiaryKeyName}) {
            const std::string found = FindFileNoCase(folder_, other);
            if (found.empty()) continue;
            if (other == kDiaryMemoName && FindFileNoCase(folder_, kDiaryIndexName).empty() &&
                IsUntouchedNewMemo(found))
                continue;
            lastError_ = std::string(kFileOpenErrorText) + ": the diary table " + folder_ + kDiaryTableName +
                         " is missing, but " + found +
                         " is there. Nothing was changed; restore the table file from a backup or copy "
                         "(quillbook-tool backups lists the daily backups).";
            return false;
        }
    }
    if (!FileExistsNoCase(folder_, kDiaryTableName) && !CreateDiaryTable()) {
        lastError_ = std::string(kFileOpenErrorText) + ": cannot create " + folder_ + kDiaryTableName + " (" +
                     xb::xb_ErrorText() + ")";
        lastErrorCode_ = xb::xb_Error();
        return false;
    }
    DiaryTable.TableName = kDiaryTableName;
    DiaryTable.DatabaseName = folder_;
    DiaryTable.Exclusive = true;
    try {
        DiaryTable.Open();
        if (std::string damage = EngineDamageText(); !damage.empty()) openNotes_.push_back(damage);
        SetAsideForeignIndex();
        if (!FileExistsNoCase(folder_, kDiaryIndexName) && DiaryEngine.TagArea("DATE") == 0) CreateIndexAtOpen();
        DiaryEngine.SetOrder(1);
        XbEnv1.SetDeleted(true);
        if (const int removed = RemoveKeylessRecords())
            openNotes_.push_back(std::to_string(removed) + " record(s) without a date key, left by an interrupted save, were removed");
        return true;
    } catch (const TXbError& e) {
        lastError_ = e.FullText();
        lastErrorCode_ = e.Code();
    } catch (const std::exception& e) {
        lastError_ = e.what();
    }
    DiaryTable.Close();
    return false;
}

void DiaryStorage::BackupBeforeChange() {
    if (!DailyBackups) return;
    const Date today = TodayForBackups();
    if (today == backupDay_) return;
    try {
        MakeDailyBackup(folder_, today);
        backupDay_ = today;
        lastBackupError_.clear();
    } catch (const std::exception& e) {
        lastBackupError_ = std::string("the daily backup could not be made: ") + e.what();
    }
}

bool DiaryStorage::FindDateRecord(Date currentDate) {
    const std::string key = DateToKey(currentDate);
    DiaryEngine.SetOrder(1);
    EntryExists = DiaryEngine.Seek(key);
    if (RefreshDateCaption) RefreshDateCaption();
    return EntryExists;
}

Date DiaryStorage::MoveToEnd(bool first) {
    DiaryEngine.SetOrder(1);
    if (first)
        DiaryTable.First();
    else
        DiaryTable.Last();
    const Date day = STOD(DiaryTable.FieldText("DATE"));
    FindDateRecord(day);
    return day;
}

Date DiaryStorage::FirstEntry() { return MoveToEnd(true); }
Date DiaryStorage::LastEntry() { return MoveToEnd(false); }

std::string DiaryStorage::CurrentEntryText() {
    if (!EntryExists) return {};
    return DiaryTable.FieldText("ENTRY");
}

bool DiaryStorage::OnRecordOf(const std::string& key) {
    if (!DiaryTable.IsEmpty() && !DiaryTable.Eof() && DiaryTable.FieldText("DATE") == key) return true;
    // Something moved the data set since the day was found: find it again
    // rather than write over another day's record.
    DiaryEngine.SetOrder(1);
    return DiaryEngine.Seek(key);
}

void DiaryStorage::UpdateCurrentEntry(Date currentDate, const std::string& storedText) {
    const std::string key = DateToKey(currentDate);
    if (!OnRecordOf(key)) {
        AppendNewDay(currentDate, storedText);
        return;
    }
    BackupBeforeChange();
    DiaryTable.Edit();
    DiaryTable.SetFieldText("DATE", key);
    DiaryTable.SetFieldText("ENTRY", storedText);
    DiaryTable.Post();
    EntryExists = true;
}

void DiaryStorage::AppendNewDay(Date currentDate, const std::string& storedText) {
    const std::string key = DateToKey(currentDate);
    // At most one live record per day: append only when the day has none.
    DiaryEngine.SetOrder(1);
    if (DiaryEngine.Seek(key)) {
        UpdateCurrentEntry(currentDate, storedText);
        return;
    }
    // Key and text go in with the one post, so no blank record is ever
    // committed on its own.
    BackupBeforeChange();
    DiaryTable.Append();
    DiaryTable.SetFieldText("DATE", key);
    DiaryTable.SetFieldText("ENTRY", storedText);
    DiaryTable.Post();
    DiaryTable.Refresh();
    EntryExists = true;
}

void DiaryStorage::RemoveCurrentEntry() {
    // Key, text and deleted flag go in one record write: a kill leaves the
    // day either as it was or removed, never a live record without a key.
    BackupBeforeChange();
    DiaryTable.Edit();
    DiaryTable.SetFieldText("DATE", "");
    DiaryTable.SetFieldText("ENTRY", "");
    DiaryTable.PostDeleted();
    EntryExists = false;
}

int DiaryStorage::RemoveKeylessRecords() {
    // Earlier versions removed a day in three writes and appended a blank
    // record before its key; a kill in between left a live record without a
    // key, which sorts first and would make "&First" land on today. Its
    // text, if any, was being removed or never saved: flag it deleted and
    // leave the text in the memo file until the next rebuild.
    int removed = 0;
    const int order = DiaryEngine.TagArea("DATE");
    if (order != 0) {
        // In date order the empty keys come first.
        DiaryEngine.SetOrder(order);
        for (DiaryTable.First(); !DiaryTable.IsEmpty() && DiaryTable.FieldText("DATE").empty(); DiaryTable.First()) {
            BackupBeforeChange();
            DiaryTable.Edit();
            DiaryTable.PostDeleted();
            ++removed;
        }
        return removed;
    }
    for (DiaryTable.First(); !DiaryTable.Eof();) {
        if (!DiaryTable.FieldText("DATE").empty()) {
            DiaryTable.Next();
            continue;
        }
        BackupBeforeChange();
        DiaryTable.Edit();
        DiaryTable.PostDeleted();
        ++removed;
    }
    return removed;
}

bool DiaryStorage::SaveEntry(Date currentDate, const std::string& storedText) {
    const bool empty = storedText.empty();
    if (EntryExists) {
        if (empty) {
            if (OnRecordOf(DateToKey(currentDate))) RemoveCurrentEntry();
            EntryExists = false;
        } else {
            UpdateCurrentEntry(currentDate, storedText);
        }
    } else if (!empty) {
        AppendNewDay(currentDate, storedText);
    }
    return EntryExists;
}

int DiaryStorage::KeyState() { return DiaryTable.Active() ? DiaryEngine.KeyState() : 0; }

bool DiaryStorage::UsePassword(const std::string& password) {
    DiaryEngine.SetPassword(password);
    return KeyState() != xb::XB_KEY_LOCKED;
}

void DiaryStorage::ChangePassword(const std::string& newPassword, const std::function<void(int)>& progress) {
    DiaryEngine.SetGaugeHook([&](int percent) {
        if (progress) progress(percent);
    });
    const bool ok = DiaryEngine.DbfChangePassword(newPassword);
    DiaryEngine.SetGaugeHook({});
    if (!ok) RaiseEngineError();
}

std::string DiaryStorage::EngineDamageText() { return DiaryEngine.DamageText(); }

namespace {

std::string RebuildErrorText(RebuildStep step, bool packed, bool openedAgain, const std::string& cause,
                             const std::string& reopenError) {
    std::string text;
    switch (step) {
        case RebuildStep::KeepFiles:
            text = "The diary's files could not be kept before packing (" + cause +
                   "). Nothing was packed or rebuilt; every entry is as it was.";
            break;
        case RebuildStep::Pack:
            text = packed ? "The deleted tasks were removed, but finishing the pack failed (" + cause +
                                "). Every other entry is there."
                          : "Permanently removing deleted tasks failed (" + cause +
                                "). Every entry is as it was; deleted tasks stay hidden until a rebuild succeeds.";
            break;
        case RebuildStep::Index:
            text = "Rebuilding indexes failed (" + cause +
                   "). The deleted tasks were removed and every other entry is there; an index that could not be "
                   "written is built again the next time the diary is opened.";
            break;
    }
    if (!openedAgain)
        text += " The diary could not be opened again (" + reopenError +
                "): leave Quillbook and start it again; nothing saved is lost.";
    return text;
}

std::string CauseText(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const TXbError& e) {
        return e.FullText();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown failure";
    }
}

}  // namespace

RebuildError::RebuildError(RebuildStep step, bool packed, bool openedAgain, std::string cause,
                           std::string reopenError)
    : std::runtime_error(RebuildErrorText(step, packed, openedAgain, cause, reopenError)),
      step_(step),
      packed_(packed),
      openedAgain_(openedAgain),
      cause_(std::move(cause)) {}

bool DiaryStorage::ReopenAfterFailure(const std::string& filter, std::string& error) {
    try {
        if (DiaryTable.Active() && DiaryTable.State() != TDataSetState::dsBrowse) DiaryTable.Cancel();
    } catch (...) {
    }
    DiaryTable.Close();
    if (!OpenDiaryFile()) {
        error = lastError_;
        return false;
    }
    try {
        DiaryEngine.SetFilter(filter);
    } catch (...) {
        // An expression the engine took before takes it again; if not, an
        // unfiltered table is still every entry.
    }
    return true;
}

RebuildResult DiaryStorage::PackAndRebuild(const RebuildListener& listener) {
    RebuildResult result;
    BackupBeforeChange();
    DiaryTable.DisableControls();
    const std::string filter = DiaryEngine.DBFilter();
    RebuildStep step = RebuildStep::Pack;
    BeforePackFiles kept;
    bool settled = false;
    auto report = [&](RebuildPhase phase) {
        return [&listener, phase](int percent) {
            if (listener.progress) listener.progress(phase, percent);
        };
    };
    try {
        DiaryEngine.SetFilter("");
        RemoveKeylessRecords();
        result.recordsBefore = DiaryEngine.RecordCount();
        XbEnv1.SetDeleted(false);
        DiaryEngine.CloseIndexes();
        if (listener.idle) listener.idle();
        step = RebuildStep::KeepFiles;
        kept = KeepFilesBeforePack(folder_);
        step = RebuildStep::Pack;
        // The index is rebuilt from nothing, so a damaged one cannot get in
        // the way; a file that will not go is not a reason to stop.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const std::string index = FindFileNoCase(folder_, kDiaryIndexName);
            if (index.empty()) break;
            std::remove(index.c_str());
        }
        if (listener.phaseStarted) listener.phaseStarted(RebuildPhase::Pack);
        DiaryEngine.SetGaugeHook(report(RebuildPhase::Pack));
        DiaryEngine.Pack();
        DiaryEngine.SetGaugeHook({});
        result.damage = EngineDamageText();
        result.recordsAfter = DiaryEngine.RecordCount();
        result.beforePack = SettleFilesBeforePack(folder_, kept);
        settled = true;
        step = RebuildStep::Index;
        if (listener.phaseStarted) listener.phaseStarted(RebuildPhase::Index);
        DiaryEngine.SetGaugeHook(report(RebuildPhase::Index));
        CreateDiaryIndex();
        DiaryEngine.SetOrder(DiaryEngine.TagArea("DATE"));
        XbEnv1.SetDeleted(true);
        DiaryEngine.SetGaugeHook({});
        DiaryEngine.SetFilter(filter);
        DiaryTable.EnableControls();
        return result;
    } catch (...) {
        const std::string cause = CauseText(std::current_exception());
        DiaryEngine.SetGaugeHook({});
        // The engine's state after a failure part way through is not worth
        // trusting: open the table again the way start-up does, which
        // finishes or drops a half-done pack, builds a missing index (or
        // keeps it in memory on a full disk) and hides deleted records.
        std::string reopenError;
        const bool openedAgain = ReopenAfterFailure(filter, reopenError);
        if (!openedAgain) XbEnv1.SetDeleted(true);
        bool packed = settled;
        if (!settled && !kept.partial.empty() && openedAgain) packed = !SettleFilesBeforePack(folder_, kept).empty();
        DiaryTable.EnableControls();
        throw RebuildError(step, packed, openedAgain, cause, reopenError);
    }
}

std::string DiaryStorage::RebuildDiary(const std::function<void(int, int)>& progress) {
    RebuildListener listener;
    if (progress)
        listener.progress = [&progress](RebuildPhase phase, int percent) {
            progress(phase == RebuildPhase::Pack ? 0 : 1, percent);
        };
    return PackAndRebuild(listener).damage;
}

}  // namespace quill
