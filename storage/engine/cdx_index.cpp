#include "storage/engine/cdx_index.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <strings.h>

#include "storage/engine/xb_engine.h"
#include "storage/engine/xb_failure.h"

namespace quill::xb {

namespace {

constexpr std::uint32_t kPage = 512;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr int kLeafSpace = 488;      // 512 - 24 header bytes
constexpr int kMaxDepth = 32;
constexpr int kDirKeyLen = 10;

std::uint32_t LE32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
unsigned LE16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t BE32(const unsigned char* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
void PutLE32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void PutLE16(unsigned char* p, unsigned v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
void PutBE32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

int BitsFor(std::uint64_t v) {
  int b = 0;
  while (v) {
    ++b;
    v >>= 1;
  }
  return b;
}

struct Layout {
  int D, T, R, N;
};

Layout LayoutFor(int keyLen, int recBits) {
  Layout l;
  l.D = l.T = BitsFor(static_cast<std::uint64_t>(keyLen));
  l.N = (recBits + l.D + l.T + 7) / 8;
  if (l.N < 3) l.N = 3;
  l.R = 8 * l.N - l.D - l.T;
  return l;
}

int TrailOf(const std::string& key, char pad) {
  if (pad != ' ') return 0;   // binary keys keep every byte
  int t = 0;
  for (auto it = key.rbegin(); it != key.rend() && *it == ' '; ++it) ++t;
  return t;
}

int DupOf(const std::string& prev, const std::string& key, int limit) {
  int d = 0;
  while (d < limit && prev[d] == key[d]) ++d;
  return d;
}

// Serialises one leaf page.
void EncodeLeaf(const CdxTag& tag, const std::vector<CdxEntry>& entries, bool root, std::uint32_t left,
                std::uint32_t right, unsigned char* page) {
  std::memset(page, 0, kPage);
  Layout l = LayoutFor(tag.keyLen, tag.recBits);
  PutLE16(page, 2u | (root ? 1u : 0u));
  PutLE16(page + 2, static_cast<unsigned>(entries.size()));
  PutLE32(page + 4, left);
  PutLE32(page + 8, right);
  PutLE32(page + 14, static_cast<std::uint32_t>((1ull << l.R) - 1));
  page[18] = static_cast<unsigned char>((1u << l.D) - 1);
  page[19] = static_cast<unsigned char>((1u << l.T) - 1);
  page[20] = static_cast<unsigned char>(l.R);
  page[21] = static_cast<unsigned char>(l.D);
  page[22] = static_cast<unsigned char>(l.T);
  page[23] = static_cast<unsigned char>(l.N);
  int pos = kPage;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string& key = entries[i].key;
    int trail = TrailOf(key, tag.pad);
    int dup = i == 0 ? 0 : DupOf(entries[i - 1].key, key, tag.keyLen - trail);
    int stored = tag.keyLen - dup - trail;
    pos -= stored;
    std::memcpy(page + pos, key.data() + dup, static_cast<std::size_t>(stored));
    std::uint64_t v = entries[i].recno | (std::uint64_t(dup) << l.R) | (std::uint64_t(trail) << (l.R + l.D));
    for (int b = 0; b < l.N; ++b) page[24 + i * l.N + b] = static_cast<unsigned char>(v >> (8 * b));
  }
  PutLE16(page + 12, static_cast<unsigned>(pos - 24 - static_cast<int>(entries.size()) * l.N));
}

struct Child {
  std::string key;
  std::uint32_t recno;
  std::uint32_t offset;
};

void EncodeInterior(const CdxTag& tag, const std::vector<Child>& kids, bool root, std::uint32_t left,
                    std::uint32_t right, unsigned char* page) {
  std::memset(page, 0, kPage);
  PutLE16(page, root ? 1u : 0u);
  PutLE16(page + 2, static_cast<unsigned>(kids.size()));
  PutLE32(page + 4, left);
  PutLE32(page + 8, right);
  std::size_t w = static_cast<std::size_t>(tag.keyLen) + 8;
  for (std::size_t i = 0; i < kids.size(); ++i) {
    unsigned char* e = page + 12 + i * w;
    std::memcpy(e, kids[i].key.data(), static_cast<std::size_t>(tag.keyLen));
    PutBE32(e + tag.keyLen, kids[i].recno);
    PutBE32(e + tag.keyLen + 4, kids[i].offset);
  }
}

int InteriorCapacity(int keyLen) { return 500 / (keyLen + 8); }

// Tag header (two pages).
void EncodeHeader(const CdxTag& tag, std::uint32_t root, bool directory, bool structural,
                  unsigned char* h) {
  std::memset(h, 0, 2 * kPage);
  PutLE32(h, root);
  PutLE16(h + 12, static_cast<unsigned>(tag.keyLen));
  unsigned options = 0x60;
  if (directory) {
    if (structural) options |= 0x80;
  } else {
    if (tag.unique) options |= 0x01;
    if (!tag.forText.empty()) options |= 0x08;
  }
  h[14] = static_cast<unsigned char>(options);
  h[15] = 1;
  PutLE16(h + 502, tag.descending ? 1u : 0u);
  unsigned keyLen = static_cast<unsigned>(tag.keyText.size()) + 1;
  unsigned forLen = static_cast<unsigned>(tag.forText.size()) + 1;
  PutLE16(h + 504, keyLen);
  PutLE16(h + 506, forLen);
  PutLE16(h + 508, 0);
  PutLE16(h + 510, keyLen);
  std::memcpy(h + 512, tag.keyText.data(), tag.keyText.size());
  std::memcpy(h + 512 + keyLen, tag.forText.data(), tag.forText.size());
}

std::vector<std::vector<CdxEntry>> PackLeaves(const CdxTag& tag, const std::vector<CdxEntry>& all) {
  std::vector<std::vector<CdxEntry>> out;
  Layout l = LayoutFor(tag.keyLen, tag.recBits);
  std::vector<CdxEntry> cur;
  int used = 0;
  for (const auto& e : all) {
    int trail = TrailOf(e.key, tag.pad);
    int dup = cur.empty() ? 0 : DupOf(cur.back().key, e.key, tag.keyLen - trail);
    int cost = l.N + tag.keyLen - dup - trail;
    if (!cur.empty() && used + cost > kLeafSpace) {
      out.push_back(std::move(cur));
      cur.clear();
      used = 0;
      cost = l.N + tag.keyLen - trail;
    }
    cur.push_back(e);
    used += cost;
  }
  if (!cur.empty() || out.empty()) out.push_back(std::move(cur));
  return out;
}

// ---- parsing ----------------------------------------------------------------

class TreeReader {
 public:
  TreeReader(const File& f, std::uint64_t size, const std::string& what)
      : f_(f), size_(size), what_(what) {}

  [[noreturn]] void Bad(const std::string& msg) {
    throw XbFailure(XB_ERR_CORRUPT, f_.Name() + ": " + what_ + ": " + msg);
  }

  void ReadPage(std::uint32_t off, unsigned char* page) {
    if (off % kPage != 0 || off == kNone || std::uint64_t(off) + kPage > size_)
      Bad("page pointer " + std::to_string(off) + " is outside the file");
    f_.ReadExact(off, page, kPage, "an index page");
  }

  // Collects the leaves of the tree under root, in key order.
  void Walk(std::uint32_t off, int keyLen, char pad, int depth, std::vector<CdxLeaf>& leaves,
            std::vector<std::uint32_t>& interior, int& recBits) {
    if (depth > kMaxDepth) Bad("the page tree is too deep (the page links loop)");
    if (!seen_.insert(off).second) Bad("page " + std::to_string(off) + " is linked twice (the page links loop)");
    unsigned char page[kPage];
    ReadPage(off, page);
    unsigned attr = LE16(page);
    unsigned n = LE16(page + 2);
    if (attr & 2u) {
      CdxLeaf leaf;
      leaf.offset = off;
      leaf.dirty = false;
      leaf.writtenLeft = LE32(page + 4);
      leaf.writtenRight = LE32(page + 8);
      leaf.writtenRoot = (attr & 1u) != 0;
      DecodeLeaf(page, n, keyLen, pad, leaf.entries, recBits);
      leaves.push_back(std::move(leaf));
      return;
    }
    if (n == 0) Bad("interior page " + std::to_string(off) + " has no keys");
    std::size_t w = static_cast<std::size_t>(keyLen) + 8;
    if (12 + n * w > kPage) Bad("interior page " + std::to_string(off) + " claims " + std::to_string(n) + " keys");
    interior.push_back(off);
    for (unsigned i = 0; i < n; ++i) {
      std::uint32_t child = BE32(page + 12 + i * w + keyLen + 4);
      Walk(child, keyLen, pad, depth + 1, leaves, interior, recBits);
    }
  }

  void DecodeLeaf(const unsigned char* page, unsigned n, int keyLen, char pad, std::vector<CdxEntry>& out,
                  int& recBits) {
    int R = page[20], D = page[21], T = page[22], N = page[23];
    if (N < 1 || N > 8 || R + D + T > 8 * N || R < 1 || R > 32 || D > 16 || T > 16)
      Bad("leaf page has invalid entry widths");
    if (24 + static_cast<std::size_t>(n) * N > kPage) Bad("leaf page claims " + std::to_string(n) + " keys");
    recBits = std::max(recBits, R);
    int pos = kPage;
    std::string prev;
    out.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
      std::uint64_t v = 0;
      for (int b = 0; b < N; ++b) v |= std::uint64_t(page[24 + i * N + b]) << (8 * b);
      std::uint32_t recno = static_cast<std::uint32_t>(v & ((1ull << R) - 1));
      int dup = static_cast<int>((v >> R) & ((1ull << D) - 1));
      int trail = static_cast<int>((v >> (R + D)) & ((1ull << T) - 1));
      if (i == 0 && dup != 0) Bad("first key of a leaf page shares bytes with nothing");
      if (dup + trail > keyLen) Bad("leaf key counts exceed the key length");
      int stored = keyLen - dup - trail;
      pos -= stored;
      if (pos < 24 + static_cast<int>(n) * N) Bad("leaf keys overlap the entry table");
      CdxEntry e;
      e.recno = recno;
      e.key.reserve(keyLen);
      e.key.assign(prev, 0, static_cast<std::size_t>(dup));
      e.key.append(reinterpret_cast<const char*>(page) + pos, static_cast<std::size_t>(stored));
      e.key.append(static_cast<std::size_t>(trail), pad);
      prev = e.key;
      out.push_back(std::move(e));
    }
  }

 private:
  const File& f_;
  std::uint64_t size_;
  std::string what_;
  std::set<std::uint32_t> seen_;
};

std::string Upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

char PadForExpression(const std::string& expr, const std::vector<DbfField>& fields) {
  std::string e = expr;
  while (!e.empty() && std::isspace(static_cast<unsigned char>(e.back()))) e.pop_back();
  std::size_t a = 0;
  while (a < e.size() && std::isspace(static_cast<unsigned char>(e[a]))) ++a;
  e = e.substr(a);
  for (const auto& f : fields) {
    if (::strcasecmp(f.name.c_str(), e.c_str()) == 0) return f.type == 'C' ? ' ' : '\0';
  }
  return ' ';
}

}  // namespace

// ---- CdxTag -------------------------------------------------------------------

bool CdxTag::KeyOf(const char* rec, std::string& key) const {
  if (!forExpr.Empty() && !forExpr.EvalLogical(rec, true)) return false;
  key = keyExpr.EvalText(rec);
  key.resize(static_cast<std::size_t>(keyLen), pad);
  return true;
}

int CdxTag::CompareKeys(const std::string& a, const std::string& b) const {
  int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
  if (c == 0 && a.size() != b.size()) c = a.size() < b.size() ? -1 : 1;
  c = c < 0 ? -1 : (c > 0 ? 1 : 0);
  return descending ? -c : c;
}

int CdxTag::CompareEntry(const CdxEntry& e, const std::string& key, std::uint32_t recno) const {
  int c = CompareKeys(e.key, key);
  if (c != 0) return c;
  return e.recno < recno ? -1 : (e.recno > recno ? 1 : 0);
}

void CdxTag::Assign(std::vector<CdxEntry> entries) {
  std::sort(entries.begin(), entries.end(), [this](const CdxEntry& a, const CdxEntry& b) {
    return CompareEntry(a, b.key, b.recno) < 0;
  });
  std::uint32_t maxRec = 0;
  for (const auto& e : entries) maxRec = std::max(maxRec, e.recno);
  recBits = std::max(16, BitsFor(maxRec));
  std::vector<std::uint32_t> pages;
  for (auto& l : leaves)
    if (l.offset) pages.push_back(l.offset);
  auto packed = PackLeaves(*this, entries);
  leaves.clear();
  for (auto& p : packed) {
    CdxLeaf leaf;
    leaf.entries = std::move(p);
    if (!pages.empty()) {
      leaf.offset = pages.front();
      pages.erase(pages.begin());
    }
    leaves.push_back(std::move(leaf));
  }
  freed_.insert(freed_.end(), pages.begin(), pages.end());
  dirty = true;
  ++generation;
}

std::vector<CdxEntry> CdxTag::AllEntries() const {
  std::vector<CdxEntry> out;
  out.reserve(Count());
  for (const auto& l : leaves) out.insert(out.end(), l.entries.begin(), l.entries.end());
  return out;
}

std::size_t CdxTag::Count() const {
  std::size_t n = 0;
  for (const auto& l : leaves) n += l.entries.size();
  return n;
}

CdxPos CdxTag::Begin() const {
  CdxPos p{0, 0};
  while (p.leaf < leaves.size() && leaves[p.leaf].entries.empty()) ++p.leaf;
  return p;
}

CdxPos CdxTag::Last() const {
  for (std::size_t i = leaves.size(); i-- > 0;) {
    if (!leaves[i].entries.empty()) return {i, leaves[i].entries.size() - 1};
  }
  return End();
}

void CdxTag::Next(CdxPos& p) const {
  if (p.leaf >= leaves.size()) return;
  if (++p.idx < leaves[p.leaf].entries.size()) return;
  p.idx = 0;
  ++p.leaf;
  while (p.leaf < leaves.size() && leaves[p.leaf].entries.empty()) ++p.leaf;
}

bool CdxTag::Prev(CdxPos& p) const {
  if (p.leaf >= leaves.size()) {
    CdxPos l = Last();
    if (AtEnd(l)) return false;
    p = l;
    return true;
  }
  if (p.idx > 0) {
    --p.idx;
    return true;
  }
  for (std::size_t i = p.leaf; i-- > 0;) {
    if (!leaves[i].entries.empty()) {
      p = {i, leaves[i].entries.size() - 1};
      return true;
    }
  }
  return false;
}

CdxPos CdxTag::Locate(const std::string& key, std::uint32_t recno) const {
  // Leaves are in order; find the first whose last entry is >= (key, recno).
  std::size_t lo = 0, hi = leaves.size();
  while (lo < hi) {
    std::size_t mid = (lo + hi) / 2;
    const auto& es = leaves[mid].entries;
    // An empty leaf is skipped over by treating it like its predecessor.
    std::size_t probe = mid;
    while (probe > 0 && leaves[probe].entries.empty()) --probe;
    const auto& pe = leaves[probe].entries;
    if (pe.empty() || CompareEntry(pe.back(), key, recno) < 0) lo = mid + 1;
    else hi = mid;
    (void)es;
  }
  if (lo >= leaves.size()) return End();
  const auto& es = leaves[lo].entries;
  auto it = std::lower_bound(es.begin(), es.end(), 0, [&](const CdxEntry& e, int) {
    return CompareEntry(e, key, recno) < 0;
  });
  CdxPos p{lo, static_cast<std::size_t>(it - es.begin())};
  if (p.idx >= es.size()) {
    p.idx = es.size() ? es.size() - 1 : 0;
    if (es.empty()) {
      p = {lo, 0};
      while (p.leaf < leaves.size() && leaves[p.leaf].entries.empty()) ++p.leaf;
    } else {
      Next(p);
    }
  }
  return p;
}

CdxPos CdxTag::LowerBoundPrefix(const std::string& prefix) const {
  auto cmp = [&](const CdxEntry& e) {
    int c = std::memcmp(e.key.data(), prefix.data(), std::min(e.key.size(), prefix.size()));
    c = c < 0 ? -1 : (c > 0 ? 1 : 0);
    return descending ? -c : c;
  };
  std::size_t lo = 0, hi = leaves.size();
  while (lo < hi) {
    std::size_t mid = (lo + hi) / 2;
    std::size_t probe = mid;
    while (probe > 0 && leaves[probe].entries.empty()) --probe;
    const auto& pe = leaves[probe].entries;
    if (pe.empty() || cmp(pe.back()) < 0) lo = mid + 1;
    else hi = mid;
  }
  if (lo >= leaves.size()) return End();
  const auto& es = leaves[lo].entries;
  std::size_t i = 0;
  auto it = std::lower_bound(es.begin(), es.end(), 0, [&](const CdxEntry& e, int) { return cmp(e) < 0; });
  i = static_cast<std::size_t>(it - es.begin());
  CdxPos p{lo, i};
  if (i >= es.size()) {
    p.idx = es.empty() ? 0 : es.size() - 1;
    if (es.empty()) {
      while (p.leaf < leaves.size() && leaves[p.leaf].entries.empty()) ++p.leaf;
      p.idx = 0;
    } else {
      Next(p);
    }
  }
  return p;
}

int CdxTag::EntryBytes() const { return LayoutFor(keyLen, recBits).N; }

int CdxTag::LeafBytes(const std::vector<CdxEntry>& entries) const {
  int n = EntryBytes();
  int used = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    int trail = TrailOf(entries[i].key, pad);
    int dup = i == 0 ? 0 : DupOf(entries[i - 1].key, entries[i].key, keyLen - trail);
    used += n + keyLen - dup - trail;
  }
  return used;
}

