#pragma once
// The engine wrapper bound to one data set. Every table-wide operation the
// program needs (creating a table, orders and seeks, index files, pack,
// filter, encryption, progress) goes through it, and each one leaves the
// engine's selected work area as it found it: the engine's selection is
// process-wide state that other tables' code relies on.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/xb_data_link.h"

namespace quill {

class TXbDataSet;

class TXbTable {
public:
    TXbTable();
    ~TXbTable();
    TXbTable(const TXbTable&) = delete;
    TXbTable& operator=(const TXbTable&) = delete;

    // Published properties.
    TXbDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TXbDataSource* source) { link_.SetDataSource(source); }
    std::vector<std::string> ExtraIndexes;  // opened each time the data set becomes active
    const std::string& Filter() const { return filter_; }
    // Stores the expression; the engine gets it only while the data set is
    // open. Returns the engine's result (non-zero = accepted), 1 when closed.
    int SetFilter(const std::string& expression);
    bool TurboRead() const { return turboRead_; }
    void SetTurboRead(bool on);

    bool CreateNew(const std::string& path, int driver, int fieldCount);
    void CreateField(const std::string& name, char type, int width, int decimals);
    bool CreateExec();

    int SetOrder(int order);  // returns the order before the change
    bool Seek(const std::string& key);
    int IndexOpen(const std::string& path);
    void CloseIndexes();
    // Raises TXbError when the engine cannot build the tag.
    int IndexTag(const std::string& file, const std::string& tag, const std::string& expression, int option,
                 bool descending, const std::string& condition);
    int TagArea(const std::string& tag);
    int IndexOrd();
    void Pack();  // raises TXbError on failure
    std::string DBFilter();
    void SetPassword(const std::string& password);
    bool DbfEncrypt();
    bool DbfDecrypt();
    // Re-writes the table from its present protection straight to
    // NEWPASSWORD (empty: none) in one pass; false on failure, the table
    // then as it was (the engine's error says why).
    bool DbfChangePassword(const std::string& newPassword);
    // xb::XB_KEY_PLAIN, XB_KEY_OPEN or XB_KEY_LOCKED; plain when closed.
    int KeyState();
    // Seal and open a file's text with the table's key (see xb_SealOwnText);
    // false when the table is plain, locked, or the seal does not open.
    bool SealOwnText(std::string_view text, std::string_view binding, std::string& sealed);
    bool OpenOwnText(std::string_view sealed, std::string_view binding, std::string& text);
    // What the engine found damaged and worked around when it opened the
    // table or last packed it ("" when nothing, or the table is closed).
    std::string DamageText();
    // Physical records, deleted ones included; 0 when closed.
    long RecordCount();
    // The key expression of order ORDER (1 = the first tag); "" when closed.
    std::string IndexKey(int order);
    // Progress 0-100 during pack, index builds and encryption; an empty
    // function stops the notifications.
    void SetGaugeHook(std::function<void(int)> hook);

    TXbDataSet* DataSet() const { return dataSet_; }
    std::vector<std::string> IndexList() const { return indexList_; }
    int PreviousArea() const { return previousArea_; }

private:
    class AreaScope;
    void DataSetChanged();
    bool Open() const;
    void RefreshIndexList();

    TXbDataLink link_;
    TXbDataSet* dataSet_ = nullptr;
    int16_t previousArea_ = 0;
    std::vector<char> recordBuffer_;
    std::vector<std::string> indexList_;
    std::string filter_;
    bool turboRead_ = false;
    int createdArea_ = 0;
};

}  // namespace quill
