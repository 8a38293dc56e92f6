#include "storage/engine/file_io.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/engine/xb_engine.h"
#include "storage/engine/xb_failure.h"

namespace quill::xb {

namespace {

std::function<int(const std::string&, std::size_t)>& FaultHook() {
  static std::function<int(const std::string&, std::size_t)> hook;
  return hook;
}

[[noreturn]] void IoFail(const std::string& path, const std::string& what, int err) {
  throw XbFailure(XB_ERR_IO, BaseName(path) + ": " + what + " failed: " + std::strerror(err));
}

}  // namespace

void WriteNewFile(const std::string& path, const std::string& bytes) {
  File out;
  out.Open(path, File::Mode::CreateNew);
  try {
    out.WriteAt(0, bytes.data(), bytes.size());
    out.Sync();
  } catch (...) {
    out.Close();
    RemoveFile(path);
    throw;
  }
}

void ReplaceWithNewFile(const std::string& path, const std::string& bytes) {
  const std::string tmp = path + ".new";
  WriteNewFile(tmp, bytes);
  try {
    ReplaceFile(tmp, path);
  } catch (...) {
    RemoveFile(tmp);
    throw;
  }
}

void SetWriteFault(std::function<int(const std::string&, std::size_t)> hook) {
  FaultHook() = std::move(hook);
}

std::string BaseName(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FindFileAnyCase(const std::string& folder, const std::string& name) {
  std::string exact = folder + "/" + name;
  if (FileExists(exact)) return exact;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return "";
  std::string found;
  while (dirent* e = ::readdir(dir)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      std::string candidate = folder + "/" + e->d_name;
      if (FileExists(candidate)) {
        found = candidate;
        break;
      }
    }
  }
  ::closedir(dir);
  return found;
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) IoFail(folder, "opening the folder", errno);
  int rc = ::fsync(fd);
  int err = errno;
  ::close(fd);
  // Some file systems refuse fsync on folders; the rename itself is done.
  if (rc != 0 && err != EINVAL && err != EROFS) IoFail(folder, "syncing the folder", err);
}

void ReplaceFile(const std::string& from, const std::string& to) {
  if (auto& hook = FaultHook()) {
    if (int err = hook(to, 0)) IoFail(to, "replacing the file", err);
  }
  if (::rename(from.c_str(), to.c_str()) != 0) IoFail(to, "replacing the file", errno);
  SyncFolder(FolderOf(to));
}

void RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

File::~File() { Close(); }

File::File(File&& other) noexcept
    : fd_(other.fd_), writable_(other.writable_), dirty_(other.dirty_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    writable_ = other.writable_;
    dirty_ = other.dirty_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

void File::Open(const std::string& path, Mode mode) {
  Close();
  path_ = path;
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::CreateNew: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
  }
  if (mode == Mode::CreateNew) {
    if (auto& hook = FaultHook()) {
      if (int err = hook(path, 0)) IoFail(path, "creating the file", err);
    }
  }
  fd_ = ::open(path.c_str(), flags, 0644);
  if (fd_ < 0) {
    int err = errno;
    throw XbFailure(XB_ERR_OPEN, BaseName(path) + ": cannot open: " + std::strerror(err));
  }
  writable_ = mode != Mode::Read;
  dirty_ = false;
}

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::uint64_t File::Size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) IoFail(path_, "reading the file size", errno);
  return static_cast<std::uint64_t>(st.st_size);
}

std::size_t File::ReadAt(std::uint64_t off, void* buf, std::size_t n) const {
  std::size_t done = 0;
  auto* p = static_cast<char*>(buf);
  while (done < n) {
    ssize_t r = ::pread(fd_, p + done, n - done, static_cast<off_t>(off + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      IoFail(path_, "reading", errno);
    }
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return done;
}

void File::ReadExact(std::uint64_t off, void* buf, std::size_t n, const char* what) const {
  if (ReadAt(off, buf, n) != n)
    throw XbFailure(XB_ERR_CORRUPT, Name() + ": " + what + " is beyond the end of the file");
}

void File::WriteAt(std::uint64_t off, const void* buf, std::size_t n) {
  if (!writable_) throw XbFailure(XB_ERR_READONLY, Name() + ": the file is open read-only");
  if (auto& hook = FaultHook()) {
    if (int err = hook(path_, n)) IoFail(path_, "writing", err);
  }
  dirty_ = true;
  std::size_t done = 0;
  const auto* p = static_cast<const char*>(buf);
  while (done < n) {
    ssize_t w = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(off + done));
    if (w < 0) {
      if (errno == EINTR) continue;
      IoFail(path_, "writing", errno);
    }
    done += static_cast<std::size_t>(w);
  }
}

void File::Truncate(std::uint64_t size) {
  dirty_ = true;
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) IoFail(path_, "truncating", errno);
}

void File::StartWriteback() {
  // Only a hint: a failure shows up in the Sync that follows.
  if (dirty_) (void)::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

void File::Sync() {
  if (!dirty_) return;
  if (auto& hook = FaultHook()) {
    if (int err = hook(path_, 0)) IoFail(path_, "syncing", err);
  }
  if (::fdatasync(fd_) != 0) IoFail(path_, "syncing", errno);
  dirty_ = false;
}

bool File::TryLock(bool exclusive) {
  return ::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
}

}  // namespace quill::xb