void CdxTag::SetRecordBits(std::uint32_t maxRecno) {
  int need = std::max(16, BitsFor(maxRecno));
  if (need <= recBits) return;
  recBits = need;
  // Wider entries: lay every leaf out again.
  Assign(AllEntries());
}

void CdxTag::SplitIfNeeded(std::size_t li, bool appended) {
  while (LeafBytes(leaves[li].entries) > kLeafSpace && leaves[li].entries.size() > 1) {
    auto& es = leaves[li].entries;
    std::size_t cut;
    if (appended && li + 1 == leaves.size()) {
      cut = es.size() - 1;   // growing at the end: keep this page full
    } else {
      // Cut where the first part holds about half the bytes.
      int total = LeafBytes(es), acc = 0, n = EntryBytes();
      cut = 1;
      for (std::size_t i = 0; i < es.size(); ++i) {
        int trail = TrailOf(es[i].key, pad);
        int dup = i == 0 ? 0 : DupOf(es[i - 1].key, es[i].key, keyLen - trail);
        acc += n + keyLen - dup - trail;
        if (acc * 2 >= total) {
          cut = std::max<std::size_t>(1, i);
          break;
        }
      }
    }
    CdxLeaf right;
    right.entries.assign(es.begin() + static_cast<long>(cut), es.end());
    es.erase(es.begin() + static_cast<long>(cut), es.end());
    leaves[li].dirty = true;
    leaves.insert(leaves.begin() + static_cast<long>(li) + 1, std::move(right));
    if (LeafBytes(leaves[li].entries) <= kLeafSpace) ++li;
  }
}

