#include "storage/xb_data_set.h"

#include <algorithm>
#include <cstring>

#include "storage/engine/xb_engine.h"
#include "storage/folder_files.h"
#include "storage/xb_data_link.h"
#include "storage/xb_error.h"

namespace quill {
namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

}  // namespace

std::string AliasForTable(const std::string& fileName) {
    std::string stem = fileName.substr(fileName.rfind('/') + 1);
    stem = stem.substr(0, stem.rfind('.'));
    if (stem.empty()) stem = "TABLE";
    std::string alias = stem;
    for (size_t i = 0; i < alias.size() && i < 8; ++i)
        if (alias[i] == '~' || alias[i] == '-' || alias[i] == ' ') alias[i] = '_';
    if (xb::xb_WorkArea(alias) == 0) return alias;
    const std::string head = alias.substr(0, 8) + "_";
    for (int n = 1;; ++n) {
        std::string candidate = head + std::to_string(n);
        if (xb::xb_WorkArea(candidate) == 0) return candidate;
    }
}

TXbDataSet::~TXbDataSet() {
    try {
        Close();
    } catch (...) {
    }
    for (TXbDataSource* s : std::vector<TXbDataSource*>(sources_)) s->DataSetGone();
}

std::string TXbDataSet::TablePath() const {
    if (!openedPath_.empty()) return openedPath_;
    const std::string folder = WithTrailingSlash(DatabaseName.empty() ? "." : DatabaseName);
    const std::string found = FindFileNoCase(folder, TableName);
    return found.empty() ? folder + TableName : found;
}

void TXbDataSet::Open() {
    if (Active()) return;
    const std::string path = TablePath();
    const int mode = ReadOnly ? xb::XB_MODE_READONLY : (Exclusive ? xb::XB_MODE_EXCLUSIVE : xb::XB_MODE_SHARED);
    const int previous = xb::xb_Selected();
    const int area = xb::xb_Use(path, AliasForTable(path), mode, xb::XB_DRIVER_CDX);
    if (area == 0) {
        if (previous) xb::xb_Select(previous);
        RaiseEngineError(true);
    }
    area_ = area;
    openedPath_ = path;
    record_.assign(size_t(std::max(1, xb::xb_RecSize())), ' ');
    state_ = TDataSetState::dsBrowse;
    try {
        First();
    } catch (...) {
        xb::xb_Close();
        area_ = 0;
        openedPath_.clear();
        state_ = TDataSetState::dsInactive;
        if (previous) xb::xb_Select(previous);
        throw;
    }
    if (previous && previous != area_) xb::xb_Select(previous);
    for (TXbDataSource* s : std::vector<TXbDataSource*>(sources_)) s->NotifyActive();
}

void TXbDataSet::Close() {
    if (!Active()) return;
    const int own = area_;
    const int previous = xb::xb_Select(own);
    xb::xb_Close();
    area_ = 0;
    openedPath_.clear();
    state_ = TDataSetState::dsInactive;
    hasRecord_ = false;
    eof_ = bof_ = true;
    pending_.clear();
    if (previous && previous != own) xb::xb_Select(previous);
    for (TXbDataSource* s : std::vector<TXbDataSource*>(sources_)) s->NotifyActive();
}

TXbDataSet::AreaGuard::AreaGuard(int own) : own_(own), previous_(xb::xb_Selected()) {
    if (previous_ != own_) xb::xb_Select(own_);
}

TXbDataSet::AreaGuard::~AreaGuard() {
    if (previous_ != 0 && previous_ != own_ && xb::xb_Selected() != previous_) xb::xb_Select(previous_);
}

TXbDataSet::AreaGuard TXbDataSet::Select() const {
    if (!Active()) throw TXbError(xb::XB_ERR_NO_TABLE, false, "the diary table is not open");
    return AreaGuard(area_);
}

void TXbDataSet::CheckBrowse(const char* what) const {
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        throw TXbError(xb::XB_ERR_POSITION, false, std::string(what) + " while a record is being edited");
}

void TXbDataSet::ReadCurrent() {
    if (xb::xb_Eof() || xb::xb_RecCount() == 0) {
        hasRecord_ = false;
        return;
    }
    if (!xb::xb_GetRecord(record_.data())) RaiseEngineError();
    recNo_ = xb::xb_RecNo();
    hasRecord_ = true;
}

