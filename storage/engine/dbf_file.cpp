#include "storage/engine/dbf_file.h"

#include <cctype>
#include <cstring>
#include <ctime>
#include <strings.h>

#include "storage/engine/xb_engine.h"
#include "storage/engine/xb_failure.h"

namespace quill::xb {

namespace {

void PutLE16(char* p, unsigned v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>((v >> 8) & 0xFF);
}
void PutLE32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
unsigned GetLE16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t GetLE32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void StampDate(char* header) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  header[1] = static_cast<char>(tm.tm_year % 100);
  header[2] = static_cast<char>(tm.tm_mon + 1);
  header[3] = static_cast<char>(tm.tm_mday);
}

bool KnownVersion(std::uint8_t v) {
  switch (v) {
    case 0x02: case 0x03: case 0x30: case 0x31: case 0x32: case 0x83: case 0x8B:
    case 0xF5: case 0xFB:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string DbfFile::HeaderBytes(std::uint8_t version, std::uint8_t flags, std::uint8_t codePage,
                                 const std::vector<DbfField>& fields, long count,
                                 const std::string& extraArea) {
  int recLen = 1;
  for (const auto& f : fields) recLen += f.width;
  std::size_t headerLen = 32 + 32 * fields.size() + 1 + extraArea.size();
  std::string h(headerLen, '\0');
  h[0] = static_cast<char>(version);
  StampDate(h.data());
  PutLE32(h.data() + 4, static_cast<std::uint32_t>(count));
  PutLE16(h.data() + 8, static_cast<unsigned>(headerLen));
  PutLE16(h.data() + 10, static_cast<unsigned>(recLen));
  h[28] = static_cast<char>(flags);
  h[29] = static_cast<char>(codePage);
  int offset = 1;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    char* d = h.data() + 32 + 32 * i;
    std::memcpy(d, fields[i].name.data(), std::min<std::size_t>(fields[i].name.size(), 10));
    d[11] = fields[i].type;
    PutLE32(d + 12, static_cast<std::uint32_t>(offset));
    d[16] = static_cast<char>(fields[i].width);
    d[17] = static_cast<char>(fields[i].decimals);
    offset += fields[i].width;
  }
  h[32 + 32 * fields.size()] = 0x0D;
  std::memcpy(h.data() + 33 + 32 * fields.size(), extraArea.data(), extraArea.size());
  return h;
}

void DbfFile::Create(const std::string& path, const std::vector<DbfField>& fields) {
  bool memo = false;
  for (const auto& f : fields) memo = memo || f.IsMemo();
  std::string bytes = HeaderBytes(memo ? kFoxPro2Memo : kPlain, 0, 0x03, fields, 0, "");
  bytes.push_back('\x1A');
  ReplaceWithNewFile(path, bytes);
}

void DbfFile::Open(const std::string& path, bool writable) {
  File f;
  f.Open(path, writable ? File::Mode::ReadWrite : File::Mode::Read);
  Adopt(std::move(f));
}

void DbfFile::Adopt(File file) {
  file_ = std::move(file);
  const std::string name = file_.Name();
  auto bad = [&](const std::string& what) { throw XbFailure(XB_ERR_CORRUPT, name + ": " + what); };
  std::uint64_t size = file_.Size();
  unsigned char h[32];
  if (size < 32 || file_.ReadAt(0, h, 32) != 32) bad("the file is too short for a table header");
  version_ = h[0];
  if (!KnownVersion(version_)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "unknown table version byte 0x%02X", version_);
    bad(buf);
  }
  std::uint32_t count = GetLE32(h + 4);
  headerLen_ = static_cast<int>(GetLE16(h + 8));
  recordLen_ = static_cast<int>(GetLE16(h + 10));
  flags_ = h[28];
  codePage_ = h[29];
  if (headerLen_ < 33 + 32 || static_cast<std::uint64_t>(headerLen_) > size)
    bad("header length " + std::to_string(headerLen_) + " does not fit the file");
  if (recordLen_ < 2) bad("record length " + std::to_string(recordLen_) + " is invalid");
  std::string hdr(static_cast<std::size_t>(headerLen_), '\0');
  file_.ReadExact(0, hdr.data(), hdr.size(), "the header");
  fields_.clear();
  int offset = 1;
  std::size_t pos = 32;
  bool marker = false;
  while (true) {
    if (pos < hdr.size() && hdr[pos] == 0x0D) {
      marker = true;
      break;
    }
    // Some writers put another byte where the end marker belongs; the
    // header length still tells where the descriptors stop.
    if (pos + 32 > hdr.size()) break;
    const char* d = hdr.data() + pos;
    DbfField f;
    std::size_t n = 0;
    while (n < 11 && d[n] != '\0') ++n;
    f.name.assign(d, n);
    while (!f.name.empty() && f.name.back() == ' ') f.name.pop_back();
    for (auto& c : f.name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(d[11])));
    f.width = static_cast<unsigned char>(d[16]);
    f.decimals = static_cast<unsigned char>(d[17]);
    if (f.type == 'C' && !IsVisualFoxPro()) f.width += 256 * f.decimals, f.decimals = 0;
    if (f.name.empty()) bad("field " + std::to_string(fields_.size() + 1) + " has no name");
    if (f.width <= 0) bad("field " + f.name + " has width 0");
    f.offset = offset;
    offset += f.width;
    fields_.push_back(std::move(f));
    pos += 32;
  }
  if (fields_.empty()) bad("the table has no fields");
  if (offset != recordLen_)
    bad("record length " + std::to_string(recordLen_) + " does not match the fields (" +
        std::to_string(offset) + ")");
  extraArea_ = marker ? hdr.substr(pos + 1) : std::string();
  std::uint64_t need = static_cast<std::uint64_t>(headerLen_) + std::uint64_t(count) * recordLen_;
  damage_.clear();
  if (need > size) {
    // Cut short (a full disk, a copy that stopped): the complete records
    // are sound, so they open; the first write sets the count to them.
    std::uint64_t complete = (size - headerLen_) / recordLen_;
    std::uint64_t partial = (size - headerLen_) % recordLen_;
    damage_ = name + ": the table is cut short: its header counts " + std::to_string(count) +
              " records, the file holds " + std::to_string(complete) + " complete one(s)";
    if (partial) damage_ += " and " + std::to_string(partial) + " byte(s) of the next";
    damage_ += "; records " + std::to_string(complete + 1) + " to " + std::to_string(count) + " are lost";
    count = static_cast<std::uint32_t>(complete);
  }
  recCount_ = static_cast<long>(count);
  stampWritten_ = false;
  cache_.clear();
  cached_ = false;
  constexpr std::uint64_t kCacheLimit = 64ull << 20;
  std::uint64_t area = std::uint64_t(count) * recordLen_;
  if (area <= kCacheLimit) {
    cache_.resize(static_cast<std::size_t>(area));
    file_.ReadExact(headerLen_, cache_.data(), cache_.size(), "the records");
    cached_ = true;
  }
}

