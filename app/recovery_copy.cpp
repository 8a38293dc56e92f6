#include "app/recovery_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quill {

namespace {

// First line, so that a stray file under the name is never taken for a page.
constexpr std::string_view kMagic = "Quillbook recovery copy 1\n";
constexpr std::string_view kSealedMagic = "Quillbook recovery copy 1 sealed\n";

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

}  // namespace

RecoveryCopy::RecoveryCopy(std::string folder) : path_(std::move(folder) + kRecoveryFileName) {}

bool RecoveryCopy::Exists() const {
    struct stat st {};
    return ::stat(path_.c_str(), &st) == 0;
}

std::string RecoveryBinding(Date day) { return std::string(kRecoveryFileName) + " " + DateToKey(day); }

void RecoveryCopy::Write(Date day, std::string_view text, bool sealed) const {
    std::string bytes(sealed ? kSealedMagic : kMagic);
    bytes += DateToKey(day);
    bytes += '\n';
    bytes += std::to_string(text.size());
    bytes += '\n';
    bytes += text;

    const std::string fresh = path_ + ".new";
    // Only the user reads the page: the copy is private like the diary.
    const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw std::runtime_error("Cannot create file " + fresh + ": " + std::strerror(errno));
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int err = errno;
    ::close(fd);
    if (!written || std::rename(fresh.c_str(), path_.c_str()) != 0) {
        std::remove(fresh.c_str());
        throw std::runtime_error("Cannot write file " + path_ + ": " + std::strerror(written ? errno : err));
    }
    const int dir = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

std::optional<RecoveredPage> RecoveryCopy::Read() const {
    std::ifstream in(path_, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RecoveredPage page;
    size_t at = 0;
    if (bytes.compare(0, kMagic.size(), kMagic) == 0) {
        at = kMagic.size();
    } else if (bytes.compare(0, kSealedMagic.size(), kSealedMagic) == 0) {
        at = kSealedMagic.size();
        page.sealed = true;
    } else {
        return std::nullopt;
    }
    const size_t keyEnd = bytes.find('\n', at);
    if (keyEnd == std::string::npos) return std::nullopt;
    if (!KeyToDate(std::string_view(bytes).substr(at, keyEnd - at), page.day)) return std::nullopt;
    at = keyEnd + 1;
    const size_t sizeEnd = bytes.find('\n', at);
    if (sizeEnd == std::string::npos || sizeEnd == at) return std::nullopt;
    size_t size = 0;
    for (size_t i = at; i < sizeEnd; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9' || size > (size_t(1) << 40)) return std::nullopt;
        size = size * 10 + size_t(bytes[i] - '0');
    }
    at = sizeEnd + 1;
    if (bytes.size() - at != size) return std::nullopt;  // cut short or grown
    page.text = bytes.substr(at);
    return page;
}

std::string RecoveryCopy::KeepAside() const {
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path_ + ".KEPT" + std::to_string(n);
        struct stat st {};
        if (::lstat(aside.c_str(), &st) == 0) continue;
        // link + unlink: an existing file under the new name is never replaced.
        if (::link(path_.c_str(), aside.c_str()) != 0) {
            if (errno == EEXIST) continue;
            return {};
        }
        ::unlink(path_.c_str());
        return aside;
    }
    return {};
}

void RecoveryCopy::Remove() const {
    std::remove(path_.c_str());
    std::remove((path_ + ".new").c_str());
}

}  // namespace quill
