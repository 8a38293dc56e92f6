#include "app/diary_store.h"

#include <stdexcept>

#ifdef QUILLBOOK_HAVE_STORAGE
#include "app/storage_diary_store.h"
#endif

namespace quill {

namespace {

// Stands in while this build has no table layer: the table cannot be opened,
// so start-up takes the failed-open path and nothing pretends to be saved.
class NoDiaryStore : public DiaryStore {
public:
    bool OpenDiaryFile(const std::string&) override { return false; }
    bool FindDateRecord(Date) override { return false; }
    std::string CurrentEntryText() override { return {}; }
    bool SaveEntry(Date, const std::string&) override { throw std::runtime_error(LastError()); }
    Date FirstEntry() override { return Today(); }
    Date LastEntry() override { return Today(); }
    void SetPassword(const std::string&) override {}
    std::string LastError() const override {
        return "This build of Quillbook has no diary table layer.";
    }
};

}  // namespace

std::unique_ptr<DiaryStore> MakeDiaryStore() {
#ifdef QUILLBOOK_HAVE_STORAGE
    return MakeStorageDiaryStore();
#else
    return std::make_unique<NoDiaryStore>();
#endif
}

}  // namespace quill