void CdxTag::Insert(const std::string& key, std::uint32_t recno) {
  SetRecordBits(recno);
  if (leaves.empty()) leaves.emplace_back();
  CdxPos p = Locate(key, recno);
  bool appended = false;
  if (AtEnd(p)) {
    p.leaf = leaves.size() - 1;
    p.idx = leaves[p.leaf].entries.size();
    appended = true;
  }
  auto& es = leaves[p.leaf].entries;
  es.insert(es.begin() + static_cast<long>(p.idx), CdxEntry{key, recno});
  leaves[p.leaf].dirty = true;
  SplitIfNeeded(p.leaf, appended);
  dirty = true;
  ++generation;
}

bool CdxTag::Remove(const std::string& key, std::uint32_t recno) {
  CdxPos p = Locate(key, recno);
  if (AtEnd(p) || At(p).recno != recno || CompareKeys(At(p).key, key) != 0) return false;
  auto& es = leaves[p.leaf].entries;
  es.erase(es.begin() + static_cast<long>(p.idx));
  leaves[p.leaf].dirty = true;
  if (es.empty() && leaves.size() > 1) {
    if (leaves[p.leaf].offset) freed_.push_back(leaves[p.leaf].offset);
    leaves.erase(leaves.begin() + static_cast<long>(p.leaf));
  }
  dirty = true;
  ++generation;
  return true;
}

