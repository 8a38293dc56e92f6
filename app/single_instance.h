#pragma once
// One running copy per diary: a lock on a file in the diary folder, held by
// the first copy until it ends. The system drops the lock with the process,
// so a crash never leaves a stale lock behind.

#include <string>

namespace quill {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another running copy holds the lock. When the lock cannot be
    // set up at all (no folder, no file), no other copy is assumed, as the
    // table's own exclusive open still keeps two copies apart.
    bool IsAnotherInstanceRunning(const std::string& diaryFolder);

    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

inline constexpr const char* kInstanceLockFileName = "quillbook.lock";

}  // namespace quill
