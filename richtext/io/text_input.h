#pragma once
// Byte sources for the readers: memory, std::istream, or a whole file.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace quill {

class TTextInput {
 public:
  virtual ~TTextInput() = default;
  // Copies up to n bytes into dst; 0 at the end of the input.
  virtual size_t Read(uint8_t* dst, size_t n) = 0;
  // Total bytes when known (for progress), else -1.
  virtual int64_t Size() const { return -1; }
  // Sources held in memory hand their bytes out directly so that readers
  // need not copy them.
  virtual bool Contiguous(const uint8_t** data, size_t* size) {
    (void)data;
    (void)size;
    return false;
  }
};

class TMemoryInput : public TTextInput {
 public:
  explicit TMemoryInput(std::string_view bytes) : bytes_(bytes) {}
  size_t Read(uint8_t* dst, size_t n) override;
  int64_t Size() const override { return int64_t(bytes_.size()); }
  bool Contiguous(const uint8_t** data, size_t* size) override;

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

class TStreamInput : public TTextInput {
 public:
  explicit TStreamInput(std::istream& in) : in_(in) {}
  size_t Read(uint8_t* dst, size_t n) override;

 private:
  std::istream& in_;
};

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace quill