int DbfFile::FieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i].name.size() == name.size() &&
        ::strncasecmp(fields_[i].name.data(), name.data(), name.size()) == 0)
      return static_cast<int>(i);
  }
  return -1;
}

void DbfFile::ReadRecord(long recno, char* buf) const { ReadRecords(recno, 1, buf); }

void DbfFile::ReadRecords(long first, long count, char* buf) const {
  if (first < 1 || count < 0 || first + count - 1 > recCount_)
    throw XbFailure(XB_ERR_POSITION, Name() + ": record " + std::to_string(first) + " does not exist");
  std::uint64_t off = std::uint64_t(first - 1) * recordLen_;
  if (cached_) {
    std::memcpy(buf, cache_.data() + off, std::size_t(count) * recordLen_);
    return;
  }
  file_.ReadExact(headerLen_ + off, buf, std::size_t(count) * recordLen_, "a record");
}

void DbfFile::WriteRecord(long recno, const char* buf) {
  if (recno < 1 || recno > recCount_)
    throw XbFailure(XB_ERR_POSITION, Name() + ": record " + std::to_string(recno) + " does not exist");
  file_.WriteAt(headerLen_ + std::uint64_t(recno - 1) * recordLen_, buf, recordLen_);
  if (cached_) std::memcpy(cache_.data() + std::size_t(recno - 1) * recordLen_, buf, recordLen_);
  if (!stampWritten_) WriteHeaderCount();
}

long DbfFile::AppendRecord(const char* buf) {
  std::string bytes(buf, recordLen_);
  bytes.push_back('\x1A');
  file_.WriteAt(headerLen_ + std::uint64_t(recCount_) * recordLen_, bytes.data(), bytes.size());
  ++recCount_;
  try {
    WriteHeaderCount();
  } catch (...) {
    --recCount_;
    throw;
  }
  if (cached_) cache_.append(buf, static_cast<std::size_t>(recordLen_));
  return recCount_;
}

void DbfFile::WriteHeaderCount() {
  char h[8];
  h[0] = static_cast<char>(version_);
  StampDate(h);
  PutLE32(h + 4, static_cast<std::uint32_t>(recCount_));
  file_.WriteAt(0, h, 8);
  stampWritten_ = true;
}

void DbfFile::SetFlags(std::uint8_t flags) {
  if (flags == flags_) return;
  char b = static_cast<char>(flags);
  file_.WriteAt(28, &b, 1);
  flags_ = flags;
}

std::uint32_t DbfFile::MemoBlock(const DbfField& f, const char* rec) {
  const char* p = rec + f.offset;
  if (f.width == 4) return GetLE32(reinterpret_cast<const unsigned char*>(p));
  std::uint64_t v = 0;
  bool digits = false;
  for (int i = 0; i < f.width; ++i) {
    char c = p[i];
    if (c == ' ' || c == '\0') {
      if (digits) break;
      continue;
    }
    if (c < '0' || c > '9') return 0xFFFFFFFFu;   // not a pointer: damaged
    v = v * 10 + static_cast<unsigned>(c - '0');
    if (v > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    digits = true;
  }
  return static_cast<std::uint32_t>(v);
}

void DbfFile::SetMemoBlock(const DbfField& f, char* rec, std::uint32_t block) {
  char* p = rec + f.offset;
  if (f.width == 4) {
    PutLE32(p, block);
    return;
  }
  std::memset(p, ' ', f.width);
  if (block == 0) return;
  std::string digits = std::to_string(block);
  if (static_cast<int>(digits.size()) > f.width)
    throw XbFailure(XB_ERR_IO, "memo block number " + digits + " does not fit field " + f.name);
  std::memcpy(p + f.width - digits.size(), digits.data(), digits.size());
}

void DbfFile::BlankRecord(char* rec) const {
  std::memset(rec, ' ', recordLen_);
  for (const auto& f : fields_) {
    bool binary = (f.IsMemo() && f.width == 4) || f.type == 'I' || f.type == 'Y' || f.type == 'T' ||
                  f.type == '0' || (f.type == 'B' && IsVisualFoxPro());
    if (binary) std::memset(rec + f.offset, 0, f.width);
  }
}

}  // namespace quill::xb
