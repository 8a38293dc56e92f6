#pragma once
// Byte sinks for the document writers. Every piece written reports how many
// bytes the sink took; fewer than given is a failed write.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quill {

class TWriteStream {
 public:
  virtual ~TWriteStream() = default;
  // Takes up to n bytes; returns how many were taken.
  virtual size_t Write(const void* data, size_t n) = 0;
};

// Collects the bytes in memory.
class TStringWriteStream : public TWriteStream {
 public:
  size_t Write(const void* data, size_t n) override {
    bytes.append(static_cast<const char*>(data), n);
    return n;
  }
  std::string bytes;
};

// Writes a file created anew, through a buffer. A failed write or flush is
// reported by Write (as a short write) or by Close; Close makes the bytes
// durable before it reports success.
class TFileWriteStream : public TWriteStream {
 public:
  TFileWriteStream() = default;
  ~TFileWriteStream() override;
  TFileWriteStream(const TFileWriteStream&) = delete;
  TFileWriteStream& operator=(const TFileWriteStream&) = delete;

  // Creates or truncates the file; false when it cannot be created.
  bool Create(const std::string& path);
  size_t Write(const void* data, size_t n) override;
  // Flushes, syncs and closes; false when any byte did not reach the disk.
  bool Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  bool Flush();
  int fd_ = -1;
  bool failed_ = false;
  std::string buffer_;
};

}  // namespace quill
