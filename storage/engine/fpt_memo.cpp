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
  ReplaceWithNewFile(path, h);
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
  // A header left behind by an interrupted session is put right at the
  // next commit.
  bool stale = writable && next != nextFree_;
  nextFree_ = static_cast<std::uint32_t>(next);
  free_.clear();
  pending_.clear();
  window_.clear();
  headerDirty_ = stale;
  lastMissEnd_ = 0;
}

std::string FptMemo::Read(std::uint32_t block) const {
  std::string spill;
  std::string_view v = View(block, spill);
  return spill.empty() ? std::string(v) : spill;
}

std::string_view FptMemo::View(std::uint32_t block, std::string& spill) const {
  spill.clear();
  if (block == 0) return {};
  std::uint64_t off = std::uint64_t(block) * blockSize_;
  if (off < kHeaderBytes || off + 8 > size_)
    throw XbFailure(XB_ERR_CORRUPT, Name() + ": memo pointer " + std::to_string(block) +
                                        " is past the end of the memo file");
  auto inWindow = [&](std::uint64_t from, std::uint64_t n) {
    return from >= windowOff_ && from + n <= windowOff_ + window_.size();
  };
  if (!inWindow(off, 8)) Fill(off, 8);
  if (!inWindow(off, 8)) throw XbFailure(XB_ERR_CORRUPT, Name() + ": memo at block " + std::to_string(block) + " cannot be read");
  std::uint32_t len = GetBE32(reinterpret_cast<const unsigned char*>(window_.data() + (off - windowOff_)) + 4);
  if (off + 8 + std::uint64_t(len) > size_)
    throw XbFailure(XB_ERR_CORRUPT, Name() + ": memo at block " + std::to_string(block) + " has length " +
                                        std::to_string(len) + ", beyond the end of the memo file");
  if (!inWindow(off, 8 + std::uint64_t(len))) Fill(off, 8 + std::uint64_t(len));
  if (inWindow(off, 8 + std::uint64_t(len)))
    return std::string_view(window_.data() + (off - windowOff_) + 8, len);
  spill.assign(len, '\0');
  file_.ReadExact(off + 8, spill.data(), len, "a memo");
  return spill;
}

void FptMemo::Fill(std::uint64_t off, std::uint64_t need) const {
  // Reading on where the last read ended: take a large piece, as a walk over
  // all entries does; otherwise just a little more than asked for.
  bool sequential = lastMissEnd_ != 0 && off >= lastMissEnd_ && off - lastMissEnd_ < 65536;
  std::uint64_t want = std::max<std::uint64_t>(need, sequential ? (1u << 20) : 8192);
  if (need > (16u << 20)) {
    window_.clear();
    return;   // very long memo: read straight into its text
  }
  want = std::min<std::uint64_t>(want, size_ - off);
  window_.resize(static_cast<std::size_t>(want));
  std::size_t got = file_.ReadAt(off, window_.data(), window_.size());
  window_.resize(got);
  windowOff_ = off;
  lastMissEnd_ = off + got;
}

void FptMemo::Close() {
  window_.clear();
  file_.Close();
}

void FptMemo::Sync() {
  if (headerDirty_) {
    char h[4];
    PutBE32(h, nextFree_);
    file_.WriteAt(0, h, 4);
    headerDirty_ = false;
  }
  file_.Sync();
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
    window_.clear();
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
  window_.clear();
  file_.WriteAt(std::uint64_t(first) * blockSize_, bytes.data(), bytes.size());
  size_ = std::max<std::uint64_t>(size_, std::uint64_t(first) * blockSize_ + bytes.size());
  WriteNextFree(first + blocks);
  return first;
}

void FptMemo::WriteNextFree(std::uint32_t next) {
  nextFree_ = next;
  headerDirty_ = true;
}

void FptMemo::Release(std::uint32_t block) {
  std::uint32_t count = BlocksOf(block);
  if (count == 0) return;
  pending_.push_back({block, count});
}

void FptMemo::CommitReleases(bool scrub) {
  if (scrub) {
    window_.clear();
    for (const auto& e : pending_) {
      const std::string zeros(std::size_t(e.count) * blockSize_, '\0');
      file_.WriteAt(std::uint64_t(e.first) * blockSize_, zeros.data(), zeros.size());
    }
  }
  free_.insert(free_.end(), pending_.begin(), pending_.end());
  pending_.clear();
}

}  // namespace quill::xb
