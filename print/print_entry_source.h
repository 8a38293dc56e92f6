#pragma once
// Where the print jobs read the diary from: find a day's record, then read
// the stored text of the record found. The main window answers with its
// table, quillbook-tool and the tests with a DiaryStorage of their own.

#include <string>

#include "dates/date_keys.h"

namespace quill {

class TPrintEntrySource {
 public:
  virtual ~TPrintEntrySource() = default;
  // Positions on DAY's record; true when it exists.
  virtual bool FindDateRecord(Date day) = 0;
  // The stored text of the record the last FindDateRecord found.
  virtual std::string CurrentEntryText() = 0;
};

}  // namespace quill
