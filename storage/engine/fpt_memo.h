// The FPT memo file: big-endian header with the next free block and the
// block size, memos as (type, length, data) runs of whole blocks.
//
// A changed memo always goes to blocks no committed record uses: blocks set
// free by an update become reusable only after the commit that made the
// update durable (ReleaseAfterCommit), so a crash mid-write can never damage
// the committed text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/engine/file_io.h"

namespace quill::xb {

class FptMemo {
 public:
  static void Create(const std::string& path, int blockSize);

  void Open(const std::string& path, bool writable);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }
  File& Raw() { return file_; }
  std::string Name() const { return file_.Name(); }
  int BlockSize() const { return blockSize_; }

  // Text of the memo starting at block (0 = empty). Throws on a damaged one.
  std::string Read(std::uint32_t block) const;
  // The same without a copy: valid until the next read or write; long texts
  // that bypass the read window land in spill.
  std::string_view View(std::uint32_t block, std::string& spill) const;
  // Number of blocks the memo at block occupies; 0 if it cannot be read.
  std::uint32_t BlocksOf(std::uint32_t block) const;
  // Writes data as a text memo into fresh blocks; returns the first block
  // (0 for empty data, which needs no block).
  std::uint32_t Write(std::string_view data, std::uint32_t type = 1);
  // The memo at block is no longer used by the record being written; its
  // blocks become reusable after the next commit.
  void Release(std::uint32_t block);
  // SCRUB overwrites the released blocks with zeros first, so that a
  // removed or replaced text does not stay readable in free blocks.
  void CommitReleases(bool scrub = false);
  // Writes the next-free header (kept in memory between commits: on open
  // it is never taken lower than the file's end) and fsyncs.
  void Sync();

 private:
  struct Extent {
    std::uint32_t first;
    std::uint32_t count;
  };
  void WriteNextFree(std::uint32_t next);
  void Fill(std::uint64_t off, std::uint64_t need) const;

  File file_;
  int blockSize_ = 64;
  std::uint32_t nextFree_ = 0;
  std::uint64_t size_ = 0;
  bool headerDirty_ = false;
  // Recently read part of the file: sequential memo reads come from here.
  mutable std::string window_;
  mutable std::uint64_t windowOff_ = 0;
  mutable std::uint64_t lastMissEnd_ = 0;
  std::vector<Extent> free_;      // reusable now
  std::vector<Extent> pending_;   // reusable after the next commit
};

}  // namespace quill::xb
