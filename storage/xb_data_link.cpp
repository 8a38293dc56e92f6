#include "storage/xb_data_link.h"

#include <algorithm>

#include "storage/xb_data_set.h"

namespace quill {

TXbDataSource::~TXbDataSource() {
    SetDataSet(nullptr);
    for (TXbDataLink* link : std::vector<TXbDataLink*>(links_)) link->source_ = nullptr;
}

void TXbDataSource::SetDataSet(TXbDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) std::erase(dataSet_->sources_, this);
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->sources_.push_back(this);
    for (TXbDataLink* link : std::vector<TXbDataLink*>(links_)) link->Changed();
}

void TXbDataSource::NotifyActive() {
    for (TXbDataLink* link : std::vector<TXbDataLink*>(links_)) link->Changed();
}

void TXbDataSource::DataSetGone() {
    dataSet_ = nullptr;
    for (TXbDataLink* link : std::vector<TXbDataLink*>(links_)) link->Changed();
}

void TXbDataLink::SetDataSource(TXbDataSource* source) {
    if (source == source_) return;
    if (source_) std::erase(source_->links_, this);
    source_ = source;
    if (source_) {
        source_->links_.push_back(this);
        Changed();
    }
}

}  // namespace quill
