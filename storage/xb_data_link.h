#pragma once
// A data source names the data set that views and the engine wrapper are
// bound to; a data link watches one data source and tells its owner when
// the data set behind it changes or becomes active.

#include <functional>
#include <vector>

namespace quill {

class TXbDataSet;
class TXbDataLink;

class TXbDataSource {
public:
    TXbDataSource() = default;
    explicit TXbDataSource(TXbDataSet* dataSet) { SetDataSet(dataSet); }
    ~TXbDataSource();
    TXbDataSource(const TXbDataSource&) = delete;
    TXbDataSource& operator=(const TXbDataSource&) = delete;

    TXbDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TXbDataSet* dataSet);

private:
    friend class TXbDataLink;
    friend class TXbDataSet;
    void NotifyActive();
    void DataSetGone();

    TXbDataSet* dataSet_ = nullptr;
    std::vector<TXbDataLink*> links_;
};

class TXbDataLink {
public:
    // ONCHANGE runs when the data set changes or becomes active.
    explicit TXbDataLink(std::function<void()> onChange) : onChange_(std::move(onChange)) {}
    ~TXbDataLink() { SetDataSource(nullptr); }
    TXbDataLink(const TXbDataLink&) = delete;
    TXbDataLink& operator=(const TXbDataLink&) = delete;

    TXbDataSource* DataSource() const { return source_; }
    void SetDataSource(TXbDataSource* source);
    TXbDataSet* DataSet() const { return source_ ? source_->DataSet() : nullptr; }

private:
    friend class TXbDataSource;
    void Changed() {
        if (onChange_) onChange_();
    }

    std::function<void()> onChange_;
    TXbDataSource* source_ = nullptr;
};

}  // namespace quill