void TXbDataSet::Reposition() const {
    if (xb::xb_RecNo() != recNo_ || xb::xb_Eof())
        if (!xb::xb_Go(recNo_) && xb::xb_Error() != xb::XB_OK) RaiseEngineError();
}

void TXbDataSet::First() {
    CheckBrowse("First");
    auto area = Select();
    xb::xb_GoTop();
    if (xb::xb_Error() != xb::XB_OK) RaiseEngineError();
    ReadCurrent();
    bof_ = true;
    eof_ = !hasRecord_;
}

void TXbDataSet::Last() {
    CheckBrowse("Last");
    auto area = Select();
    xb::xb_GoBottom();
    if (xb::xb_Error() != xb::XB_OK) RaiseEngineError();
    ReadCurrent();
    eof_ = true;
    bof_ = !hasRecord_;
}

void TXbDataSet::Next() {
    CheckBrowse("Next");
    if (eof_) return;
    auto area = Select();
    Reposition();
    xb::xb_Skip(1);
    if (xb::xb_Error() != xb::XB_OK) RaiseEngineError();
    bof_ = false;
    if (xb::xb_Eof()) {
        eof_ = true;  // the last record stays current
        return;
    }
    ReadCurrent();
}

void TXbDataSet::Prior() {
    CheckBrowse("Prior");
    if (bof_) return;
    auto area = Select();
    Reposition();
    xb::xb_Skip(-1);
    if (xb::xb_Error() != xb::XB_OK) RaiseEngineError();
    eof_ = false;
    if (xb::xb_Bof()) {
        bof_ = true;
        // The engine stands before the first record: the first stays current.
        xb::xb_GoTop();
        ReadCurrent();
        return;
    }
    ReadCurrent();
}

void TXbDataSet::Resync() {
    CheckBrowse("Resync");
    auto area = Select();
    ReadCurrent();
    eof_ = !hasRecord_;
    bof_ = false;
    if (!hasRecord_) {
        // Nothing current: keep the last record as the current one, at EOF.
        MoveToEnd();
    }
}

void TXbDataSet::MoveToEnd() {
    Last();
    if (hasRecord_) {
        bof_ = false;
        Next();
    }
    eof_ = true;
}

void TXbDataSet::Refresh() {
    CheckBrowse("Refresh");
    auto area = Select();
    if (!hasRecord_) {
        First();
        return;
    }
    if (!xb::xb_Go(recNo_)) RaiseEngineError();
    ReadCurrent();
}

bool TXbDataSet::IsMemo(const std::string& field) const {
    auto area = Select();
    const int i = xb::xb_FieldIndex(field);
    if (i == 0) throw TXbError(xb::XB_ERR_ARG, false, "the table has no field " + field);
    return xb::xb_FieldType(i) == 'M';
}

std::string TXbDataSet::FieldText(const std::string& field) const {
    const std::string name = Upper(field);
    if (auto it = pending_.find(name); it != pending_.end()) return it->second;
    if (!Active() || !hasRecord_) return {};
    auto area = Select();
    const int i = xb::xb_FieldIndex(field);
    if (i == 0) throw TXbError(xb::XB_ERR_ARG, false, "the table has no field " + field);
    if (xb::xb_FieldType(i) == 'M') {
        Reposition();
        char* text = xb::xb_GetMemo(field, 0);
        if (!text) RaiseEngineError();
        std::string out(text);
        xb::xb_MemDealloc(text);
        return out;
    }
    const int offset = xb::xb_FieldOffset(i), width = xb::xb_FieldWidth(i);
    if (offset < 0 || size_t(offset + width) > record_.size()) return {};
    return TrimRight(std::string(record_.data() + offset, size_t(width)));
}

void TXbDataSet::SetFieldText(const std::string& field, const std::string& value) {
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        throw TXbError(xb::XB_ERR_POSITION, false, "field " + field + " written outside an edit");
    auto area = Select();
    const int i = xb::xb_FieldIndex(field);
    if (i == 0) throw TXbError(xb::XB_ERR_ARG, false, "the table has no field " + field);
    if (xb::xb_FieldType(i) == 'M') {
        if (value.find('\0') != std::string::npos)
            throw TXbError(xb::XB_ERR_ARG, false, "memo text for " + field + " holds a NUL character");
    } else if (int(value.size()) > xb::xb_FieldWidth(i)) {
        throw TXbError(xb::XB_ERR_ARG, false, "text too long for field " + field);
    }
    pending_[Upper(field)] = value;
}

