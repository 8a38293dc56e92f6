#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "app/diary_folder.h"

namespace quill {

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::IsAnotherInstanceRunning(const std::string& diaryFolder) {
    if (fd_ >= 0) return false;
    const std::string path = WithTrailingSeparator(diaryFolder) + kInstanceLockFileName;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held;
    }
    fd_ = fd;
    return false;
}

}  // namespace quill