// ---- CdxIndex -----------------------------------------------------------------

CdxTag* CdxIndex::FindTag(const std::string& name) {
  for (auto& t : tags_)
    if (::strcasecmp(t->name.c_str(), name.c_str()) == 0) return t.get();
  return nullptr;
}

std::unique_ptr<CdxTag> CdxIndex::NewTag(const std::string& name, const std::string& keyText,
                                         const std::string& forText, bool unique, bool descending,
                                         const std::vector<DbfField>& fields, std::string& error) {
  auto tag = std::make_unique<CdxTag>();
  tag->name = Upper(name);
  tag->keyText = keyText;
  tag->forText = forText;
  tag->unique = unique;
  tag->descending = descending;
  if (tag->name.empty() || tag->name.size() > 10) {
    error = "tag name \"" + name + "\" must have 1 to 10 characters";
    return nullptr;
  }
  std::string err;
  if (!tag->keyExpr.Parse(keyText, fields, err) || !tag->keyExpr.IsText()) {
    error = "key expression \"" + keyText + "\" is not supported" + (err.empty() ? "" : ": " + err);
    return nullptr;
  }
  if (!forText.empty() && (!tag->forExpr.Parse(forText, fields, err) || !tag->forExpr.IsLogical())) {
    error = "condition \"" + forText + "\" is not supported" + (err.empty() ? "" : ": " + err);
    return nullptr;
  }
  tag->keyLen = tag->keyExpr.TextWidth();
  if (tag->keyLen < 1 || tag->keyLen > 240) {
    error = "key expression \"" + keyText + "\" gives keys of " + std::to_string(tag->keyLen) + " bytes";
    return nullptr;
  }
  tag->pad = ' ';
  tag->evaluable = true;
  tag->leaves.emplace_back();
  return tag;
}

