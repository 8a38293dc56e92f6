#pragma once
// Crash-safe changes to a user dictionary. Inserting a word shifts nodes and
// renumbers links all over the file; a kill in the middle would leave a
// broken trie. So every change is first written, complete and synced, to a
// journal beside the file ("<file>-journal"), then applied in place, then
// the journal is removed. Opening the dictionary replays a complete journal
// left by an interrupted change and drops an incomplete one (the dictionary
// was not touched yet in that case).

#include <cstdint>
#include <string>
#include <vector>

namespace quill::spell {

struct TFileChange {
    int64_t Offset = 0;
    std::vector<uint8_t> Bytes;
};

std::string JournalPathOf(const std::string& dictionaryPath);

// Journal, apply to fd, sync, remove the journal. False when the change could
// not be made safely; the file is then unchanged, or the journal that
// completes it is on disk.
bool ApplyChangesDurably(const std::string& dictionaryPath, int fd,
                         const std::vector<TFileChange>& changes) noexcept;

// Finishes or drops a change left by a crash. False only when a complete
// journal exists but could not be applied (the journal then stays).
bool RecoverJournal(const std::string& dictionaryPath, int fd) noexcept;

}  // namespace quill::spell
