#include "app/storage_diary_store.h"

#include <exception>
#include <stdexcept>

#include "app/entry_search/diary_search.h"
#include "storage/days_with_entries.h"
#include "storage/diary_storage.h"

namespace quill {

namespace {

class StorageDiaryStore : public DiaryStore {
public:
    bool OpenDiaryFile(const std::string& folder) override {
        try {
            search_.reset();
            storage_ = std::make_unique<DiaryStorage>(folder);
            if (storage_->OpenDiaryFile()) {
                search_ = std::make_unique<DiarySearch>(*storage_);
                return true;
            }
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

    // A record whose text cannot be read raises; the print job reports it.
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

    int KeyState() override { return storage_ ? storage_->KeyState() : 0; }

    bool SealOwnText(std::string_view text, std::string_view binding, std::string& sealed) override {
        return storage_ && storage_->DiaryTable.Active() &&
               storage_->DiaryEngine.SealOwnText(text, binding, sealed);
    }
    bool OpenOwnText(std::string_view sealed, std::string_view binding, std::string& text) override {
        return storage_ && storage_->DiaryTable.Active() &&
               storage_->DiaryEngine.OpenOwnText(sealed, binding, text);
    }

    bool UsePassword(const std::string& password) override {
        return storage_ ? storage_->UsePassword(password) : false;
    }

    void CloseIndexes() override {
        if (!storage_) return;
        storage_->DiaryEngine.SetOrder(0);
        storage_->DiaryEngine.CloseIndexes();
    }

    void ReopenIndexes() override {
        if (!storage_) return;
        try {
            storage_->DiaryEngine.IndexOpen(storage_->ProgramFolder() + kDiaryIndexName);
        } catch (const std::exception&) {
        }
        // A missing or unreadable index is built again rather than leaving
        // the diary without its date order.
        if (storage_->DiaryEngine.TagArea("DATE") == 0) storage_->CreateDiaryIndex();
        storage_->DiaryEngine.SetOrder(1);
    }

    DiaryStorage* Storage() override { return storage_.get(); }

    std::string LastError() const override { return error_; }

    std::vector<std::string> OpenNotes() const override {
        return storage_ ? storage_->OpenNotes() : std::vector<std::string>();
    }

    void GetDaysWithEntries(std::vector<std::string>& days, int year, int month) override {
        days.clear();
        // A month that cannot be read shows no marks; the dialog reports
        // nothing.
        if (storage_) quill::GetDaysWithEntries(*storage_, days, year, month);
    }

    DiarySearch* EntrySearch() override { return search_.get(); }

private:
    std::unique_ptr<DiaryStorage> storage_;
    std::unique_ptr<DiarySearch> search_;  // declared after storage_: it goes first
    std::string error_;
};

}  // namespace

std::unique_ptr<DiaryStore> MakeStorageDiaryStore() { return std::make_unique<StorageDiaryStore>(); }

}  // namespace quill
