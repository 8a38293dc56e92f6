// CDX compound index: a tag directory plus one B-tree per tag in 512-byte
// pages, leaves holding compressed keys (duplicate/trailing counts).
//
// While a file is open every tag is held in memory as its row of leaves (in
// key order), so seeks and walks need no disk access. Changes update the
// leaves in memory (splitting a leaf that grows beyond a page) and Flush()
// writes only the pages that changed plus the small interior levels, in
// place. A rebuild writes a complete new file beside the old one and swaps
// it in. A crash between table and index writes can leave the index stale;
// the engine checks every tag against the table on open and rebuilds it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/engine/dbf_file.h"
#include "storage/engine/file_io.h"
#include "storage/engine/xb_expression.h"

namespace quill::xb {

struct CdxEntry {
  std::string key;        // exactly keyLen bytes
  std::uint32_t recno = 0;
};

struct CdxLeaf {
  std::uint32_t offset = 0;   // 0 = not yet placed in the file
  std::vector<CdxEntry> entries;
  bool dirty = true;
  // Neighbour links and root flag as last written, to notice link changes.
  std::uint32_t writtenLeft = 0, writtenRight = 0;
  bool writtenRoot = false;
};

struct CdxPos {
  std::size_t leaf = 0;
  std::size_t idx = 0;
};

class CdxTag {
 public:
  std::string name;          // upper case
  std::string keyText;       // key expression as stored
  std::string forText;       // FOR condition as stored ("" none)
  int keyLen = 0;
  bool unique = false;
  bool descending = false;
  char pad = ' ';            // padding byte of keys (blank for text keys)
  Expression keyExpr;        // parsed key, when this engine understands it
  Expression forExpr;
  bool evaluable = false;    // keys can be computed from records
  std::uint32_t headerOffset = 0;
  std::uint32_t rootOffset = 0;
  std::vector<CdxLeaf> leaves;
  std::vector<std::uint32_t> interior;   // interior pages in use
  bool dirty = false;
  bool damaged = false;      // pages did not parse; rebuilt from the table
  int recBits = 16;
  std::uint64_t generation = 0;          // bumped on every change

  // Key of a record for this tag; false when the FOR condition leaves it out.
  bool KeyOf(const char* rec, std::string& key) const;
  // Sets all entries (any order; sorted here) and lays out fresh leaves.
  void Assign(std::vector<CdxEntry> entries);
  std::vector<CdxEntry> AllEntries() const;
  std::size_t Count() const;

  int CompareKeys(const std::string& a, const std::string& b) const;
  int CompareEntry(const CdxEntry& e, const std::string& key, std::uint32_t recno) const;
  // First entry >= (key, recno).
  CdxPos Locate(const std::string& key, std::uint32_t recno) const;
  // First entry whose first prefix.size() key bytes are >= prefix.
  CdxPos LowerBoundPrefix(const std::string& prefix) const;
  bool AtEnd(const CdxPos& p) const { return p.leaf >= leaves.size(); }
  const CdxEntry& At(const CdxPos& p) const { return leaves[p.leaf].entries[p.idx]; }
  CdxPos Begin() const;
  CdxPos End() const { return {leaves.size(), 0}; }
  void Next(CdxPos& p) const;
  bool Prev(CdxPos& p) const;   // false when already at the first entry
  CdxPos Last() const;          // End() when empty

  void Insert(const std::string& key, std::uint32_t recno);
  bool Remove(const std::string& key, std::uint32_t recno);

  int EntryBytes() const;       // N for the current record-number width
  int LeafBytes(const std::vector<CdxEntry>& entries) const;
  void SetRecordBits(std::uint32_t maxRecno);   // widens entries if needed

 private:
  friend class CdxIndex;
  void SplitIfNeeded(std::size_t leaf, bool appended);
  std::vector<std::uint32_t> freed_;   // pages given up, reused by the index
};

class CdxIndex {
 public:
  // Opens and parses the whole file; throws XbFailure(XB_ERR_CORRUPT) with a
  // message when a page does not parse or the page links loop.
  void Open(const std::string& path, bool writable, const std::vector<DbfField>& fields);
  void Close() { file_.Close(); }
  // Starts an index that exists only in memory until WriteNew.
  void InitNew(const std::string& path) {
    path_ = path;
    needsRewrite_ = true;
  }
  bool IsOpen() const { return file_.IsOpen(); }
  const std::string& Path() const { return path_; }
  std::string Name() const { return BaseName(path_); }
  bool Writable() const { return file_.Writable(); }
  // The pages in memory are not yet in the file (a rewrite failed or has
  // not happened): the next Flush writes the whole file.
  bool PendingWrite() const { return needsRewrite_; }
  void MarkPendingWrite() { needsRewrite_ = true; }
  bool Structural() const { return structural_; }
  void SetStructural(bool s) { structural_ = s; }

  std::vector<std::unique_ptr<CdxTag>>& Tags() { return tags_; }
  CdxTag* FindTag(const std::string& name);

  // Writes the complete file anew (beside the old one, then renamed over it)
  // from the tags in memory and reopens it.
  void WriteNew(const std::string& path);
  // Writes the changed pages of every tag in place.
  void Flush(std::uint32_t maxRecno);
  void Sync() { file_.Sync(); }

  static std::unique_ptr<CdxTag> NewTag(const std::string& name, const std::string& keyText,
                                        const std::string& forText, bool unique, bool descending,
                                        const std::vector<DbfField>& fields, std::string& error);

 private:
  std::uint32_t Allocate(CdxTag& tag);
  void FlushTag(CdxTag& tag, std::uint32_t maxRecno);

  File file_;
  std::string path_;
  bool structural_ = true;
  bool needsRewrite_ = false;
  std::uint64_t fileEnd_ = 0;
  std::vector<std::unique_ptr<CdxTag>> tags_;
};

}  // namespace quill::xb
