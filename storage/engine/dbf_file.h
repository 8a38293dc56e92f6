// The table file: FoxPro 2.x (and dBASE III / Visual FoxPro for reading)
// header, field descriptors and fixed-length records with a deletion flag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/engine/file_io.h"

namespace quill::xb {

struct DbfField {
  std::string name;   // upper case as stored
  char type = 'C';
  int width = 0;
  int decimals = 0;
  int offset = 0;     // in the record, deletion flag at 0
  bool IsMemo() const { return type == 'M' || type == 'G' || type == 'P'; }
};

class DbfFile {
 public:
  static constexpr std::uint8_t kFoxPro2Memo = 0xF5;
  static constexpr std::uint8_t kPlain = 0x03;

  // Writes a new empty table file at path (atomically: beside, then renamed).
  static void Create(const std::string& path, const std::vector<DbfField>& fields);

  void Open(const std::string& path, bool writable);
  // Takes over an open file (keeping its locks) and reads its header.
  void Adopt(File file);
  void Close() { file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }
  File& Raw() { return file_; }
  const File& Raw() const { return file_; }
  std::string Name() const { return file_.Name(); }

  std::uint8_t Version() const { return version_; }
  bool IsVisualFoxPro() const { return version_ == 0x30 || version_ == 0x31 || version_ == 0x32; }
  std::uint8_t Flags() const { return flags_; }
  void SetFlags(std::uint8_t flags);
  const std::vector<DbfField>& Fields() const { return fields_; }
  int FieldIndex(std::string_view name) const;   // 0-based, -1 unknown
  int HeaderLength() const { return headerLen_; }
  int RecordLength() const { return recordLen_; }
  long RecordCount() const { return recCount_; }
  // What Adopt found wrong and worked around ("" when nothing).
  const std::string& Damage() const { return damage_; }

  void ReadRecord(long recno, char* buf) const;
  // Reads count records from first into buf (count * RecordLength bytes).
  void ReadRecords(long first, long count, char* buf) const;
  void WriteRecord(long recno, const char* buf);
  // Writes the record after the last one, then the new count into the header.
  long AppendRecord(const char* buf);
  void Sync() { file_.Sync(); }
  void StartWriteback() { file_.StartWriteback(); }

  // Memo pointer of a field in a record buffer: 0 = empty.
  static std::uint32_t MemoBlock(const DbfField& f, const char* rec);
  static void SetMemoBlock(const DbfField& f, char* rec, std::uint32_t block);
  void BlankRecord(char* rec) const;

  // The header bytes for a table with these fields and count (used by pack).
  static std::string HeaderBytes(std::uint8_t version, std::uint8_t flags, std::uint8_t codePage,
                                 const std::vector<DbfField>& fields, long count,
                                 const std::string& extraArea);
  std::uint8_t CodePage() const { return codePage_; }
  const std::string& ExtraArea() const { return extraArea_; }

 private:
  void WriteHeaderCount();

  File file_;
  std::uint8_t version_ = 0;
  std::uint8_t flags_ = 0;
  std::uint8_t codePage_ = 0;
  int headerLen_ = 0;
  int recordLen_ = 0;
  long recCount_ = 0;
  bool stampWritten_ = false;
  // Every record in memory (written through on each change) while the
  // table is small enough: navigation then needs no system call per record.
  std::string cache_;
  bool cached_ = false;
  std::string damage_;
  std::string extraArea_;   // bytes between the 0x0D and the first record
  std::vector<DbfField> fields_;
};

}  // namespace quill::xb