void CdxIndex::Open(const std::string& path, bool writable, const std::vector<DbfField>& fields) {
  path_ = path;
  file_.Open(path, writable ? File::Mode::ReadWrite : File::Mode::Read);
  std::uint64_t size = file_.Size();
  fileEnd_ = (size + kPage - 1) / kPage * kPage;
  tags_.clear();
  TreeReader dir(file_, size, "tag directory");
  if (size < 3 * kPage) dir.Bad("the file is too short for a compound index");
  unsigned char h[2 * kPage];
  file_.ReadExact(0, h, sizeof h, "the index header");
  int dirKeyLen = static_cast<int>(LE16(h + 12));
  if (dirKeyLen < 1 || dirKeyLen > 240) dir.Bad("key length " + std::to_string(dirKeyLen) + " is invalid");
  if ((h[14] & 0x60) != 0x60) dir.Bad("the file is not a compact compound index");
  structural_ = (h[14] & 0x80) != 0;
  std::vector<CdxLeaf> dirLeaves;
  std::vector<std::uint32_t> dirInterior;
  int dirBits = 0;
  dir.Walk(LE32(h), dirKeyLen, ' ', 0, dirLeaves, dirInterior, dirBits);
  std::set<std::uint32_t> headers;
  for (const auto& leaf : dirLeaves) {
    for (const auto& e : leaf.entries) {
      std::string name = e.key;
      while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
      std::uint32_t off = e.recno;
      if (name.empty()) dir.Bad("a tag has no name");
      if (off % kPage != 0 || std::uint64_t(off) + 2 * kPage > size)
        dir.Bad("tag " + name + " has its header outside the file");
      if (!headers.insert(off).second) dir.Bad("two tags share one header");
      unsigned char th[2 * kPage];
      file_.ReadExact(off, th, sizeof th, "a tag header");
      auto tag = std::make_unique<CdxTag>();
      tag->name = Upper(name);
      tag->headerOffset = off;
      tag->rootOffset = LE32(th);
      tag->keyLen = static_cast<int>(LE16(th + 12));
      TreeReader tr(file_, size, "tag " + tag->name);
      if (tag->keyLen < 1 || tag->keyLen > 240) tr.Bad("key length " + std::to_string(tag->keyLen) + " is invalid");
      tag->unique = (th[14] & 0x01) != 0;
      tag->descending = LE16(th + 502) != 0;
      unsigned keyStart = LE16(th + 508);
      const char* pool = reinterpret_cast<const char*>(th + 512);
      if (keyStart >= kPage) tr.Bad("the key expression lies outside the header");
      std::size_t keyEnd = keyStart;
      while (keyEnd < kPage && pool[keyEnd] != '\0') ++keyEnd;
      tag->keyText.assign(pool + keyStart, keyEnd - keyStart);
      std::size_t forStart = keyEnd + 1, forEnd = forStart;
      while (forEnd < kPage && pool[forEnd] != '\0') ++forEnd;
      if (forStart < kPage) tag->forText.assign(pool + forStart, forEnd - forStart);
      if ((th[14] & 0x08) == 0 && LE16(th + 506) <= 1) tag->forText.clear();
      tag->pad = PadForExpression(tag->keyText, fields);
      std::string err;
      bool keyOk = tag->keyExpr.Parse(tag->keyText, fields, err) && tag->keyExpr.IsText();
      bool forOk = tag->forText.empty() ||
                   (tag->forExpr.Parse(tag->forText, fields, err) && tag->forExpr.IsLogical());
      tag->evaluable = keyOk && forOk && tag->keyExpr.TextWidth() == tag->keyLen;
      if (!tag->evaluable) {
        tag->keyExpr = Expression();
        tag->forExpr = Expression();
      }
      int bits = 0;
      try {
        tr.Walk(tag->rootOffset, tag->keyLen, tag->pad, 0, tag->leaves, tag->interior, bits);
      } catch (const XbFailure&) {
        // Damaged pages of a tag this engine can compute: keep the tag's
        // definition; the engine finds it empty and builds it from the table.
        if (!tag->evaluable) throw;
        tag->leaves.clear();
        tag->interior.clear();
        tag->damaged = true;
      }
      tag->recBits = std::max(16, bits);
      if (tag->leaves.empty()) tag->leaves.emplace_back();
      tags_.push_back(std::move(tag));
    }
  }
  // Tags in the order of their headers in the file: the order they were made.
  std::stable_sort(tags_.begin(), tags_.end(), [](const auto& a, const auto& b) {
    return a->headerOffset < b->headerOffset;
  });
}

