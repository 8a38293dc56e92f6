#pragma once
// A table data set over one engine work area: a current record with end-of-
// file and beginning-of-file flags, browse / edit / insert states, field
// access by name, and views that can be told to stop following record moves
// during long work. Engine failures are raised as TXbError.

#include <map>
#include <string>
#include <vector>

namespace quill {

class TXbDataSource;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class TXbDataSet {
public:
    TXbDataSet() = default;
    ~TXbDataSet();
    TXbDataSet(const TXbDataSet&) = delete;
    TXbDataSet& operator=(const TXbDataSet&) = delete;

    // The table file: DatabaseName is its folder, TableName its file name
    // (matched ignoring case when the exact spelling is not there).
    std::string DatabaseName;
    std::string TableName;
    bool Exclusive = true;   // no other program may open the table meanwhile
    bool ReadOnly = false;
    // Post and Delete end with the engine's commit (fsync), so a write that
    // returned is on disk. Only benchmarks turn it off.
    bool SyncOnPost = true;

    void Open();
    void Close();
    bool Active() const { return area_ != 0; }
    int WorkArea() const { return area_; }
    std::string TablePath() const;  // the path as opened or to be opened
    TDataSetState State() const { return state_; }

    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return !hasRecord_; }
    long RecNo() const { return hasRecord_ ? recNo_ : 0; }

    // Takes the engine's current record as the data set's current record
    // (after a seek or another engine move).
    void Resync();
    // Re-reads the current record from the table.
    void Refresh();
    // Puts the data set on its last record and then one step past it.
    void MoveToEnd();

    void Edit();
    void Append();
    void Post();
    // Posts the pending fields of the edited record and flags it deleted in
    // the same record write; then moves on as Delete does.
    void PostDeleted();
    void Cancel();
    void Delete();

    // Text of a character field without its blank padding; empty when there
    // is no current record. Memo fields give their whole text.
    std::string FieldText(const std::string& field) const;
    // Only in dsEdit or dsInsert. Memo text must not hold a NUL character.
    void SetFieldText(const std::string& field, const std::string& value);

    // Views bound to the data set stop following record movements while
    // disabled; calls nest.
    void DisableControls() { ++disabled_; }
    void EnableControls();
    bool ControlsDisabled() const { return disabled_ > 0; }

private:
    friend class TXbDataSource;
    friend class TXbDataLink;

    // Selects the data set's work area until the returned guard goes, then
    // the area selected before comes back: the engine's selection is
    // process-wide and other tables' code relies on it.
    class AreaGuard {
    public:
        explicit AreaGuard(int own);
        ~AreaGuard();
        AreaGuard(const AreaGuard&) = delete;
        AreaGuard& operator=(const AreaGuard&) = delete;

    private:
        int own_, previous_;
    };
    [[nodiscard]] AreaGuard Select() const;
    void ReadCurrent();   // loads the engine's current record into the cache
    void Reposition() const;  // puts the engine back on the cached record
    bool IsMemo(const std::string& field) const;
    void CheckBrowse(const char* what) const;
    void PostRecord(bool markDeleted);
    void MoveOffDeleted();  // after the current record was flagged deleted

    int area_ = 0;
    std::string openedPath_;
    TDataSetState state_ = TDataSetState::dsInactive;
    bool hasRecord_ = false;
    bool eof_ = true, bof_ = true;
    long recNo_ = 0;
    std::vector<char> record_;       // current record as read, deletion flag first
    std::map<std::string, std::string> pending_;  // upper-case field name -> new text
    int disabled_ = 0;
    std::vector<TXbDataSource*> sources_;
};

// The alias a table is opened under: file name without extension, its first
// eight characters with "~", "-" and blanks made "_"; while that alias is
// in use, those eight characters, "_" and a counter from 1.
std::string AliasForTable(const std::string& fileName);

}  // namespace quill
