#include "spell/engine/user_dictionary_journal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "spell/engine/spell_file_io.h"

namespace quill::spell {
namespace {

constexpr char kMagic[8] = {'Q', 'B', 'S', 'P', 'J', 'R', 'N', '1'};
// A user dictionary is at most 65,000 nodes; a journal is never near this.
constexpr int64_t kMaxJournalBytes = 8 * 1024 * 1024;

uint64_t Fnv1a(const uint8_t* p, size_t n) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < n; ++i) {
        h ^= p[i];
        h *= 1099511628211ull;
    }
    return h;
}

void PutLe(std::vector<uint8_t>& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint64_t GetLe(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t(p[i]) << (8 * i);
    return v;
}

bool ApplyAndSync(int fd, const std::vector<TFileChange>& changes) {
    for (const auto& c : changes) {
        if (!WriteAt(fd, c.Offset, c.Bytes.data(), c.Bytes.size())) return false;
    }
    return fdatasync(fd) == 0;
}

// Removing needs no folder sync: should the removal be lost in a crash, the
// next open replays a change the file already holds, which changes nothing;
// and the next change's journal replaces it under the same name.
bool RemoveJournal(const std::string& dictionaryPath) {
    std::string journal = JournalPathOf(dictionaryPath);
    return unlink(journal.c_str()) == 0 || errno == ENOENT;
}

// Parses a journal image; false when it is incomplete or damaged.
bool ParseJournal(const std::vector<uint8_t>& image, std::vector<TFileChange>& changes) {
    const size_t n = image.size();
    if (n < sizeof kMagic + 4 + 8 || std::memcmp(image.data(), kMagic, sizeof kMagic) != 0) {
        return false;
    }
    if (Fnv1a(image.data(), n - 8) != GetLe(image.data() + n - 8, 8)) return false;
    size_t pos = sizeof kMagic;
    uint64_t count = GetLe(image.data() + pos, 4);
    pos += 4;
    for (uint64_t i = 0; i < count; ++i) {
        if (pos + 12 > n - 8) return false;
        TFileChange c;
        c.Offset = static_cast<int64_t>(GetLe(image.data() + pos, 8));
        uint64_t len = GetLe(image.data() + pos + 8, 4);
        pos += 12;
        if (c.Offset < 0 || len > n - 8 - pos) return false;
        c.Bytes.assign(image.begin() + pos, image.begin() + pos + len);
        pos += len;
        changes.push_back(std::move(c));
    }
    return pos == n - 8;
}

}  // namespace

std::string JournalPathOf(const std::string& dictionaryPath) {
    return dictionaryPath + "-journal";
}

bool ApplyChangesDurably(const std::string& dictionaryPath, int fd,
                         const std::vector<TFileChange>& changes) noexcept {
    try {
        if (changes.empty()) return true;
        std::vector<uint8_t> image(kMagic, kMagic + sizeof kMagic);
        PutLe(image, changes.size(), 4);
        for (const auto& c : changes) {
            PutLe(image, static_cast<uint64_t>(c.Offset), 8);
            PutLe(image, c.Bytes.size(), 4);
            image.insert(image.end(), c.Bytes.begin(), c.Bytes.end());
        }
        PutLe(image, Fnv1a(image.data(), image.size()), 8);

        std::string journal = JournalPathOf(dictionaryPath);
        int jfd = open(journal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (jfd < 0) return false;
        bool written = WriteAt(jfd, 0, image.data(), image.size()) && fdatasync(jfd) == 0;
        close(jfd);
        if (!written || !SyncFolderOf(dictionaryPath)) {
            // Nothing was applied yet: dropping the journal keeps the file as it was.
            unlink(journal.c_str());
            return false;
        }
        // From here the change is decided: if applying fails, the journal
        // stays and the next open completes it.
        if (!ApplyAndSync(fd, changes)) return false;
        RemoveJournal(dictionaryPath);
        return true;
    } catch (...) {
        return false;
    }
}

bool RecoverJournal(const std::string& dictionaryPath, int fd) noexcept {
    try {
        std::string journal = JournalPathOf(dictionaryPath);
        int jfd = open(journal.c_str(), O_RDONLY | O_CLOEXEC);
        if (jfd < 0) return true;  // no interrupted change
        int64_t size = FileSizeOf(jfd);
        std::vector<uint8_t> image;
        if (size > 0 && size <= kMaxJournalBytes) {
            image.resize(static_cast<size_t>(size));
            image.resize(ReadAt(jfd, 0, image.data(), image.size()));
        }
        close(jfd);
        std::vector<TFileChange> changes;
        if (!ParseJournal(image, changes)) {
            RemoveJournal(dictionaryPath);
            return true;
        }
        if (!ApplyAndSync(fd, changes)) return false;
        RemoveJournal(dictionaryPath);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace quill::spell
