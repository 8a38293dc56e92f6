#include "richtext/io/text_input.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace quill {

size_t TMemoryInput::Read(uint8_t* dst, size_t n) {
  const size_t k = std::min(n, bytes_.size() - pos_);
  std::memcpy(dst, bytes_.data() + pos_, k);
  pos_ += k;
  return k;
}

bool TMemoryInput::Contiguous(const uint8_t** data, size_t* size) {
  *data = reinterpret_cast<const uint8_t*>(bytes_.data()) + pos_;
  *size = bytes_.size() - pos_;
  pos_ = bytes_.size();
  return true;
}

size_t TStreamInput::Read(uint8_t* dst, size_t n) {
  if (!in_) return 0;
  in_.read(reinterpret_cast<char*>(dst), std::streamsize(n));
  return size_t(in_.gcount());
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  bool ok = true;
  for (;;) {
    size_t k = std::fread(buf, 1, sizeof buf, f);
    out.append(buf, k);
    if (k < sizeof buf) {
      ok = !std::ferror(f);
      break;
    }
  }
  std::fclose(f);
  return ok;
}

}  // namespace quill
