#include "storage/xb_table.h"

#include <algorithm>

#include "storage/engine/xb_engine.h"
#include "storage/xb_data_set.h"
#include "storage/xb_error.h"

namespace quill {

// Selects the data set's work area for the length of one operation,
// remembering the area that was selected before; restores it afterwards
// unless it was none or the data set's own.
class TXbTable::AreaScope {
public:
    explicit AreaScope(TXbTable& t) : t_(t) {
        if (!t_.dataSet_ && t_.DataSource()) t_.dataSet_ = t_.DataSource()->DataSet();
        own_ = t_.Open() ? t_.dataSet_->WorkArea() : 0;
        t_.previousArea_ = int16_t(own_ ? xb::xb_Select(own_) : xb::xb_Selected());
    }
    ~AreaScope() {
        const int previous = t_.previousArea_;
        if (previous != 0 && previous != own_ && xb::xb_Selected() != previous) xb::xb_Select(previous);
    }
    int own() const { return own_; }

private:
    TXbTable& t_;
    int own_ = 0;
};

TXbTable::TXbTable() : link_([this] { DataSetChanged(); }) {}

TXbTable::~TXbTable() = default;

bool TXbTable::Open() const { return dataSet_ && dataSet_->Active(); }

void TXbTable::DataSetChanged() {
    dataSet_ = link_.DataSet();
    if (!Open()) return;
    AreaScope scope(*this);
    if (!filter_.empty()) xb::xb_Query(filter_);
    for (const auto& index : ExtraIndexes)
        if (!index.empty()) xb::xb_IndexOpen(index);
    if (recordBuffer_.empty()) recordBuffer_.assign(size_t(std::max(1, xb::xb_RecSize())), ' ');
    RefreshIndexList();
}

void TXbTable::RefreshIndexList() { indexList_ = Open() ? xb::xb_IndexList() : std::vector<std::string>{}; }

int TXbTable::SetFilter(const std::string& expression) {
    filter_ = expression;
    AreaScope scope(*this);
    if (!scope.own()) return 1;
    const int result = xb::xb_Query(expression);
    // The data set's current record may no longer pass the filter.
    if (result) dataSet_->Resync();
    return result;
}

void TXbTable::SetTurboRead(bool on) {
    turboRead_ = on;
    AreaScope scope(*this);
    xb::xb_SetTurboRead(on);
}

bool TXbTable::CreateNew(const std::string& path, int driver, int fieldCount) {
    AreaScope scope(*this);
    createdArea_ = xb::xb_CreateNew(path, "XXXXXXXXXX", driver, fieldCount);
    return createdArea_ != 0;
}

void TXbTable::CreateField(const std::string& name, char type, int width, int decimals) {
    AreaScope scope(*this);
    if (createdArea_) xb::xb_Select(createdArea_);
    xb::xb_CreateField(name, type, width, decimals);
}

bool TXbTable::CreateExec() {
    AreaScope scope(*this);
    if (!createdArea_) return false;
    xb::xb_Select(createdArea_);
    const int result = xb::xb_CreateExec();
    // The new table is left open in its area; the program opens it again
    // through the data set, exclusively.
    if (xb::xb_Selected() == createdArea_) xb::xb_Close();
    createdArea_ = 0;
    return result != 0;
}

int TXbTable::SetOrder(int order) {
    AreaScope scope(*this);
    if (!scope.own()) return 0;
    RefreshIndexList();
    const int before = xb::xb_IndexOrd();
    if (order == 0 || (order > 0 && size_t(order) <= indexList_.size())) {
        xb::xb_SetOrder(order);
        if (xb::xb_Error() != xb::XB_OK) RaiseEngineError();
    }
    return before;
}

bool TXbTable::Seek(const std::string& key) {
    AreaScope scope(*this);
    if (!scope.own()) throw TXbError(xb::XB_ERR_NO_TABLE, false, "seek on a table that is not open");
    // A pending edit belongs to the record it started on.
    if (dataSet_->State() != TDataSetState::dsBrowse) dataSet_->Post();
    const int found = xb::xb_Seek(key);
    if (!found) {
        if (xb::xb_Error() != xb::XB_OK) RaiseEngineError();
        dataSet_->MoveToEnd();
        return false;
    }
    dataSet_->Resync();
    return true;
}

int TXbTable::IndexOpen(const std::string& path) {
    AreaScope scope(*this);
    const int order = xb::xb_IndexOpen(path);
    RefreshIndexList();
    if (order && scope.own()) {
        xb::xb_SetOrder(order);
        dataSet_->Resync();
    }
    return order;
}

void TXbTable::CloseIndexes() {
    AreaScope scope(*this);
    if (!scope.own()) return;
    xb::xb_CloseIndexes();
    RefreshIndexList();
}

int TXbTable::IndexTag(const std::string& file, const std::string& tag, const std::string& expression,
                       int option, bool descending, const std::string& condition) {
    AreaScope scope(*this);
    if (!scope.own()) throw TXbError(xb::XB_ERR_NO_TABLE, false, "index built on a table that is not open");
    if (dataSet_->State() != TDataSetState::dsBrowse) dataSet_->Post();
    const int order = xb::xb_IndexTag(file, tag, expression, option, descending ? 1 : 0, condition);
    if (order == 0) RaiseEngineError();
    RefreshIndexList();
    xb::xb_SetOrder(order);
    dataSet_->Refresh();
    return order;
}

int TXbTable::TagArea(const std::string& tag) {
    AreaScope scope(*this);
    return scope.own() ? xb::xb_TagArea(tag) : 0;
}

int TXbTable::IndexOrd() {
    AreaScope scope(*this);
    return scope.own() ? xb::xb_IndexOrd() : 0;
}

void TXbTable::Pack() {
    AreaScope scope(*this);
    if (!scope.own()) throw TXbError(xb::XB_ERR_NO_TABLE, false, "pack on a table that is not open");
    if (dataSet_->State() != TDataSetState::dsBrowse) dataSet_->Post();
    if (!xb::xb_Pack()) RaiseEngineError();
    RefreshIndexList();
    dataSet_->First();
}

std::string TXbTable::DBFilter() {
    AreaScope scope(*this);
    return scope.own() ? xb::xb_DBFilter() : filter_;
}

void TXbTable::SetPassword(const std::string& password) {
    AreaScope scope(*this);
    xb::xb_SetPassword(password);
}

bool TXbTable::DbfEncrypt() {
    AreaScope scope(*this);
    if (!scope.own()) return false;
    const bool ok = xb::xb_DbfEncrypt() != 0;
    if (ok) dataSet_->Refresh();
    return ok;
}

bool TXbTable::DbfDecrypt() {
    AreaScope scope(*this);
    if (!scope.own()) return false;
    const bool ok = xb::xb_DbfDecrypt() != 0;
    if (ok) dataSet_->Refresh();
    return ok;
}

bool TXbTable::DbfChangePassword(const std::string& newPassword) {
    AreaScope scope(*this);
    if (!scope.own()) return false;
    const bool ok = xb::xb_DbfChangePassword(newPassword) != 0;
    if (ok) dataSet_->Refresh();
    return ok;
}

int TXbTable::KeyState() {
    AreaScope scope(*this);
    if (!scope.own()) return xb::XB_KEY_PLAIN;
    return xb::xb_KeyState();
}

bool TXbTable::SealOwnText(std::string_view text, std::string_view binding, std::string& sealed) {
    AreaScope scope(*this);
    return scope.own() && xb::xb_SealOwnText(text, binding, sealed) != 0;
}

bool TXbTable::OpenOwnText(std::string_view sealed, std::string_view binding, std::string& text) {
    AreaScope scope(*this);
    return scope.own() && xb::xb_OpenOwnText(sealed, binding, text) != 0;
}

std::string TXbTable::DamageText() {
    AreaScope scope(*this);
    return scope.own() ? xb::xb_DamageText() : std::string();
}

long TXbTable::RecordCount() {
    AreaScope scope(*this);
    return scope.own() ? xb::xb_RecCount() : 0;
}

std::string TXbTable::IndexKey(int order) {
    AreaScope scope(*this);
    return scope.own() ? xb::xb_IndexKey(order) : std::string();
}

void TXbTable::SetGaugeHook(std::function<void(int)> hook) {
    AreaScope scope(*this);
    xb::xb_SetGaugeHook(std::move(hook));
}

}  // namespace quill
