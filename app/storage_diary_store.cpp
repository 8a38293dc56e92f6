#include "app/storage_diary_store.h"

#include <exception>
#include <stdexcept>

#include "storage/diary_storage.h"

namespace quill {

namespace {

class StorageDiaryStore : public DiaryStore {
public:
    bool OpenDiaryFile(const std::string& folder) override {
        try {
            storage_ = std::make_unique<DiaryStorage>(folder);
            if (storage_->OpenDiaryFile()) return true;
            error_ = storage_->LastError();
        } catch (const std::exception& e) {
            error_ = e.what();
        }
        storage_.reset();
        return false;
    }

    bool FindDateRecord(Date date) override {
        if (!storage_) return false;
        try {
            return storage_->FindDateRecord(date);
        } catch (const std::exception& e) {
            // A seek that fails is reported as "no entry"; the save of a new
            // page then appends, which is what an unreadable day needs.
            error_ = e.what();
            return false;
        }
    }

    std::string CurrentEntryText() override { return storage_ ? storage_->CurrentEntryText() : std::string(); }

    bool SaveEntry(Date date, const std::string& storedText) override {
        if (!storage_) throw std::runtime_error("The diary is not open.");
        return storage_->SaveEntry(date, storedText);
    }

    Date FirstEntry() override { return storage_ ? storage_->FirstEntry() : Today(); }
    Date LastEntry() override { return storage_ ? storage_->LastEntry() : Today(); }

    void SetPassword(const std::string& password) override {
        if (storage_) storage_->DiaryEngine.SetPassword(password);
    }

    std::string LastError() const override { return error_; }

    std::vector<std::string> OpenNotes() const override {
        return storage_ ? storage_->OpenNotes() : std::vector<std::string>();
    }

private:
    std::unique_ptr<DiaryStorage> storage_;
    std::string error_;
};

}  // namespace

std::unique_ptr<DiaryStore> MakeStorageDiaryStore() { return std::make_unique<StorageDiaryStore>(); }

}  // namespace quill
