#include "spell/engine/spell_file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quill::spell {

size_t ReadAt(int fd, int64_t offset, void* buf, size_t n) noexcept {
    size_t done = 0;
    auto* p = static_cast<uint8_t*>(buf);
    while (done < n) {
        ssize_t r = pread(fd, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

bool WriteAt(int fd, int64_t offset, const void* buf, size_t n) noexcept {
    size_t done = 0;
    const auto* p = static_cast<const uint8_t*>(buf);
    while (done < n) {
        ssize_t r = pwrite(fd, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        done += static_cast<size_t>(r);
    }
    return true;
}

int64_t SkipBanner(int fd) noexcept {
    uint8_t buf[512];
    int64_t offset = 0;
    for (;;) {
        size_t n = ReadAt(fd, offset, buf, sizeof buf);
        if (n == 0) return -1;
        if (const void* hit = std::memchr(buf, 0x1A, n)) {
            return offset + (static_cast<const uint8_t*>(hit) - buf) + 1;
        }
        offset += static_cast<int64_t>(n);
    }
}

int64_t FileSizeOf(int fd) noexcept {
    struct stat st {};
    if (fstat(fd, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool SyncFolderOf(const std::string& path) noexcept {
    std::string folder;
    try {
        size_t slash = path.rfind('/');
        folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    } catch (...) {
        return false;
    }
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

}  // namespace quill::spell