std::uint32_t CdxIndex::Allocate(CdxTag& tag) {
  if (!tag.freed_.empty()) {
    std::uint32_t off = tag.freed_.back();
    tag.freed_.pop_back();
    return off;
  }
  if (fileEnd_ + kPage > 0xFFFFFFFFull) throw XbFailure(XB_ERR_IO, Name() + ": index file is full");
  auto off = static_cast<std::uint32_t>(fileEnd_);
  fileEnd_ += kPage;
  return off;
}

void CdxIndex::Flush(std::uint32_t maxRecno) {
  if (needsRewrite_) {
    WriteNew(path_);
    return;
  }
  for (auto& t : tags_) FlushTag(*t, maxRecno);
}

void CdxIndex::FlushTag(CdxTag& tag, std::uint32_t maxRecno) {
  if (!tag.dirty) return;
  tag.SetRecordBits(maxRecno);
  for (auto& l : tag.leaves)
    if (l.offset == 0) l.offset = Allocate(tag);
  const bool single = tag.leaves.size() == 1;
  unsigned char page[kPage];
  for (std::size_t i = 0; i < tag.leaves.size(); ++i) {
    auto& l = tag.leaves[i];
    std::uint32_t left = i == 0 ? kNone : tag.leaves[i - 1].offset;
    std::uint32_t right = i + 1 == tag.leaves.size() ? kNone : tag.leaves[i + 1].offset;
    if (!l.dirty && l.writtenLeft == left && l.writtenRight == right && l.writtenRoot == single) continue;
    EncodeLeaf(tag, l.entries, single, left, right, page);
    file_.WriteAt(l.offset, page, kPage);
    l.dirty = false;
    l.writtenLeft = left;
    l.writtenRight = right;
    l.writtenRoot = single;
  }
  // Interior levels, rebuilt from the leaves each time (they are few pages).
  std::uint32_t root = tag.leaves[0].offset;
  std::vector<std::uint32_t> oldInterior = tag.interior;
  std::size_t nextOld = 0;
  tag.interior.clear();
  if (!single) {
    std::vector<Child> level;
    for (const auto& l : tag.leaves) {
      if (l.entries.empty()) {
        // Only possible for a lone page; keep its place with a blank key.
        level.push_back({std::string(static_cast<std::size_t>(tag.keyLen), tag.pad), 0, l.offset});
      } else {
        level.push_back({l.entries.back().key, l.entries.back().recno, l.offset});
      }
    }
    int cap = InteriorCapacity(tag.keyLen);
    while (level.size() > 1) {
      std::size_t pages = (level.size() + cap - 1) / cap;
      std::vector<Child> up;
      std::vector<std::uint32_t> offs(pages);
      for (auto& o : offs) {
        o = nextOld < oldInterior.size() ? oldInterior[nextOld++] : Allocate(tag);
        tag.interior.push_back(o);
      }
      bool isRoot = pages == 1;
      for (std::size_t p = 0; p < pages; ++p) {
        // Spread children evenly so that no page is nearly empty.
        std::size_t from = level.size() * p / pages, to = level.size() * (p + 1) / pages;
        std::vector<Child> kids(level.begin() + static_cast<long>(from), level.begin() + static_cast<long>(to));
        EncodeInterior(tag, kids, isRoot, p == 0 ? kNone : offs[p - 1], p + 1 == pages ? kNone : offs[p + 1], page);
        file_.WriteAt(offs[p], page, kPage);
        up.push_back({kids.back().key, kids.back().recno, offs[p]});
      }
      level = std::move(up);
    }
    root = level[0].offset;
  }
  for (; nextOld < oldInterior.size(); ++nextOld) tag.freed_.push_back(oldInterior[nextOld]);
  if (root != tag.rootOffset) {
    unsigned char r[4];
    PutLE32(r, root);
    file_.WriteAt(tag.headerOffset, r, 4);
    tag.rootOffset = root;
  }
  tag.dirty = false;
}

