#pragma once
// The print jobs' entries read from a DiaryStorage that the caller opened.

#include "print/print_entry_source.h"
#include "storage/diary_storage.h"

namespace quill {

class TStoragePrintSource : public TPrintEntrySource {
 public:
  explicit TStoragePrintSource(DiaryStorage& storage) : storage_(storage) {}
  bool FindDateRecord(Date day) override { return storage_.FindDateRecord(day); }
  std::string CurrentEntryText() override { return storage_.CurrentEntryText(); }

 private:
  DiaryStorage& storage_;
};

}  // namespace quill
