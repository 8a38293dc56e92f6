#pragma once
// The diary table layer behind the main window's small table interface.

#include <memory>

#include "app/diary_store.h"

namespace quill {

std::unique_ptr<DiaryStore> MakeStorageDiaryStore();

}  // namespace quill