void CdxIndex::WriteNew(const std::string& path) {
  // Until the new file is in place the pages in memory no longer match the
  // file on disk: any later flush must write a whole file again.
  needsRewrite_ = true;
  std::size_t ntags = tags_.size();
  // Directory: one leaf page with every tag name.
  CdxTag dir;
  dir.name = "";
  dir.keyLen = kDirKeyLen;
  dir.pad = ' ';
  dir.recBits = 16;
  std::uint32_t headerBase = 3 * kPage;
  std::vector<CdxEntry> dirEntries;
  for (std::size_t i = 0; i < ntags; ++i) {
    std::string key = tags_[i]->name;
    key.resize(kDirKeyLen, ' ');
    dirEntries.push_back({key, headerBase + static_cast<std::uint32_t>(i) * 2 * kPage});
  }
  std::sort(dirEntries.begin(), dirEntries.end(),
            [](const CdxEntry& a, const CdxEntry& b) { return a.key < b.key; });
  if (dir.LeafBytes(dirEntries) > kLeafSpace) throw XbFailure(XB_ERR_ARG, BaseName(path) + ": too many tags");

  std::string out(static_cast<std::size_t>(headerBase + ntags * 2 * kPage), '\0');
  auto base = [&]() { return reinterpret_cast<unsigned char*>(out.data()); };
  EncodeHeader(dir, 2 * kPage, true, structural_, base());
  EncodeLeaf(dir, dirEntries, true, kNone, kNone, base() + 2 * kPage);

  for (std::size_t t = 0; t < ntags; ++t) {
    CdxTag& tag = *tags_[t];
    tag.headerOffset = headerBase + static_cast<std::uint32_t>(t) * 2 * kPage;
    auto all = tag.AllEntries();
    std::uint32_t maxRec = 0;
    for (auto& e : all) maxRec = std::max(maxRec, e.recno);
    tag.recBits = std::max(16, BitsFor(maxRec));
    auto packed = PackLeaves(tag, all);
    tag.leaves.clear();
    tag.interior.clear();
    tag.freed_.clear();
    for (auto& p : packed) {
      CdxLeaf l;
      l.entries = std::move(p);
      l.offset = static_cast<std::uint32_t>(out.size());
      out.resize(out.size() + kPage, '\0');
      tag.leaves.push_back(std::move(l));
    }
    const bool single = tag.leaves.size() == 1;
    for (std::size_t i = 0; i < tag.leaves.size(); ++i) {
      auto& l = tag.leaves[i];
      l.writtenLeft = i == 0 ? kNone : tag.leaves[i - 1].offset;
      l.writtenRight = i + 1 == tag.leaves.size() ? kNone : tag.leaves[i + 1].offset;
      l.writtenRoot = single;
      l.dirty = false;
      EncodeLeaf(tag, l.entries, single, l.writtenLeft, l.writtenRight, base() + l.offset);
    }
    std::uint32_t root = tag.leaves[0].offset;
    if (!single) {
      std::vector<Child> level;
      for (const auto& l : tag.leaves) level.push_back({l.entries.back().key, l.entries.back().recno, l.offset});
      int cap = InteriorCapacity(tag.keyLen);
      while (level.size() > 1) {
        std::size_t pages = (level.size() + cap - 1) / cap;
        std::vector<std::uint32_t> offs(pages);
        for (auto& o : offs) {
          o = static_cast<std::uint32_t>(out.size());
          out.resize(out.size() + kPage, '\0');
          tag.interior.push_back(o);
        }
        std::vector<Child> up;
        for (std::size_t p = 0; p < pages; ++p) {
          std::size_t from = level.size() * p / pages, to = level.size() * (p + 1) / pages;
          std::vector<Child> kids(level.begin() + static_cast<long>(from), level.begin() + static_cast<long>(to));
          EncodeInterior(tag, kids, pages == 1, p == 0 ? kNone : offs[p - 1], p + 1 == pages ? kNone : offs[p + 1],
                         base() + offs[p]);
          up.push_back({kids.back().key, kids.back().recno, offs[p]});
        }
        level = std::move(up);
      }
      root = level[0].offset;
    }
    tag.rootOffset = root;
    EncodeHeader(tag, root, false, structural_, base() + tag.headerOffset);
    tag.dirty = false;
    ++tag.generation;
  }

  std::string tmp = path + ".new";
  WriteNewFile(tmp, out);
  file_.Close();
  try {
    ReplaceFile(tmp, path);
  } catch (...) {
    RemoveFile(tmp);
    try {
      file_.Open(path_, File::Mode::ReadWrite);
    } catch (...) {
    }
    throw;
  }
  path_ = path;
  file_.Open(path, File::Mode::ReadWrite);
  fileEnd_ = out.size();
  needsRewrite_ = false;
}

}  // namespace quill::xb
