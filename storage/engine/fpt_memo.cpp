#include "storage/engine/fpt_memo.h"

#include <algorithm>
#include <cstring>

#include "storage/engine/xb_engine.h"
#include "storage/engine/xb_failure.h"

namespace quill::xb {

namespace {

std::uint32_t GetBE32(const unsigned char* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
void PutBE32(char* p, std::uint32_t v) {
  p[0] = static_cast<char>(v >> 24);
  p[1] = static_cast<char>(v >> 16);
  p[2] = static_cast<char>(v >> 8);
  p[3] = static_cast<char>(v);
}

constexpr std::uint32_t kHeaderBytes = 512;

}  // namespace

void FptMemo::Create(const std::string& path, int blockSize) {
  if (blockSize < 32 || blockSize > 16384) blockSize = 64;
  std::string h(kHeaderBytes, '\0');
  PutBE32(h.data(), (kHeaderBytes + blockSize - 1) / blockSize);
  h[6] = static_cast<char>(blockSize >> 8);
  h[7] = static_cast<char>(blockSize & 0xFF);
  std::string tmp = path + ".new";
  {
    File out;
    out.Open(tmp, File::Mode::CreateNew);
    try {
      out.WriteAt(0, h.data(), h.size());
      out.Sync();
    } catch (...) {
      out.Close();
      RemoveFile(tmp);
      throw;
    }
  }
  try {
    ReplaceFile(tmp, path);
  } catch (...) {
    RemoveFile(tmp);
    throw;
  }
}

void FptMemo::Open(const std::string& path, bool writable) {
  file_.Open(path, writable ? File::Mode::ReadWrite : File::Mode::Read);
  unsigned char h[8];
  size_ = file_.Size();
  if (file_.ReadAt(0, h, 8) != 8)
    throw XbFailure(XB_ERR_CORRUPT, Name() + ": the file is too short for a memo header");
  nextFree_ = GetBE32(h);
  blockSize_ = (h[6] << 8) | h[7];
  if (blockSize_ == 0)
    throw XbFailure(XB_ERR_CORRUPT, Name() + ": memo block size is 0");
  // Never append over data that is already there, whatever the header says.
  std::uint64_t used = (std::max<std::uint64_t>(size_, kHeaderBytes) + blockSize_ - 1) / blockSize_;
  std::uint64_t minimum = (kHeaderBytes + blockSize_ - 1) / blockSize_;
  std::uint64_t next = std::max<std::uint64_t>({nextFree_, used, minimum});
  if (next > 0xFFFFFFFFull) throw XbFailure(XB_ERR_CORRUPT, Name() + ": memo file is too large");
  nextFree_ = static_cast<std::uint32_t>(next);
  free_.clear();
  pending_.clear();
}

std::string FptMemo::Read(std::uint32_t block) const {
  if (block == 0) return {};
  std::uint64_t off = std::uint64_t(block) * blockSize_;
  if (off < kHeaderBytes || off + 8 > size_)
    throw XbFailure(XB_ERR_CORRUPT, Name() + ": memo pointer " + std::to_string(block) +
                                        " is past the end of the memo file");
  // One read for the usual memo; a second one only for longer texts.
  char first[8192];
  std::size_t got = file_.ReadAt(off, first, std::min<std::uint64_t>(sizeof first, size_ - off));
  if (got < 8) throw XbFailure(XB_ERR_CORRUPT, Name() + ": memo at block " + std::to_string(block) + " cannot be read");
  std::uint32_t len = GetBE32(reinterpret_cast<const unsigned char*>(first) + 4);
  if (off + 8 + std::uint64_t(len) > size_)
    throw XbFailure(XB_ERR_CORRUPT, Name() + ": memo at block " + std::to_string(block) + " has length " +
                                        std::to_string(len) + ", beyond the end of the memo file");
  std::string text;
  text.resize(len);
  std::size_t inFirst = std::min<std::size_t>(len, got - 8);
  std::memcpy(text.data(), first + 8, inFirst);
  if (inFirst < len) file_.ReadExact(off + 8 + inFirst, text.data() + inFirst, len - inFirst, "a memo");
  return text;
}

std::uint32_t FptMemo::BlocksOf(std::uint32_t block) const {
  if (block == 0) return 0;
  std::uint64_t off = std::uint64_t(block) * blockSize_;
  if (off < kHeaderBytes || off + 8 > size_) return 0;
  unsigned char h[8];
  if (file_.ReadAt(off, h, 8) != 8) return 0;
  std::uint64_t len = GetBE32(h + 4);
  if (off + 8 + len > size_) return 0;
  return static_cast<std::uint32_t>((8 + len + blockSize_ - 1) / blockSize_);
}

std::uint32_t FptMemo::Write(std::string_view data, std::uint32_t type) {
  if (data.empty()) return 0;
  if (data.size() > 0x7FFFFFF0u) throw XbFailure(XB_ERR_ARG, Name() + ": memo text is too long");
  std::uint64_t total = 8 + data.size();
  std::uint32_t blocks = static_cast<std::uint32_t>((total + blockSize_ - 1) / blockSize_);
  std::string bytes(std::size_t(blocks) * blockSize_, '\0');
  PutBE32(bytes.data(), type);
  PutBE32(bytes.data() + 4, static_cast<std::uint32_t>(data.size()));
  std::memcpy(bytes.data() + 8, data.data(), data.size());

  // Reuse a free run when one is large enough (best fit), else append.
  auto best = free_.end();
  for (auto it = free_.begin(); it != free_.end(); ++it) {
    if (it->count >= blocks && (best == free_.end() || it->count < best->count)) best = it;
  }
  if (best != free_.end()) {
    std::uint32_t first = best->first;
    file_.WriteAt(std::uint64_t(first) * blockSize_, bytes.data(), bytes.size());
    size_ = std::max<std::uint64_t>(size_, std::uint64_t(first) * blockSize_ + bytes.size());
    best->first += blocks;
    best->count -= blocks;
    if (best->count == 0) free_.erase(best);
    return first;
  }
  std::uint32_t first = nextFree_;
  if (std::uint64_t(first) + blocks > 0xFFFFFFFFull)
    throw XbFailure(XB_ERR_IO, Name() + ": memo file is full");
  file_.WriteAt(std::uint64_t(first) * blockSize_, bytes.data(), bytes.size());
  size_ = std::max<std::uint64_t>(size_, std::uint64_t(first) * blockSize_ + bytes.size());
  WriteNextFree(first + blocks);
  return first;
}

void FptMemo::WriteNextFree(std::uint32_t next) {
  char h[4];
  PutBE32(h, next);
  file_.WriteAt(0, h, 4);
  nextFree_ = next;
}

void FptMemo::Release(std::uint32_t block) {
  std::uint32_t count = BlocksOf(block);
  if (count == 0) return;
  pending_.push_back({block, count});
}

void FptMemo::CommitReleases() {
  free_.insert(free_.end(), pending_.begin(), pending_.end());
  pending_.clear();
}

}  // namespace quill::xb
