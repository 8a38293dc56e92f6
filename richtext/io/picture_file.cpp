#include "richtext/io/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace quill {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool IsPlaceableMetafile(std::string_view head) { return StartsWith(head, std::string_view("\xD7\xCD\xC6\x9A", 4)); }

}  // namespace

bool LooksLikePicture(std::string_view head) {
  using namespace std::string_view_literals;
  if (StartsWith(head, "\x89PNG\r\n\x1A\n"sv)) return true;
  if (StartsWith(head, "\xFF\xD8\xFF"sv)) return true;
  if (StartsWith(head, "GIF87a"sv) || StartsWith(head, "GIF89a"sv)) return true;
  // A bitmap: "BM", the file size, two reserved words, the offset of the
  // bits, then an information header of one of the known sizes.
  if (head.size() >= 26 && StartsWith(head, "BM"sv)) {
    uint32_t infoSize = 0;
    for (int i = 3; i >= 0; --i) infoSize = infoSize << 8 | uint8_t(head[size_t(14 + i)]);
    for (uint32_t known : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u})
      if (infoSize == known) return true;
    return false;
  }
  if (IsPlaceableMetafile(head)) return true;
  // A metafile without the placeable header: type 1 (memory) or 2 (disk),
  // a header of 9 words, version 0x0100 or 0x0300.
  if (head.size() >= 18 && (head[0] == 1 || head[0] == 2) && head[1] == 0 && head[2] == 9 && head[3] == 0 &&
      head[4] == 0 && (head[5] == 1 || head[5] == 3))
    return true;
  // An enhanced metafile: header record type 1, signature " EMF" at 40.
  if (head.size() >= 88 && StartsWith(head, "\x01\x00\x00\x00"sv) && head.substr(40, 4) == " EMF"sv) return true;
  return false;
}

std::unique_ptr<TPicture> ReadPictureFile(const std::string& path) {
  // Non-blocking, so that a named pipe or device behind the name cannot hang
  // the load; what it is decides fstat on the open file, not a look at the
  // name that the file could change under.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return nullptr;
  std::string bytes;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
            uint64_t(st.st_size) <= kMaxLinkedPictureBytes;
  if (ok) {
    // Read at most one byte more than allowed: a file that grew is refused.
    bytes.resize(size_t(st.st_size) + 1);
    size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      got += size_t(n);
    }
    bytes.resize(got);
    ok = ok && got <= kMaxLinkedPictureBytes;
  }
  ::close(fd);
  if (!ok || !LooksLikePicture(bytes)) return nullptr;
  auto pic = std::make_unique<TPicture>();
  if (StartsWith(bytes, "BM")) {
    pic->kind = pkDib;
    pic->data.assign(bytes.begin() + 14, bytes.end());
  } else {
    pic->kind = pkMetafile;
    if (!IsPlaceableMetafile(bytes)) pic->data.assign(22, 0);
    pic->data.insert(pic->data.end(), bytes.begin(), bytes.end());
  }
  return pic;
}

}  // namespace quill