void TXbDataSet::Edit() {
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
    auto area = Select();
    if (!hasRecord_) throw TXbError(xb::XB_ERR_POSITION, false, "no current record to edit");
    if (ReadOnly) throw TXbError(xb::XB_ERR_READONLY, false, "the table is open read-only");
    pending_.clear();
    state_ = TDataSetState::dsEdit;
}

void TXbDataSet::Append() {
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) Post();
    auto area = Select();
    if (ReadOnly) throw TXbError(xb::XB_ERR_READONLY, false, "the table is open read-only");
    pending_.clear();
    state_ = TDataSetState::dsInsert;
}

void TXbDataSet::Cancel() {
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) state_ = TDataSetState::dsBrowse;
    pending_.clear();
}

void TXbDataSet::Post() { PostRecord(false); }

void TXbDataSet::PostDeleted() {
    if (state_ != TDataSetState::dsEdit)
        throw TXbError(xb::XB_ERR_POSITION, false, "PostDeleted outside an edit of an existing record");
    PostRecord(true);
    auto area = Select();
    MoveOffDeleted();
}

void TXbDataSet::PostRecord(bool markDeleted) {
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
    auto area = Select();
    // Leave the edit state whatever happens: a failed write must not leave
    // the pending fields waiting for an unrelated later Post.
    const TDataSetState was = state_;
    std::map<std::string, std::string> fields;
    fields.swap(pending_);
    state_ = TDataSetState::dsBrowse;
    // Built apart from the cached current record, which a failed write
    // must leave as it was.
    std::vector<char> rec(record_.size(), ' ');
    if (was != TDataSetState::dsInsert) {
        Reposition();
        if (!xb::xb_GetRecord(rec.data())) RaiseEngineError();
    }
    // Memo texts go to fresh blocks first; the record, keys and memo
    // pointers together, is then written once, so a kill or a full disk
    // leaves either the old record or the new one, never a record without
    // its key.
    bool recordChanged = false;
    for (const auto& [name, value] : fields) {
        const int i = xb::xb_FieldIndex(name);
        if (xb::xb_FieldType(i) == 'M') {
            if (!xb::xb_StageMemo(name, value)) RaiseEngineError();
            recordChanged = true;
        } else {
            const int offset = xb::xb_FieldOffset(i), width = xb::xb_FieldWidth(i);
            std::string padded = value;
            padded.resize(size_t(width), ' ');
            // An unchanged field costs no write (an update keeps its key).
            if (std::memcmp(rec.data() + offset, padded.data(), size_t(width)) != 0) {
                std::memcpy(rec.data() + offset, padded.data(), size_t(width));
                recordChanged = true;
            }
        }
    }
    if (markDeleted && rec[0] != '*') {
        rec[0] = '*';
        recordChanged = true;
    }
    if (was == TDataSetState::dsInsert) {
        if (!xb::xb_AppendRecord(rec.data())) RaiseEngineError();
        recNo_ = xb::xb_RecNo();
    } else if (recordChanged && !xb::xb_PutRecord(rec.data())) {
        RaiseEngineError();
    }
    if (SyncOnPost && !xb::xb_Commit()) RaiseEngineError();
    ReadCurrent();
    eof_ = bof_ = false;
}

void TXbDataSet::Delete() {
    CheckBrowse("Delete");
    auto area = Select();
    if (!hasRecord_) throw TXbError(xb::XB_ERR_POSITION, false, "no current record to delete");
    if (ReadOnly) throw TXbError(xb::XB_ERR_READONLY, false, "the table is open read-only");
    Reposition();
    if (!xb::xb_Delete()) RaiseEngineError();
    if (SyncOnPost && !xb::xb_Commit()) RaiseEngineError();
    MoveOffDeleted();
}

void TXbDataSet::MoveOffDeleted() {
    // The next visible record becomes current, or the last one when the
    // deleted record was the last.
    xb::xb_Skip(1);
    if (xb::xb_Eof()) {
        Last();
        eof_ = !hasRecord_;
        return;
    }
    ReadCurrent();
    eof_ = bof_ = false;
}

void TXbDataSet::EnableControls() {
    if (disabled_ > 0) --disabled_;
}

}  // namespace quill
