#include "richtext/io/write_stream.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quill {

namespace {
constexpr size_t kFileBuffer = 64 * 1024;
}

TFileWriteStream::~TFileWriteStream() {
  if (fd_ >= 0) ::close(fd_);
}

bool TFileWriteStream::Create(const std::string& path) {
  if (fd_ >= 0) Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  failed_ = fd_ < 0;
  buffer_.clear();
  buffer_.reserve(kFileBuffer);
  return fd_ >= 0;
}

bool TFileWriteStream::Flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      return false;
    }
    done += size_t(n);
  }
  buffer_.clear();
  return true;
}

size_t TFileWriteStream::Write(const void* data, size_t n) {
  if (fd_ < 0 || failed_) return 0;
  buffer_.append(static_cast<const char*>(data), n);
  if (buffer_.size() >= kFileBuffer && !Flush()) return 0;
  return n;
}

bool TFileWriteStream::Close() {
  if (fd_ < 0) return false;
  bool ok = !failed_ && Flush();
  if (ok && ::fsync(fd_) != 0) ok = false;
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  return ok;
}

}  // namespace quill
