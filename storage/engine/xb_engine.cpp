#include "storage/engine/xb_engine.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sodium.h>
#include <strings.h>

#include "storage/engine/cdx_index.h"
#include "storage/engine/dbf_file.h"
#include "storage/engine/file_io.h"
#include "storage/engine/fpt_memo.h"
#include "storage/engine/sealed_text.h"
#include "storage/engine/xb_expression.h"
#include "storage/engine/xb_failure.h"

namespace quill::xb {

namespace {

constexpr int kMaxAreas = 250;

struct OrderRef {
  CdxIndex* index;
  CdxTag* tag;
};

struct WorkArea {
  std::string alias;
  std::string dbfPath;
  std::string memoPath;
  int mode = XB_MODE_EXCLUSIVE;
  bool writable = false;
  DbfFile dbf;
  std::unique_ptr<FptMemo> memo;
  std::vector<std::unique_ptr<CdxIndex>> indexes;   // production first when open
  std::vector<OrderRef> orders;
  int order = 0;
  long recno = 1;
  bool bof = false;
  bool eof = true;
  std::string rec;                  // current record (blank at EOF)
  CdxPos pos;
  std::uint64_t posGeneration = ~0ull;
  const CdxTag* posTag = nullptr;
  Expression filter;
  std::string filterText;
  // Memo texts waiting for the record write that points at them
  // (xb_StageMemo): already in fresh blocks, or, in a protected table,
  // kept here until the record's fields they are bound to are known.
  struct StagedMemo {
    int offset;
    std::uint32_t block;
    bool sealLater;
    std::string text;
  };
  std::vector<StagedMemo> stagedMemos;
  // Protection: the key file ("" = a plain table), whether the password
  // set opens it, and the key it gave.
  std::string keyPath;
  std::string keyError;   // why the key file cannot be used ("" = it can)
  KeyFile keyFile;
  bool unlocked = false;
  SealKey key{};
  // What the open or the last pack found damaged and worked around
  // (xb_DamageText).
  std::string damage;
  // While a structure is being defined (xb_CreateNew .. xb_CreateExec).
  bool creating = false;
  std::vector<DbfField> newFields;
  int expectedFields = 0;
};

struct Engine {
  std::vector<std::unique_ptr<WorkArea>> areas;   // area n at n-1
  int selected = 0;
  int error = XB_OK;
  std::string errorText;
  bool deleted = false;
  bool exact = false;
  bool century = false;
  int dateFormat = 0;
  int lockTimeout = 1;
  int memoBlockSize = 64;
  bool softSeek = false;
  bool turboRead = false;
  int stringType = 1;
  int errorLevel = 1;
  std::string password;
  std::function<void(int)> gauge;
  std::function<void(const std::string&)> rekeyStep;
};

Engine& E() {
  static Engine engine;
  return engine;
}

void SetError(int code, std::string text) {
  E().error = code;
  E().errorText = std::move(text);
}

template <class R, class F>
R Run(R fail, F&& f) {
  E().error = XB_OK;
  E().errorText.clear();
  try {
    return f();
  } catch (const XbFailure& e) {
    SetError(e.code(), e.what());
  } catch (const std::bad_alloc&) {
    SetError(XB_ERR_IO, "out of memory");
  } catch (const std::exception& e) {
    SetError(XB_ERR_IO, e.what());
  }
  return fail;
}

[[noreturn]] void Fail(int code, const std::string& text) { throw XbFailure(code, text); }

WorkArea* AreaPtr(int n) {
  auto& areas = E().areas;
  if (n < 1 || n > static_cast<int>(areas.size())) return nullptr;
  return areas[static_cast<std::size_t>(n - 1)].get();
}

WorkArea& Cur() {
  WorkArea* a = AreaPtr(E().selected);
  if (!a || a->creating) Fail(XB_ERR_NO_TABLE, "no table is open in work area " + std::to_string(E().selected));
  return *a;
}

std::string TableName(const WorkArea& a) { return BaseName(a.dbfPath); }

void Gauge(int percent) {
  if (E().gauge) E().gauge(std::clamp(percent, 0, 100));
}

std::string UpperAscii(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string StemPath(const std::string& path) {
  std::string base = BaseName(path);
  auto dot = base.find_last_of('.');
  std::string stem = dot == std::string::npos ? base : base.substr(0, dot);
  std::string folder = FolderOf(path);
  return folder + "/" + stem;
}

// Path for a sibling file with extension ext, in the letter case of the
// table's own extension.
std::string SiblingPath(const std::string& dbfPath, const char* upperExt) {
  std::string base = BaseName(dbfPath);
  auto dot = base.find_last_of('.');
  bool lower = dot != std::string::npos && dot + 1 < base.size() &&
               std::islower(static_cast<unsigned char>(base[dot + 1]));
  std::string ext = upperExt;
  if (lower)
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return StemPath(dbfPath) + "." + ext;
}

std::string FindSibling(const std::string& dbfPath, const char* upperExt) {
  std::string stemName = BaseName(StemPath(dbfPath));
  return FindFileAnyCase(FolderOf(dbfPath), stemName + "." + upperExt);
}

// ---- records and keys ------------------------------------------------------

long Count(const WorkArea& a) { return a.dbf.RecordCount(); }

void SetEof(WorkArea& a) {
  a.stagedMemos.clear();
  a.recno = Count(a) + 1;
  a.eof = true;
  a.rec.assign(static_cast<std::size_t>(a.dbf.RecordLength()), ' ');
  a.dbf.BlankRecord(a.rec.data());
  a.posTag = nullptr;
}

void Load(WorkArea& a, long recno) {
  a.stagedMemos.clear();   // staged for the record left behind
  a.rec.resize(static_cast<std::size_t>(a.dbf.RecordLength()));
  a.dbf.ReadRecord(recno, a.rec.data());
  a.recno = recno;
  a.eof = false;
}

bool Visible(const WorkArea& a, const char* rec) {
  if (E().deleted && rec[0] == '*') return false;
  if (!a.filter.Empty() && !a.filter.EvalLogical(rec, E().exact)) return false;
  return true;
}

CdxTag* CurTag(WorkArea& a) {
  if (a.order < 1 || a.order > static_cast<int>(a.orders.size())) return nullptr;
  return a.orders[static_cast<std::size_t>(a.order - 1)].tag;
}

std::vector<CdxEntry> EntriesFromTable(WorkArea& a, const CdxTag& tag, bool report) {
  std::vector<CdxEntry> out;
  long n = Count(a);
  out.reserve(static_cast<std::size_t>(n));
  const long chunk = 4096;
  std::string buf;
  std::string key;
  int lastPct = -1;
  for (long first = 1; first <= n; first += chunk) {
    long m = std::min(chunk, n - first + 1);
    buf.resize(static_cast<std::size_t>(m * a.dbf.RecordLength()));
    a.dbf.ReadRecords(first, m, buf.data());
    for (long i = 0; i < m; ++i) {
      if (tag.KeyOf(buf.data() + i * a.dbf.RecordLength(), key))
        out.push_back({key, static_cast<std::uint32_t>(first + i)});
    }
    if (report) {
      int pct = static_cast<int>(100 * (first + m - 1) / std::max(1L, n));
      if (pct != lastPct) Gauge(pct), lastPct = pct;
    }
  }
  return out;
}

// The entries a tag should hold: every record's key, sorted; a unique tag
// keeps only the first record of each key.
std::vector<CdxEntry> ExpectedEntries(WorkArea& a, const CdxTag& tag, bool report) {
  auto all = EntriesFromTable(a, tag, report);
  if (report) Gauge(0);  // the sort is a run of its own
  std::sort(all.begin(), all.end(), [&](const CdxEntry& x, const CdxEntry& y) {
    return tag.CompareEntry(x, y.key, y.recno) < 0;
  });
  if (tag.unique) {
    std::vector<CdxEntry> first;
    for (auto& e : all)
      if (first.empty() || first.back().key != e.key) first.push_back(std::move(e));
    all = std::move(first);
  }
  if (report) Gauge(100);
  return all;
}

void RefreshOrders(WorkArea& a) {
  const CdxTag* current = nullptr;
  if (a.order >= 1 && a.order <= static_cast<int>(a.orders.size()))
    current = a.orders[static_cast<std::size_t>(a.order - 1)].tag;
  a.orders.clear();
  for (auto& idx : a.indexes)
    for (auto& t : idx->Tags()) a.orders.push_back({idx.get(), t.get()});
  a.order = 0;
  for (std::size_t i = 0; i < a.orders.size(); ++i)
    if (a.orders[i].tag == current) a.order = static_cast<int>(i) + 1;
  a.posTag = nullptr;
}

void CheckWritable(WorkArea& a) {
  if (!a.writable || a.mode == XB_MODE_READONLY)
    Fail(XB_ERR_READONLY, TableName(a) + ": the table is open read-only");
  if (a.mode == XB_MODE_SHARED)
    Fail(XB_ERR_UNSUPPORTED, TableName(a) + ": the table is open shared; open it exclusively to change it");
  for (auto& idx : a.indexes)
    for (auto& t : idx->Tags())
      if (!t->evaluable)
        Fail(XB_ERR_UNSUPPORTED, idx->Name() + ": tag " + t->name + " has the key \"" + t->keyText +
                                     (t->forText.empty() ? "" : "\" FOR \"" + t->forText) +
                                     "\", which this engine cannot keep up to date; the table stays read-only");
}

// Writes rec as record recno and moves its index keys from old to new.
void WriteRecordAndKeys(WorkArea& a, long recno, const std::string& oldRec, const std::string& newRec) {
  a.dbf.WriteRecord(recno, newRec.data());
  std::string oldKey, newKey;
  for (auto& o : a.orders) {
    CdxTag& t = *o.tag;
    bool hadOld = t.KeyOf(oldRec.data(), oldKey);
    bool hasNew = t.KeyOf(newRec.data(), newKey);
    if (hadOld == hasNew && (!hadOld || oldKey == newKey)) continue;
    if (t.unique) {
      // Which record stands for a key may change: recompute the tag.
      t.Assign(ExpectedEntries(a, t, false));
      continue;
    }
    if (hadOld) t.Remove(oldKey, static_cast<std::uint32_t>(recno));
    if (hasNew) t.Insert(newKey, static_cast<std::uint32_t>(recno));
  }
}

// Appends rec as a new record, adds its keys (a unique tag keeps the record
// already standing for a key) and makes it the current record.
void AppendRecordAndKeys(WorkArea& a, const std::string& rec) {
  long r = a.dbf.AppendRecord(rec.data());
  std::string key;
  for (auto& o : a.orders) {
    if (!o.tag->KeyOf(rec.data(), key)) continue;
    if (o.tag->unique) {
      CdxPos p = o.tag->LowerBoundPrefix(key);
      if (!o.tag->AtEnd(p) && o.tag->At(p).key == key) continue;
    }
    o.tag->Insert(key, static_cast<std::uint32_t>(r));
  }
  a.rec = rec;
  a.recno = r;
  a.eof = false;
  a.bof = false;
  a.posTag = nullptr;
}

// ---- index files -----------------------------------------------------------

// Whether TAG holds exactly FROMTABLE (the table's entries in record order):
// as many entries, each naming a distinct record with that record's key, in
// strictly rising tag order. Linear, so that opening a diary of decades does
// not sort every key again.
bool TagMatches(const CdxTag& tag, const std::vector<CdxEntry>& fromTable, long records) {
  if (tag.damaged || fromTable.size() != tag.Count()) return false;
  std::vector<std::int32_t> slot(static_cast<std::size_t>(records) + 1, -1);
  for (std::size_t i = 0; i < fromTable.size(); ++i) slot[fromTable[i].recno] = static_cast<std::int32_t>(i);
  const CdxEntry* prev = nullptr;
  for (const auto& l : tag.leaves)
    for (const auto& e : l.entries) {
      if (e.recno == 0 || e.recno > static_cast<std::uint32_t>(records)) return false;
      std::int32_t& s = slot[e.recno];
      if (s < 0 || fromTable[static_cast<std::size_t>(s)].key != e.key) return false;
      s = -1;  // each record once
      if (prev && tag.CompareEntry(*prev, e.key, e.recno) >= 0) return false;
      prev = &e;
    }
  return true;
}

// Adds a sentence to what xb_DamageText reports, one per line.
void AddDamage(WorkArea& a, const std::string& note) {
  if (!a.damage.empty()) a.damage += "\n";
  a.damage += note;
}

// Reports the records DAMAGED (the first twenty numbers) as WHAT, the list
// of numbers introduced by NUMBERS.
void NoteDamagedRecords(WorkArea& a, const std::vector<long>& damaged, const std::string& what,
                        const std::string& numbers) {
  if (damaged.empty()) return;
  std::string note = TableName(a) + ": " + std::to_string(damaged.size()) + " record(s) " + what + " (" + numbers;
  for (std::size_t i = 0; i < damaged.size() && i < 20; ++i) note += " " + std::to_string(damaged[i]);
  note += damaged.size() > 20 ? " ...)" : ")";
  AddDamage(a, note);
}

void NoteIndexKept(WorkArea& a, const CdxIndex& idx, const XbFailure& e) {
  std::string note = idx.Name() + " could not be written (" + e.what() +
                     "); the index is kept in memory and written when there is room";
  if (a.damage.find(note) == std::string::npos) AddDamage(a, note);
}

// Writes a rebuilt index file. The index is derived from the table and is
// checked against it at every open, so a full or read-only disk need not
// stop the table from opening or a save from being durable: the index then
// stays in memory and the next flush tries again.
void WriteIndexOrKeep(WorkArea& a, CdxIndex& idx) {
  try {
    idx.WriteNew(idx.Path());
  } catch (const XbFailure& e) {
    if (e.code() != XB_ERR_IO && e.code() != XB_ERR_OPEN) throw;
    NoteIndexKept(a, idx, e);
  }
}

// Checks every tag the engine can compute against the table; a stale or
// damaged tag is rebuilt (and written back when the table is writable).
void ValidateIndex(WorkArea& a, CdxIndex& idx) {
  bool changed = false;
  for (auto& t : idx.Tags()) {
    if (!t->evaluable) continue;
    bool same;
    std::vector<CdxEntry> fromTable;
    if (t->unique) {
      // Which record stands for a key is decided by the sorted table.
      auto expected = ExpectedEntries(a, *t, false);
      same = !t->damaged && expected.size() == t->Count();
      std::size_t i = 0;
      for (const auto& l : t->leaves) {
        if (!same) break;
        for (const auto& e : l.entries) {
          const CdxEntry& x = expected[i++];
          if (e.recno != x.recno || e.key != x.key) {
            same = false;
            break;
          }
        }
      }
    } else {
      fromTable = EntriesFromTable(a, *t, false);
      same = TagMatches(*t, fromTable, Count(a));
    }
    t->damaged = false;
    if (!same) {
      // Assign sorts; a unique tag first keeps one record per key.
      t->Assign(t->unique ? ExpectedEntries(a, *t, false) : std::move(fromTable));
      changed = true;
    }
  }
  if (changed && a.writable && idx.Writable()) WriteIndexOrKeep(a, idx);
}

std::unique_ptr<CdxIndex> OpenIndex(WorkArea& a, const std::string& path) {
  auto idx = std::make_unique<CdxIndex>();
  idx->Open(path, a.writable, a.dbf.Fields());
  ValidateIndex(a, *idx);
  return idx;
}

void OpenProductionIndex(WorkArea& a) {
  std::string path = FindSibling(a.dbfPath, "CDX");
  if (path.empty()) return;
  try {
    a.indexes.push_back(OpenIndex(a, path));
    a.indexes.back()->SetStructural(true);
  } catch (const XbFailure& e) {
    if (e.code() != XB_ERR_CORRUPT) throw;
    // The index cannot be read at all: keep it aside for inspection and go
    // on without it, so the caller sees it missing and builds it again.
    if (a.writable) {
      std::string aside = path + ".damaged";
      RemoveFile(aside);
      ReplaceFile(path, aside);
    }
  }
}

std::string ProductionPath(WorkArea& a) {
  std::string found = FindSibling(a.dbfPath, "CDX");
  return found.empty() ? SiblingPath(a.dbfPath, "CDX") : found;
}

void FlushIndexes(WorkArea& a) {
  if (!a.writable) return;
  for (auto& idx : a.indexes) {
    if (!idx->Writable() && !idx->PendingWrite()) continue;
    try {
      idx->Flush(static_cast<std::uint32_t>(Count(a)));
    } catch (const XbFailure& e) {
      if (e.code() != XB_ERR_IO && e.code() != XB_ERR_OPEN) throw;
      // Pages half written in place: write the whole file next time.
      idx->MarkPendingWrite();
      NoteIndexKept(a, *idx, e);
    }
  }
}

// ---- pack recovery -----------------------------------------------------------

std::string PackMarker(const std::string& dbfPath) { return dbfPath + ".pack-commit"; }

// A pack swaps two files; a marker written between "both new files are
// complete" and "both renamed" lets the next open finish the swap.
void FinishInterruptedPack(const std::string& dbfPath) {
  std::string marker = PackMarker(dbfPath);
  std::string memoPath = FindSibling(dbfPath, "FPT");
  if (memoPath.empty()) memoPath = SiblingPath(dbfPath, "FPT");
  if (FileExists(marker)) {
    if (FileExists(memoPath + ".pack-new")) ReplaceFile(memoPath + ".pack-new", memoPath);
    if (FileExists(dbfPath + ".pack-new")) ReplaceFile(dbfPath + ".pack-new", dbfPath);
    RemoveFile(marker);
    SyncFolder(FolderOf(dbfPath));
  } else {
    RemoveFile(memoPath + ".pack-new");
    RemoveFile(dbfPath + ".pack-new");
  }
}

// ---- protection ----------------------------------------------------------------------

bool Sealed(const WorkArea& a) { return !a.keyPath.empty(); }

void RequireKey(WorkArea& a) {
  if (!a.keyError.empty()) Fail(XB_ERR_CORRUPT, a.keyError);
  if (!a.unlocked)
    Fail(XB_ERR_PASSWORD, TableName(a) + ": the table is protected by a password, and the password given is "
                                         "missing or wrong");
}

// What a sealed text of field F is bound to: the field's name and the
// record's other fields (not the deletion flag, not the memo pointers).
std::string Binding(const WorkArea& a, const DbfField& f, const char* rec) {
  std::string b = f.name;
  b.push_back('\0');
  for (const auto& g : a.dbf.Fields())
    if (!g.IsMemo()) b.append(rec + g.offset, static_cast<std::size_t>(g.width));
  return b;
}

// The text of a stored memo of the current record.
std::string Unseal(WorkArea& a, const DbfField& f, std::string_view stored) {
  if (stored.empty()) return {};
  if (!Sealed(a)) {
    // Never hand out sealed bytes as text.
    if (IsSealed(stored))
      Fail(XB_ERR_CORRUPT, TableName(a) + ": record " + std::to_string(a.recno) +
                               " holds a protected text, but the table's key file " +
                               BaseName(SiblingPath(a.dbfPath, "SLT")) + " is missing");
    return std::string(stored);
  }
  RequireKey(a);
  std::string text;
  if (!OpenText(a.key, stored, Binding(a, f, a.rec.data()), text))
    Fail(XB_ERR_CORRUPT, TableName(a) + ": the text of record " + std::to_string(a.recno) +
                             " is damaged (its seal does not open with the right password)");
  return text;
}

// Keys derived in this run, so that the copies of one diary (its backups
// share its key file) cost one derivation, not one each.
struct DerivedKey {
  std::string password;
  KeyFile file;
  SealKey key;
};
std::vector<DerivedKey>& DerivedKeys() {
  static std::vector<DerivedKey> keys;
  return keys;
}

void RememberKey(std::string_view password, const KeyFile& file, const SealKey& key) {
  auto& keys = DerivedKeys();
  if (keys.size() >= 4) keys.erase(keys.begin());
  keys.push_back({std::string(password), file, key});
}

bool UnlockWith(WorkArea& a, std::string_view password, SealKey& key) {
  if (password.empty()) return false;
  for (const auto& d : DerivedKeys())
    if (d.password == password && d.file.Bytes() == a.keyFile.Bytes()) {
      key = d.key;
      return true;
    }
  if (!a.keyFile.Unlock(password, key)) return false;
  RememberKey(password, a.keyFile, key);
  return true;
}

void UnlockArea(WorkArea& a) {
  a.unlocked = false;
  if (!Sealed(a) || !a.keyError.empty() || E().password.empty()) return;
  a.unlocked = UnlockWith(a, E().password, a.key);
}

void LoadKey(WorkArea& a) {
  a.keyPath = FindSibling(a.dbfPath, "SLT");
  a.keyError.clear();
  a.unlocked = false;
  if (a.keyPath.empty()) return;
  try {
    File f;
    f.Open(a.keyPath, File::Mode::Read);
    std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(f.Size(), 4096)), '\0');
    bytes.resize(f.ReadAt(0, bytes.data(), bytes.size()));
    a.keyFile = KeyFile::Parse(bytes, BaseName(a.keyPath));
  } catch (const XbFailure& e) {
    a.keyError = e.what();
    AddDamage(a, a.keyError);
    return;
  }
  UnlockArea(a);
}

// In a protected table a record's texts are bound to its other fields:
// when those change and a text stays, it is sealed again for them. A text
// whose seal is already broken is left as it is.
void ResealKeptMemos(WorkArea& a, const std::string& oldRec, std::string& newRec,
                     std::vector<std::uint32_t>& replaced) {
  if (!Sealed(a) || !a.memo) return;
  for (const auto& f : a.dbf.Fields()) {
    if (!f.IsMemo()) continue;
    std::uint32_t block = DbfFile::MemoBlock(f, newRec.data());
    if (block == 0 || block == 0xFFFFFFFFu || block != DbfFile::MemoBlock(f, oldRec.data())) continue;
    const std::string was = Binding(a, f, oldRec.data());
    const std::string now = Binding(a, f, newRec.data());
    if (was == now) continue;
    RequireKey(a);
    std::string stored;
    try {
      stored = a.memo->Read(block);
    } catch (const XbFailure& e) {
      if (e.code() != XB_ERR_CORRUPT) throw;
      continue;
    }
    std::string text;
    if (!OpenText(a.key, stored, was, text)) continue;
    DbfFile::SetMemoBlock(f, newRec.data(), a.memo->Write(SealText(a.key, text, now)));
    replaced.push_back(block);
  }
}

// ---- password change recovery ------------------------------------------------------

std::string RekeyMarker(const std::string& dbfPath) { return dbfPath + ".rekey-commit"; }
constexpr const char* kRekeyNew = ".rekey-new";

std::string MemoPathOf(const std::string& dbfPath) {
  std::string memoPath = FindSibling(dbfPath, "FPT");
  return memoPath.empty() ? SiblingPath(dbfPath, "FPT") : memoPath;
}

std::string KeyPathOf(const std::string& dbfPath) {
  std::string keyPath = FindSibling(dbfPath, "SLT");
  return keyPath.empty() ? SiblingPath(dbfPath, "SLT") : keyPath;
}

void RekeyStep(const char* step) {
  if (E().rekeyStep) E().rekeyStep(step);
}

// A password change swaps the memo file, the table and the key file; its
// marker, written once all new files are complete, says whether the new
// table is protected and lets the next open finish the swap. Without the
// marker the old files are whole and the new ones are thrown away.
void FinishInterruptedRekey(const std::string& dbfPath) {
  const std::string marker = RekeyMarker(dbfPath);
  const std::string memoPath = MemoPathOf(dbfPath);
  const std::string keyPath = KeyPathOf(dbfPath);
  if (FileExists(marker)) {
    File m;
    m.Open(marker, File::Mode::Read);
    char word[6] = {};
    const bool sealed = m.ReadAt(0, word, sizeof word) == sizeof word && std::memcmp(word, "sealed", 6) == 0;
    m.Close();
    if (FileExists(memoPath + kRekeyNew)) ReplaceFile(memoPath + kRekeyNew, memoPath);
    if (FileExists(dbfPath + kRekeyNew)) ReplaceFile(dbfPath + kRekeyNew, dbfPath);
    if (sealed) {
      if (FileExists(keyPath + kRekeyNew)) ReplaceFile(keyPath + kRekeyNew, keyPath);
    } else {
      RemoveFile(keyPath);
    }
    RemoveFile(marker);
  } else {
    RemoveFile(memoPath + kRekeyNew);
    RemoveFile(dbfPath + kRekeyNew);
    RemoveFile(keyPath + kRekeyNew);
  }
  // Files a kill caught while they were being written beside their names.
  RemoveFile(memoPath + kRekeyNew + ".new");
  RemoveFile(marker + ".new");
  SyncFolder(FolderOf(dbfPath));
}

// ---- opening -------------------------------------------------------------------

std::string DefaultAlias(const std::string& path) {
  std::string stem = BaseName(StemPath(path));
  for (std::size_t i = 0; i < stem.size() && i < 8; ++i)
    if (stem[i] == '~' || stem[i] == '-' || stem[i] == ' ') stem[i] = '_';
  return UpperAscii(stem);
}

int FindAlias(std::string_view alias) {
  auto& areas = E().areas;
  for (std::size_t i = 0; i < areas.size(); ++i) {
    if (areas[i] && areas[i]->alias.size() == alias.size() &&
        ::strncasecmp(areas[i]->alias.data(), alias.data(), alias.size()) == 0)
      return static_cast<int>(i) + 1;
  }
  return 0;
}

int FreeArea() {
  auto& areas = E().areas;
  for (std::size_t i = 0; i < areas.size(); ++i)
    if (!areas[i]) return static_cast<int>(i) + 1;
  if (static_cast<int>(areas.size()) >= kMaxAreas) Fail(XB_ERR_NO_AREA, "all work areas are in use");
  areas.emplace_back();
  return static_cast<int>(areas.size());
}

void OpenInto(WorkArea& a, const std::string& path, int mode) {
  a.dbfPath = path;
  a.mode = mode;
  a.writable = mode != XB_MODE_READONLY;
  if (!FileExists(path)) Fail(XB_ERR_OPEN, BaseName(path) + ": the table file does not exist");
  if (FileExists(PackMarker(path)) || FileExists(path + ".pack-new")) {
    if (!a.writable && FileExists(PackMarker(path)))
      Fail(XB_ERR_OPEN, BaseName(path) + ": an interrupted pack must be completed; open the table for writing");
    if (a.writable) FinishInterruptedPack(path);
  }
  if (FileExists(RekeyMarker(path)) || FileExists(path + kRekeyNew) || FileExists(RekeyMarker(path) + ".new")) {
    if (!a.writable && FileExists(RekeyMarker(path)))
      Fail(XB_ERR_OPEN, BaseName(path) + ": an interrupted password change must be completed; open the table for "
                                         "writing");
    if (a.writable) FinishInterruptedRekey(path);
  }
  File f;
  f.Open(path, a.writable ? File::Mode::ReadWrite : File::Mode::Read);
  if (!f.TryLock(mode == XB_MODE_EXCLUSIVE))
    Fail(XB_ERR_LOCKED, BaseName(path) + (mode == XB_MODE_EXCLUSIVE
                                              ? ": the table is in use by another program and cannot be opened exclusively"
                                              : ": the table is opened exclusively by another program"));
  a.dbf.Adopt(std::move(f));
  a.damage = a.dbf.Damage();
  bool hasMemo = false;
  for (const auto& fld : a.dbf.Fields()) hasMemo = hasMemo || fld.IsMemo();
  if (hasMemo) {
    a.memoPath = FindSibling(path, "FPT");
    if (a.memoPath.empty()) {
      std::string dbt = FindSibling(path, "DBT");
      Fail(XB_ERR_OPEN, BaseName(path) + ": the memo file " + BaseName(SiblingPath(path, "FPT")) +
                            (dbt.empty() ? " is missing" : " is missing (a dBASE .DBT memo is not supported)"));
    }
    a.memo = std::make_unique<FptMemo>();
    a.memo->Open(a.memoPath, a.writable);
  }
  LoadKey(a);
  OpenProductionIndex(a);
  RefreshOrders(a);
  a.order = 0;
  SetEof(a);
}

// ---- navigation ------------------------------------------------------------------

void ResyncPos(WorkArea& a, CdxTag& t) {
  if (a.posTag == &t && a.posGeneration == t.generation) return;
  if (a.eof) {
    a.pos = t.End();
  } else if (t.evaluable) {
    std::string key;
    if (t.KeyOf(a.rec.data(), key)) a.pos = t.Locate(key, static_cast<std::uint32_t>(a.recno));
    else a.pos = t.End();
  } else {
    a.pos = t.Begin();
    while (!t.AtEnd(a.pos) && static_cast<long>(t.At(a.pos).recno) != a.recno) t.Next(a.pos);
  }
  a.posTag = &t;
  a.posGeneration = t.generation;
}

// From the tag position forward (or backward), the first visible record.
bool SettleTag(WorkArea& a, CdxTag& t, bool forward) {
  std::string buf(static_cast<std::size_t>(a.dbf.RecordLength()), ' ');
  while (!t.AtEnd(a.pos)) {
    long r = static_cast<long>(t.At(a.pos).recno);
    if (r >= 1 && r <= Count(a)) {
      a.dbf.ReadRecord(r, buf.data());
      if (Visible(a, buf.data())) {
        a.rec = buf;
        a.recno = r;
        a.eof = false;
        a.posTag = &t;
        a.posGeneration = t.generation;
        return true;
      }
    }
    if (forward) {
      t.Next(a.pos);
    } else if (!t.Prev(a.pos)) {
      return false;
    }
  }
  return false;
}

bool SettleNatural(WorkArea& a, long from, int dir) {
  std::string buf(static_cast<std::size_t>(a.dbf.RecordLength()), ' ');
  for (long r = from; r >= 1 && r <= Count(a); r += dir) {
    a.dbf.ReadRecord(r, buf.data());
    if (Visible(a, buf.data())) {
      a.rec = buf;
      a.recno = r;
      a.eof = false;
      return true;
    }
  }
  return false;
}

void GoTopIn(WorkArea& a) {
  a.bof = false;
  CdxTag* t = CurTag(a);
  bool ok;
  if (t) {
    a.pos = t->Begin();
    ok = SettleTag(a, *t, true);
  } else {
    ok = SettleNatural(a, 1, 1);
  }
  if (!ok) {
    SetEof(a);
    a.bof = true;
  }
}

void GoBottomIn(WorkArea& a) {
  a.bof = false;
  CdxTag* t = CurTag(a);
  bool ok;
  if (t) {
    a.pos = t->Last();
    ok = !t->AtEnd(a.pos) && SettleTag(a, *t, false);
  } else {
    ok = SettleNatural(a, Count(a), -1);
  }
  if (!ok) {
    SetEof(a);
    a.bof = true;
  }
}

void SkipOne(WorkArea& a, bool forward) {
  CdxTag* t = CurTag(a);
  if (forward) {
    a.bof = false;
    if (a.eof) return;
    bool ok;
    if (t) {
      ResyncPos(a, *t);
      if (!t->AtEnd(a.pos) && static_cast<long>(t->At(a.pos).recno) == a.recno) t->Next(a.pos);
      ok = SettleTag(a, *t, true);
    } else {
      ok = SettleNatural(a, a.recno + 1, 1);
    }
    if (!ok) SetEof(a);
    return;
  }
  bool ok;
  if (t) {
    ResyncPos(a, *t);
    ok = t->Prev(a.pos) && SettleTag(a, *t, false);
  } else {
    ok = SettleNatural(a, a.eof ? Count(a) : a.recno - 1, -1);
  }
  if (!ok) {
    // Before the first record: stay on the first visible one, with BOF set.
    GoTopIn(a);
    a.bof = true;
  }
}

// ---- memo ---------------------------------------------------------------------------

const DbfField& FieldOf(WorkArea& a, std::string_view name) {
  int i = a.dbf.FieldIndex(name);
  if (i < 0) Fail(XB_ERR_ARG, TableName(a) + ": there is no field " + std::string(name));
  return a.dbf.Fields()[static_cast<std::size_t>(i)];
}

// The memo block the current record names in F; 0 when it names none.
std::uint32_t CurrentMemoBlock(WorkArea& a, const DbfField& f) {
  if (!f.IsMemo()) Fail(XB_ERR_ARG, TableName(a) + ": field " + f.name + " is not a memo field");
  if (a.eof) return 0;
  std::uint32_t block = DbfFile::MemoBlock(f, a.rec.data());
  if (block == 0xFFFFFFFFu)
    Fail(XB_ERR_CORRUPT, TableName(a) + ": record " + std::to_string(a.recno) + " has a damaged memo pointer in " + f.name);
  if (block != 0 && !a.memo) Fail(XB_ERR_OPEN, TableName(a) + ": the memo file is not open");
  return block;
}

std::string_view ViewMemo(WorkArea& a, const DbfField& f, std::string& spill) {
  spill.clear();
  std::uint32_t block = CurrentMemoBlock(a, f);
  return block ? a.memo->View(block, spill) : std::string_view();
}

std::string ReadMemo(WorkArea& a, const DbfField& f) {
  std::uint32_t block = CurrentMemoBlock(a, f);
  return block ? Unseal(a, f, a.memo->Read(block)) : std::string();
}

void WriteMemo(WorkArea& a, const DbfField& f, std::string_view text) {
  CheckWritable(a);
  if (!f.IsMemo()) Fail(XB_ERR_ARG, TableName(a) + ": field " + f.name + " is not a memo field");
  if (a.eof) Fail(XB_ERR_POSITION, TableName(a) + ": there is no current record (end of file)");
  if (!a.memo) Fail(XB_ERR_OPEN, TableName(a) + ": the memo file is not open");
  std::uint32_t old = DbfFile::MemoBlock(f, a.rec.data());
  std::string sealed;
  if (Sealed(a) && !text.empty()) {
    RequireKey(a);
    sealed = SealText(a.key, text, Binding(a, f, a.rec.data()));
    text = sealed;
  }
  // New blocks first; the record points at them only once they are written.
  std::uint32_t block = a.memo->Write(text);
  std::string newRec = a.rec;
  DbfFile::SetMemoBlock(f, newRec.data(), block);
  a.dbf.WriteRecord(a.recno, newRec.data());
  a.rec = std::move(newRec);
  if (old != 0 && old != 0xFFFFFFFFu && old != block) a.memo->Release(old);
}

// Puts the staged memo pointers into NEWREC; returns the blocks they replace.
std::vector<std::uint32_t> ApplyStagedMemos(WorkArea& a, std::string& newRec, const std::string* oldRec) {
  std::vector<std::uint32_t> replaced;
  for (auto& staged : a.stagedMemos) {
    for (const auto& f : a.dbf.Fields()) {
      if (f.offset != staged.offset || !f.IsMemo()) continue;
      if (staged.sealLater) {
        // Sealed now that the fields it is bound to are final.
        staged.block = a.memo->Write(SealText(a.key, staged.text, Binding(a, f, newRec.data())));
        staged.sealLater = false;
        staged.text.clear();
      }
      const std::uint32_t block = staged.block;
      if (oldRec) {
        std::uint32_t old = DbfFile::MemoBlock(f, oldRec->data());
        if (old != 0 && old != 0xFFFFFFFFu && old != block) replaced.push_back(old);
      }
      DbfFile::SetMemoBlock(f, newRec.data(), block);
    }
  }
  return replaced;
}

// ---- pack ---------------------------------------------------------------------------

// Reads the text of record r's memo field f (block, not 0) for copying it
// into new files. A text that cannot be read keeps its record, key and all,
// so that the other entries go on and the day still shows as damaged: false
// then, with r noted in damaged. A damaged block's number would name some
// other text in the new memo file, so rec keeps its digits but the pointer
// is made unreadable as one.
bool ReadMemoToCopy(WorkArea& a, const DbfField& f, std::uint32_t block, long r, std::string& rec, std::string& text,
                    std::vector<long>& damaged) {
  if (block == 0xFFFFFFFFu) {
    damaged.push_back(r);
    return false;
  }
  try {
    text = a.memo->Read(block);
  } catch (const XbFailure& e) {
    if (e.code() != XB_ERR_CORRUPT) throw;
    rec[static_cast<std::size_t>(f.offset)] = '?';
    damaged.push_back(r);
    return false;
  }
  return true;
}

void PackIn(WorkArea& a) {
  CheckWritable(a);
  FlushIndexes(a);
  if (a.memo) a.memo->Sync();
  a.dbf.Sync();
  Gauge(0);
  const std::string dbfNew = a.dbfPath + ".pack-new";
  const std::string memoNew = a.memo ? a.memoPath + ".pack-new" : "";
  std::vector<const DbfField*> memoFields;
  for (const auto& f : a.dbf.Fields())
    if (f.IsMemo()) memoFields.push_back(&f);

  File out;
  File memoOut;
  std::vector<long> damaged;   // records kept whose memo cannot be read
  try {
    out.Open(dbfNew, File::Mode::CreateNew);
    if (!out.TryLock(true)) Fail(XB_ERR_LOCKED, BaseName(dbfNew) + ": cannot be locked");
    int bs = a.memo ? a.memo->BlockSize() : 64;
    std::uint64_t memoEnd = 0;
    if (a.memo) {
      memoOut.Open(memoNew, File::Mode::CreateNew);
      std::string h(512, '\0');
      memoOut.WriteAt(0, h.data(), h.size());
      memoEnd = (512 + bs - 1) / bs * static_cast<std::uint64_t>(bs);
    }
    const int rl = a.dbf.RecordLength();
    const long n = Count(a);
    std::string recBuf(static_cast<std::size_t>(rl), ' ');
    std::string outBuf;
    long kept = 0;
    std::uint64_t hdrLen = static_cast<std::uint64_t>(a.dbf.HeaderLength());
    std::uint64_t written = hdrLen;
    int lastPct = -1;
    for (long r = 1; r <= n; ++r) {
      a.dbf.ReadRecord(r, recBuf.data());
      if (recBuf[0] == '*') continue;
      for (const DbfField* f : memoFields) {
        std::uint32_t block = DbfFile::MemoBlock(*f, recBuf.data());
        std::uint32_t nb = 0;
        if (block != 0) {
          std::string text;
          if (!ReadMemoToCopy(a, *f, block, r, recBuf, text, damaged)) continue;
          std::string bytes(8 + text.size(), '\0');
          unsigned char* p = reinterpret_cast<unsigned char*>(bytes.data());
          p[3] = 1;
          std::uint32_t len = static_cast<std::uint32_t>(text.size());
          p[4] = static_cast<unsigned char>(len >> 24);
          p[5] = static_cast<unsigned char>(len >> 16);
          p[6] = static_cast<unsigned char>(len >> 8);
          p[7] = static_cast<unsigned char>(len);
          std::memcpy(bytes.data() + 8, text.data(), text.size());
          bytes.resize((bytes.size() + bs - 1) / bs * static_cast<std::size_t>(bs), '\0');
          nb = static_cast<std::uint32_t>(memoEnd / bs);
          memoOut.WriteAt(memoEnd, bytes.data(), bytes.size());
          memoEnd += bytes.size();
        }
        DbfFile::SetMemoBlock(*f, recBuf.data(), nb);
      }
      outBuf += recBuf;
      ++kept;
      if (outBuf.size() >= (1u << 20)) {
        out.WriteAt(written, outBuf.data(), outBuf.size());
        written += outBuf.size();
        outBuf.clear();
      }
      int pct = static_cast<int>(90 * r / std::max(1L, n));
      if (pct != lastPct) Gauge(pct), lastPct = pct;
    }
    outBuf.push_back('\x1A');
    out.WriteAt(written, outBuf.data(), outBuf.size());
    std::string header = DbfFile::HeaderBytes(a.dbf.Version(), a.dbf.Flags(), a.dbf.CodePage(), a.dbf.Fields(),
                                              kept, a.dbf.ExtraArea());
    out.WriteAt(0, header.data(), header.size());
    if (a.memo) {
      unsigned char nf[4];
      std::uint32_t next = static_cast<std::uint32_t>(memoEnd / bs);
      nf[0] = static_cast<unsigned char>(next >> 24);
      nf[1] = static_cast<unsigned char>(next >> 16);
      nf[2] = static_cast<unsigned char>(next >> 8);
      nf[3] = static_cast<unsigned char>(next);
      unsigned char bsz[2] = {static_cast<unsigned char>(bs >> 8), static_cast<unsigned char>(bs & 0xFF)};
      memoOut.WriteAt(0, nf, 4);
      memoOut.WriteAt(6, bsz, 2);
      memoOut.Sync();
    }
    out.Sync();
  } catch (...) {
    out.Close();
    memoOut.Close();
    RemoveFile(dbfNew);
    if (!memoNew.empty()) RemoveFile(memoNew);
    throw;
  }
  // Both new files are complete: mark the swap, then rename both.
  const std::string marker = PackMarker(a.dbfPath);
  {
    File m;
    m.Open(marker, File::Mode::CreateNew);
    m.Sync();
  }
  SyncFolder(FolderOf(a.dbfPath));
  if (a.memo) {
    memoOut.Close();
    a.memo->Close();
    ReplaceFile(memoNew, a.memoPath);
  }
  ReplaceFile(dbfNew, a.dbfPath);
  RemoveFile(marker);
  SyncFolder(FolderOf(a.dbfPath));
  a.dbf.Adopt(std::move(out));
  if (a.memo) a.memo->Open(a.memoPath, true);
  // Keys now point at new record numbers: rebuild every tag.
  for (auto& idx : a.indexes) {
    for (auto& t : idx->Tags()) t->Assign(ExpectedEntries(a, *t, false));
  }
  a.posTag = nullptr;
  a.damage.clear();
  for (auto& idx : a.indexes) idx->WriteNew(idx->Path());
  NoteDamagedRecords(a, damaged, "kept whose memo text cannot be read", "old record numbers");
  Gauge(100);
  GoTopIn(a);
}

// Re-writes every record's texts from the table's present state (plain,
// or protected and open) to NEWPASSWORD (empty: plain) into new files
// beside the old ones, then swaps them in under a marker (see
// FinishInterruptedRekey). Record numbers and keys do not change, so the
// index stays as it is. A text that cannot be read is copied as it is and
// reported: it is never turned into garbage, and it stays unreadable.
void RekeyIn(WorkArea& a, std::string_view newPassword) {
  CheckWritable(a);
  if (Sealed(a)) RequireKey(a);
  if (!a.memo) Fail(XB_ERR_UNSUPPORTED, TableName(a) + ": a table without memo fields has no texts to protect");
  for (const auto& s : a.stagedMemos)
    if (s.sealLater) Fail(XB_ERR_POSITION, TableName(a) + ": a record write is pending");
  FlushIndexes(a);
  a.memo->Sync();
  a.dbf.Sync();
  Gauge(0);
  const bool toSealed = !newPassword.empty();
  SealKey newKey{};
  KeyFile newKeyFile;
  if (toSealed) {
    // A key file made earlier in this run for the same password serves
    // again (the diary and its backups then share one).
    const auto& keys = DerivedKeys();
    const auto known =
        std::find_if(keys.begin(), keys.end(), [&](const DerivedKey& d) { return d.password == newPassword; });
    if (known != keys.end()) {
      newKeyFile = known->file;
      newKey = known->key;
    } else {
      newKeyFile = KeyFile::Create(newPassword, newKey);
      RememberKey(newPassword, newKeyFile, newKey);
    }
  }
  const std::string keyPath = Sealed(a) ? a.keyPath : KeyPathOf(a.dbfPath);
  const std::string dbfNew = a.dbfPath + kRekeyNew;
  const std::string memoNew = a.memoPath + kRekeyNew;
  const std::string keyNew = keyPath + kRekeyNew;
  std::vector<const DbfField*> memoFields;
  for (const auto& f : a.dbf.Fields())
    if (f.IsMemo()) memoFields.push_back(&f);

  File out;
  FptMemo memoOut;
  std::vector<long> damaged;
  try {
    out.Open(dbfNew, File::Mode::CreateNew);
    if (!out.TryLock(true)) Fail(XB_ERR_LOCKED, BaseName(dbfNew) + ": cannot be locked");
    FptMemo::Create(memoNew, a.memo->BlockSize());
    memoOut.Open(memoNew, true);
    const int rl = a.dbf.RecordLength();
    const long n = Count(a);
    std::string rec(static_cast<std::size_t>(rl), ' ');
    std::string outBuf;
    std::uint64_t written = static_cast<std::uint64_t>(a.dbf.HeaderLength());
    int lastPct = -1;
    for (long r = 1; r <= n; ++r) {
      a.dbf.ReadRecord(r, rec.data());
      for (const DbfField* f : memoFields) {
        std::uint32_t block = DbfFile::MemoBlock(*f, rec.data());
        if (block == 0) continue;
        std::string stored;
        if (!ReadMemoToCopy(a, *f, block, r, rec, stored, damaged)) continue;
        const std::string binding = Binding(a, *f, rec.data());
        std::string text;
        bool readable = true;
        if (Sealed(a)) readable = OpenText(a.key, stored, binding, text);
        else if (IsSealed(stored)) readable = false;
        else text = std::move(stored);
        std::string data;
        if (!readable) {
          damaged.push_back(r);
          data = std::move(stored);
        } else {
          data = toSealed ? SealText(newKey, text, binding) : std::move(text);
        }
        DbfFile::SetMemoBlock(*f, rec.data(), memoOut.Write(data));
      }
      outBuf += rec;
      if (outBuf.size() >= (1u << 20)) {
        out.WriteAt(written, outBuf.data(), outBuf.size());
        written += outBuf.size();
        outBuf.clear();
      }
      int pct = static_cast<int>(95 * r / std::max(1L, n));
      if (pct != lastPct) Gauge(pct), lastPct = pct;
    }
    outBuf.push_back('\x1A');
    out.WriteAt(written, outBuf.data(), outBuf.size());
    std::string header = DbfFile::HeaderBytes(a.dbf.Version(), a.dbf.Flags(), a.dbf.CodePage(), a.dbf.Fields(), n,
                                              a.dbf.ExtraArea());
    out.WriteAt(0, header.data(), header.size());
    memoOut.Sync();
    out.Sync();
    if (toSealed) WriteNewFile(keyNew, newKeyFile.Bytes());
  } catch (...) {
    out.Close();
    memoOut.Close();
    RemoveFile(dbfNew);
    RemoveFile(memoNew);
    RemoveFile(keyNew);
    throw;
  }
  RekeyStep("staged");
  // Every new file is complete: the marker commits the change.
  ReplaceWithNewFile(RekeyMarker(a.dbfPath), toSealed ? "sealed" : "plain");
  RekeyStep("marked");
  memoOut.Close();
  a.memo->Close();
  ReplaceFile(memoNew, a.memoPath);
  RekeyStep("memo");
  ReplaceFile(dbfNew, a.dbfPath);
  RekeyStep("table");
  if (toSealed) ReplaceFile(keyNew, keyPath);
  else RemoveFile(keyPath);
  RekeyStep("key");
  RemoveFile(RekeyMarker(a.dbfPath));
  SyncFolder(FolderOf(a.dbfPath));
  a.dbf.Adopt(std::move(out));
  a.memo->Open(a.memoPath, true);
  a.keyPath = toSealed ? keyPath : std::string();
  a.keyFile = newKeyFile;
  a.key = newKey;
  a.keyError.clear();
  a.unlocked = toSealed;
  E().password = std::string(newPassword);
  NoteDamagedRecords(a, damaged, "whose text cannot be read were kept as they were", "records");
  a.posTag = nullptr;
  if (!a.eof && a.recno >= 1 && a.recno <= Count(a)) Load(a, a.recno);
  else SetEof(a);
  Gauge(100);
}

int BuildTag(WorkArea& a, std::string_view file, std::string_view tagName, std::string_view expr, int option,
             int descending, std::string_view condition) {
  if (!a.writable || a.mode == XB_MODE_READONLY) Fail(XB_ERR_READONLY, TableName(a) + ": the table is open read-only");
  bool production = file.empty();
  std::string path;
  if (production) {
    path = ProductionPath(a);
  } else {
    path = std::string(file);
    if (BaseName(path).find('.') == std::string::npos) path += ".cdx";
    if (path.find('/') == std::string::npos) path = FolderOf(a.dbfPath) + "/" + path;
  }
  CdxIndex* idx = nullptr;
  for (auto& i : a.indexes)
    if (i->Path() == path) idx = i.get();
  if (!idx) {
    auto fresh = std::make_unique<CdxIndex>();
    bool opened = false;
    if (FileExists(path)) {
      try {
        fresh->Open(path, true, a.dbf.Fields());
        ValidateIndex(a, *fresh);
        opened = true;
      } catch (const XbFailure& e) {
        if (e.code() != XB_ERR_CORRUPT) throw;
        fresh = std::make_unique<CdxIndex>();
      }
    }
    if (!opened) fresh->InitNew(path);
    fresh->SetStructural(production);
    if (production) a.indexes.insert(a.indexes.begin(), std::move(fresh));
    else a.indexes.push_back(std::move(fresh));
    idx = production ? a.indexes.front().get() : a.indexes.back().get();
  }
  std::string err;
  auto tag = CdxIndex::NewTag(std::string(tagName), std::string(expr), std::string(condition), (option & 1) != 0,
                              descending != 0, a.dbf.Fields(), err);
  if (!tag) Fail(XB_ERR_UNSUPPORTED, BaseName(path) + ": " + err);
  // Progress comes in four runs from 0 to 100: reading the keys, sorting
  // them, building the pages, writing the file.
  Gauge(0);
  auto entries = ExpectedEntries(a, *tag, true);
  Gauge(0);
  tag->Assign(std::move(entries));
  Gauge(100);
  Gauge(0);
  auto& tags = idx->Tags();
  std::string name = tag->name;
  auto it = std::find_if(tags.begin(), tags.end(), [&](auto& t) { return t->name == name; });
  if (it != tags.end()) *it = std::move(tag);
  else tags.push_back(std::move(tag));
  a.posTag = nullptr;
  try {
    idx->WriteNew(path);
  } catch (...) {
    // The tag stays usable in memory (the next flush writes it); the
    // caller still learns that the file was not written.
    RefreshOrders(a);
    for (std::size_t i = 0; i < a.orders.size(); ++i)
      if (a.orders[i].index == idx && a.orders[i].tag->name == name) a.order = static_cast<int>(i) + 1;
    throw;
  }
  if (production && !(a.dbf.Flags() & 0x01)) {
    // Only other programs read the flag: a full disk must not undo the build.
    try {
      a.dbf.SetFlags(a.dbf.Flags() | 0x01);
    } catch (const XbFailure& e) {
      if (e.code() != XB_ERR_IO) throw;
    }
  }
  RefreshOrders(a);
  for (std::size_t i = 0; i < a.orders.size(); ++i)
    if (a.orders[i].index == idx && a.orders[i].tag->name == name) a.order = static_cast<int>(i) + 1;
  Gauge(100);
  GoTopIn(a);
  return a.order;
}

void CommitIn(WorkArea& a) {
  if (!a.writable) return;
  FlushIndexes(a);
  // The table's records go to the disk while the memo file is synced.
  a.dbf.StartWriteback();
  if (a.memo) a.memo->Sync();
  a.dbf.Sync();
  // The index is not synced: after a crash it is checked against the table
  // on open and rebuilt when it lags behind, so its pages need no fsync.
  // The update that set them free is durable now; in a protected table
  // the old sealed texts are wiped as well (a removed day stays removed,
  // even for someone who knows the password).
  if (a.memo) a.memo->CommitReleases(Sealed(a));
}

void CloseArea(int n) {
  WorkArea* a = AreaPtr(n);
  if (!a) return;
  std::string error;
  int code = XB_OK;
  if (!a->creating) {
    try {
      CommitIn(*a);
    } catch (const XbFailure& e) {
      code = e.code();
      error = e.what();
    }
  }
  E().areas[static_cast<std::size_t>(n - 1)].reset();
  if (code != XB_OK) SetError(code, error);
}

}  // namespace

// ============================================================================

void xb_SetStringType(int type) { E().stringType = type; }
void xb_ErrorLevel(int level) { E().errorLevel = level; }
std::string xb_Version() { return "Quillbook xBase engine 1.0 (FoxPro 2.x DBF, FPT, CDX)"; }
int xb_Error() { return E().error; }
std::string xb_ErrorText() { return E().errorText; }

int xb_CreateNew(std::string_view path, std::string_view alias, int driver, int fieldCount) {
  return Run(0, [&] {
    if (path.empty()) Fail(XB_ERR_ARG, "no table path given");
    if (driver != XB_DRIVER_CDX && driver != XB_DRIVER_NTX && driver != XB_DRIVER_OWN)
      Fail(XB_ERR_ARG, "unknown driver " + std::to_string(driver));
    std::string al = alias.empty() ? DefaultAlias(std::string(path)) : UpperAscii(std::string(alias));
    if (FindAlias(al)) Fail(XB_ERR_EXISTS, "alias " + al + " is already in use");
    int n = FreeArea();
    auto a = std::make_unique<WorkArea>();
    a->creating = true;
    a->alias = al;
    a->dbfPath = std::string(path);
    a->expectedFields = fieldCount;
    E().areas[static_cast<std::size_t>(n - 1)] = std::move(a);
    E().selected = n;
    return n;
  });
}

int xb_CreateField(std::string_view name, char type, int width, int decimals) {
  return Run(0, [&] {
    WorkArea* a = AreaPtr(E().selected);
    if (!a || !a->creating) Fail(XB_ERR_NO_TABLE, "no table structure is being created in this work area");
    std::string n = UpperAscii(std::string(name));
    bool okName = !n.empty() && n.size() <= 10 && std::isalpha(static_cast<unsigned char>(n[0]));
    for (char c : n) okName = okName && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
    if (!okName) Fail(XB_ERR_ARG, "field name \"" + std::string(name) + "\" is not valid (1-10 letters, digits, _)");
    for (const auto& f : a->newFields)
      if (f.name == n) Fail(XB_ERR_ARG, "field " + n + " is defined twice");
    if (a->expectedFields > 0 && static_cast<int>(a->newFields.size()) >= a->expectedFields)
      Fail(XB_ERR_ARG, "more fields than the " + std::to_string(a->expectedFields) + " announced");
    DbfField f;
    f.name = n;
    f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(type)));
    f.decimals = 0;
    switch (f.type) {
      case 'C':
        if (width < 1 || width > 254) Fail(XB_ERR_ARG, "field " + n + ": width must be 1 to 254");
        f.width = width;
        break;
      case 'M': f.width = 10; break;
      case 'D': f.width = 8; break;
      case 'L': f.width = 1; break;
      case 'N':
        if (width < 1 || width > 20 || decimals < 0 || (decimals > 0 && decimals > width - 2))
          Fail(XB_ERR_ARG, "field " + n + ": bad numeric width or decimals");
        f.width = width;
        f.decimals = decimals;
        break;
      default: Fail(XB_ERR_ARG, "field " + n + ": type " + std::string(1, type) + " is not supported");
    }
    a->newFields.push_back(f);
    return 1;
  });
}

int xb_CreateExec() {
  return Run(0, [&] {
    WorkArea* a = AreaPtr(E().selected);
    if (!a || !a->creating) Fail(XB_ERR_NO_TABLE, "no table structure is being created in this work area");
    if (a->newFields.empty()) Fail(XB_ERR_ARG, "the table has no fields");
    int offset = 1;
    bool memo = false;
    for (auto& f : a->newFields) {
      f.offset = offset;
      offset += f.width;
      memo = memo || f.IsMemo();
    }
    if (offset > 65535) Fail(XB_ERR_ARG, "the record is too long");
    std::string path = a->dbfPath;
    // Never write over an existing table: that would throw its records away.
    if (FileExists(path)) Fail(XB_ERR_EXISTS, BaseName(path) + ": the table already exists");
    // The memo file first, so that the table never exists without it.
    if (memo) {
      std::string memoPath = FindSibling(path, "FPT");
      if (memoPath.empty()) memoPath = SiblingPath(path, "FPT");
      FptMemo::Create(memoPath, E().memoBlockSize);
    }
    DbfFile::Create(path, a->newFields);
    WorkArea fresh;
    auto opened = std::make_unique<WorkArea>();
    opened->alias = a->alias;
    OpenInto(*opened, path, XB_MODE_EXCLUSIVE);
    E().areas[static_cast<std::size_t>(E().selected - 1)] = std::move(opened);
    return 1;
  });
}

void xb_Close() {
  Run(0, [&] {
    CloseArea(E().selected);
    return 1;
  });
}

void xb_CloseAll() {
  Run(0, [&] {
    for (int i = 1; i <= static_cast<int>(E().areas.size()); ++i) CloseArea(i);
    E().selected = 0;
    return 1;
  });
}

int xb_WorkArea(std::string_view alias) { return FindAlias(alias); }

int xb_Use(std::string_view path, std::string_view alias, int mode, int driver) {
  return Run(0, [&] {
    if (mode < 0 || mode > 2) Fail(XB_ERR_ARG, "unknown open mode " + std::to_string(mode));
    if (driver != XB_DRIVER_CDX && driver != XB_DRIVER_NTX && driver != XB_DRIVER_OWN)
      Fail(XB_ERR_ARG, "unknown driver " + std::to_string(driver));
    std::string p(path);
    std::string al = alias.empty() ? DefaultAlias(p) : UpperAscii(std::string(alias));
    if (alias.empty() && FindAlias(al)) {
      std::string base = al.substr(0, 8);
      for (int i = 1; FindAlias(al); ++i) al = base + "_" + std::to_string(i);
    }
    if (FindAlias(al)) Fail(XB_ERR_EXISTS, "alias " + al + " is already in use");
    auto a = std::make_unique<WorkArea>();
    a->alias = al;
    OpenInto(*a, p, mode);
    int n = FreeArea();
    E().areas[static_cast<std::size_t>(n - 1)] = std::move(a);
    E().selected = n;
    GoTopIn(*AreaPtr(n));
    return n;
  });
}

int xb_Select(int area) {
  int prev = E().selected;
  E().selected = area < 0 ? 0 : area;
  return prev;
}

int xb_Selected() { return E().selected; }

std::string xb_Alias() {
  WorkArea* a = AreaPtr(E().selected);
  return a ? a->alias : std::string();
}

std::string xb_DbfPath() {
  WorkArea* a = AreaPtr(E().selected);
  return a ? a->dbfPath : std::string();
}

int xb_FieldCount() {
  return Run(0, [&] { return static_cast<int>(Cur().dbf.Fields().size()); });
}

namespace {
const DbfField* FieldAt(int index) {
  WorkArea& a = Cur();
  if (index < 1 || index > static_cast<int>(a.dbf.Fields().size()))
    Fail(XB_ERR_ARG, TableName(a) + ": there is no field number " + std::to_string(index));
  return &a.dbf.Fields()[static_cast<std::size_t>(index - 1)];
}
}  // namespace

std::string xb_FieldName(int index) {
  return Run(std::string(), [&] { return FieldAt(index)->name; });
}
char xb_FieldType(int index) {
  return Run('\0', [&] { return FieldAt(index)->type; });
}
int xb_FieldWidth(int index) {
  return Run(0, [&] { return FieldAt(index)->width; });
}
int xb_FieldDecimals(int index) {
  return Run(0, [&] { return FieldAt(index)->decimals; });
}
int xb_FieldOffset(int index) {
  return Run(0, [&] { return FieldAt(index)->offset; });
}
int xb_FieldIndex(std::string_view name) {
  return Run(0, [&] { return Cur().dbf.FieldIndex(name) + 1; });
}

int xb_TagArea(std::string_view tag) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    for (std::size_t i = 0; i < a.orders.size(); ++i)
      if (a.orders[i].tag->name.size() == tag.size() &&
          ::strncasecmp(a.orders[i].tag->name.data(), tag.data(), tag.size()) == 0)
        return static_cast<int>(i) + 1;
    return 0;
  });
}

int xb_SetOrder(int order) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    int prev = a.order;
    if (order >= 0 && order <= static_cast<int>(a.orders.size()) && order != a.order) {
      a.order = order;
      a.posTag = nullptr;
    }
    return prev;
  });
}

int xb_IndexOrd() {
  return Run(0, [&] { return Cur().order; });
}

std::vector<std::string> xb_IndexList() {
  return Run(std::vector<std::string>(), [&] {
    std::vector<std::string> names;
    for (auto& o : Cur().orders) names.push_back(o.tag->name);
    return names;
  });
}

std::string xb_IndexKey(int order) {
  return Run(std::string(), [&] {
    WorkArea& a = Cur();
    if (order < 1 || order > static_cast<int>(a.orders.size())) return std::string();
    return a.orders[static_cast<std::size_t>(order - 1)].tag->keyText;
  });
}

int xb_IndexTag(std::string_view file, std::string_view tag, std::string_view expr, int option, int descending,
                std::string_view condition) {
  return Run(0, [&] { return BuildTag(Cur(), file, tag, expr, option, descending, condition); });
}

void xb_CloseIndexes() {
  Run(0, [&] {
    WorkArea& a = Cur();
    std::string err;
    int code = XB_OK;
    try {
      CommitIn(a);
    } catch (const XbFailure& e) {
      code = e.code();
      err = e.what();
    }
    a.indexes.clear();
    a.orders.clear();
    a.order = 0;
    a.posTag = nullptr;
    if (code != XB_OK) Fail(code, err);
    return 1;
  });
}

int xb_IndexOpen(std::string_view path) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    std::string p(path);
    if (p.find('/') == std::string::npos) p = FolderOf(a.dbfPath) + "/" + p;
    if (!FileExists(p)) {
      std::string found = FindFileAnyCase(FolderOf(p), BaseName(p));
      if (found.empty()) Fail(XB_ERR_OPEN, BaseName(p) + ": the index file does not exist");
      p = found;
    }
    for (std::size_t i = 0; i < a.orders.size(); ++i)
      if (a.orders[i].index->Path() == p) {
        a.order = static_cast<int>(i) + 1;
        a.posTag = nullptr;
        return a.order;
      }
    auto idx = OpenIndex(a, p);
    bool production = ::strcasecmp(BaseName(StemPath(p)).c_str(), BaseName(StemPath(a.dbfPath)).c_str()) == 0;
    idx->SetStructural(production);
    CdxIndex* raw = idx.get();
    if (production) a.indexes.insert(a.indexes.begin(), std::move(idx));
    else a.indexes.push_back(std::move(idx));
    RefreshOrders(a);
    for (std::size_t i = 0; i < a.orders.size(); ++i)
      if (a.orders[i].index == raw) {
        a.order = static_cast<int>(i) + 1;
        break;
      }
    GoTopIn(a);
    return a.order;
  });
}

int xb_Reindex() {
  return Run(0, [&] {
    WorkArea& a = Cur();
    CheckWritable(a);
    for (auto& idx : a.indexes) {
      for (auto& t : idx->Tags()) t->Assign(ExpectedEntries(a, *t, true));
      idx->WriteNew(idx->Path());
    }
    a.posTag = nullptr;
    GoTopIn(a);
    return 1;
  });
}

int xb_Seek(std::string_view key) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    CdxTag* t = CurTag(a);
    if (!t) Fail(XB_ERR_ARG, TableName(a) + ": seek needs an index order (order 0 is record order)");
    std::string prefix(key);
    bool possible = true;
    if (static_cast<int>(prefix.size()) > t->keyLen) {
      for (std::size_t i = static_cast<std::size_t>(t->keyLen); i < prefix.size(); ++i)
        possible = possible && prefix[i] == t->pad;
      prefix.resize(static_cast<std::size_t>(t->keyLen));
    }
    if (E().exact) prefix.resize(static_cast<std::size_t>(t->keyLen), t->pad);
    a.bof = false;
    a.pos = t->LowerBoundPrefix(prefix);
    if (!possible && static_cast<unsigned char>(key[prefix.size()]) > static_cast<unsigned char>(t->pad)) {
      // The longer search key sorts after every key equal to its first part.
      while (!t->AtEnd(a.pos) && t->At(a.pos).key.compare(0, prefix.size(), prefix) == 0) t->Next(a.pos);
    }
    std::string buf(static_cast<std::size_t>(a.dbf.RecordLength()), ' ');
    auto matches = [&](const CdxEntry& e) { return e.key.compare(0, prefix.size(), prefix) == 0; };
    while (possible && !t->AtEnd(a.pos) && matches(t->At(a.pos))) {
      long r = static_cast<long>(t->At(a.pos).recno);
      if (r >= 1 && r <= Count(a)) {
        a.dbf.ReadRecord(r, buf.data());
        if (Visible(a, buf.data())) {
          a.rec = buf;
          a.recno = r;
          a.eof = false;
          a.posTag = t;
          a.posGeneration = t->generation;
          return 1;
        }
      }
      t->Next(a.pos);
    }
    if (E().softSeek && SettleTag(a, *t, true)) return 0;
    SetEof(a);
    return 0;
  });
}

int xb_GoTop() {
  return Run(0, [&] {
    GoTopIn(Cur());
    return 1;
  });
}

int xb_GoBottom() {
  return Run(0, [&] {
    GoBottomIn(Cur());
    return 1;
  });
}

int xb_Skip(int count) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    if (count == 0) {
      if (!a.eof) Load(a, a.recno);
      return 1;
    }
    bool forward = count > 0;
    for (int i = 0; i < (forward ? count : -count); ++i) {
      SkipOne(a, forward);
      if ((forward && a.eof) || (!forward && a.bof)) break;
    }
    return 1;
  });
}

int xb_Go(long recno) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    a.bof = false;
    a.posTag = nullptr;
    if (recno < 1 || recno > Count(a)) {
      SetEof(a);
      return 0;
    }
    Load(a, recno);
    return 1;
  });
}

bool xb_Bof() {
  return Run(true, [&] { return Cur().bof; });
}
bool xb_Eof() {
  return Run(true, [&] { return Cur().eof; });
}
long xb_RecNo() {
  return Run(0L, [&] { return Cur().recno; });
}
long xb_RecCount() {
  return Run(0L, [&] { return Count(Cur()); });
}
int xb_RecSize() {
  return Run(0, [&] { return Cur().dbf.RecordLength(); });
}

int xb_GetRecord(char* buf) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    if (!buf) Fail(XB_ERR_ARG, "no record buffer given");
    std::memcpy(buf, a.rec.data(), a.rec.size());
    return a.eof ? 0 : 1;
  });
}

int xb_PutRecord(const char* buf) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    CheckWritable(a);
    if (!buf) Fail(XB_ERR_ARG, "no record buffer given");
    if (a.eof) Fail(XB_ERR_POSITION, TableName(a) + ": there is no current record (end of file)");
    std::string newRec(buf, a.rec.size());
    newRec[0] = buf[0] == '*' ? '*' : ' ';
    for (const auto& f : a.dbf.Fields())
      if (f.IsMemo()) std::memcpy(newRec.data() + f.offset, a.rec.data() + f.offset, static_cast<std::size_t>(f.width));
    std::vector<std::uint32_t> replaced = ApplyStagedMemos(a, newRec, &a.rec);
    a.stagedMemos.clear();
    ResealKeptMemos(a, a.rec, newRec, replaced);
    WriteRecordAndKeys(a, a.recno, a.rec, newRec);
    a.rec = std::move(newRec);
    for (std::uint32_t old : replaced) a.memo->Release(old);
    return 1;
  });
}

int xb_StageMemo(std::string_view field, std::string_view text) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    CheckWritable(a);
    const DbfField& f = FieldOf(a, field);
    if (!f.IsMemo()) Fail(XB_ERR_ARG, TableName(a) + ": field " + f.name + " is not a memo field");
    if (!a.memo) Fail(XB_ERR_OPEN, TableName(a) + ": the memo file is not open");
    auto& staged = a.stagedMemos;
    staged.erase(std::remove_if(staged.begin(), staged.end(), [&](const auto& s) { return s.offset == f.offset; }),
                 staged.end());
    if (Sealed(a) && !text.empty()) {
      RequireKey(a);
      staged.push_back({f.offset, 0, true, std::string(text)});
    } else {
      staged.push_back({f.offset, a.memo->Write(text), false, {}});
    }
    return 1;
  });
}

int xb_AppendRecord(const char* buf) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    CheckWritable(a);
    if (!buf) Fail(XB_ERR_ARG, "no record buffer given");
    std::string rec(buf, static_cast<std::size_t>(a.dbf.RecordLength()));
    rec[0] = buf[0] == '*' ? '*' : ' ';
    std::string blank(rec.size(), ' ');
    a.dbf.BlankRecord(blank.data());
    for (const auto& f : a.dbf.Fields())
      if (f.IsMemo()) std::memcpy(rec.data() + f.offset, blank.data() + f.offset, static_cast<std::size_t>(f.width));
    ApplyStagedMemos(a, rec, nullptr);
    a.stagedMemos.clear();
    // One write of the whole record beyond the counted ones, then the new
    // count: until the count is on disk the record does not exist.
    AppendRecordAndKeys(a, rec);
    return 1;
  });
}

std::string xb_DamageText() {
  return Run(std::string(), [&] { return Cur().damage; });
}

std::string xb_FieldGet(std::string_view field) {
  return Run(std::string(), [&] {
    WorkArea& a = Cur();
    const DbfField& f = FieldOf(a, field);
    if (f.IsMemo()) return ReadMemo(a, f);
    return std::string(a.rec.data() + f.offset, static_cast<std::size_t>(f.width));
  });
}

int xb_FieldPut(std::string_view field, std::string_view value) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    const DbfField& f = FieldOf(a, field);
    if (f.IsMemo()) {
      WriteMemo(a, f, value);
      return 1;
    }
    CheckWritable(a);
    if (a.eof) Fail(XB_ERR_POSITION, TableName(a) + ": there is no current record (end of file)");
    if (static_cast<int>(value.size()) > f.width)
      Fail(XB_ERR_ARG, TableName(a) + ": \"" + std::string(value) + "\" is longer than field " + f.name + " (" +
                           std::to_string(f.width) + ")");
    std::string newRec = a.rec;
    std::memset(newRec.data() + f.offset, ' ', static_cast<std::size_t>(f.width));
    if (f.type == 'N') std::memcpy(newRec.data() + f.offset + f.width - value.size(), value.data(), value.size());
    else std::memcpy(newRec.data() + f.offset, value.data(), value.size());
    std::vector<std::uint32_t> replaced;
    ResealKeptMemos(a, a.rec, newRec, replaced);
    WriteRecordAndKeys(a, a.recno, a.rec, newRec);
    a.rec = std::move(newRec);
    for (std::uint32_t old : replaced) a.memo->Release(old);
    return 1;
  });
}

char* xb_GetMemo(std::string_view field, int /*flags*/) {
  return Run(static_cast<char*>(nullptr), [&] {
    WorkArea& a = Cur();
    std::string spill;
    const DbfField& f = FieldOf(a, field);
    std::string_view text = ViewMemo(a, f, spill);
    std::string opened;
    if (Sealed(a) || IsSealed(text)) {
      opened = Unseal(a, f, text);
      text = opened;
    }
    char* p = static_cast<char*>(std::malloc(text.size() + 1));
    if (!p) throw std::bad_alloc();
    std::memcpy(p, text.data(), text.size());
    p[text.size()] = '\0';
    return p;
  });
}

void xb_MemDealloc(char* p) { std::free(p); }

std::string xb_MemoGet(std::string_view field) {
  return Run(std::string(), [&] {
    WorkArea& a = Cur();
    return ReadMemo(a, FieldOf(a, field));
  });
}

int xb_Replace(std::string_view field, int len, const char* text) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    const DbfField& f = FieldOf(a, field);
    const char* t = text ? text : "";
    if (f.IsMemo()) {
      WriteMemo(a, f, std::string_view(t));
      return 1;
    }
    std::size_t n = (len < 0 || len == XB_MEMO_TEXT) ? std::strlen(t) : std::min<std::size_t>(len, std::strlen(t));
    if (xb_FieldPut(field, std::string_view(t, n))) return 1;
    Fail(E().error, E().errorText);
  });
}

int xb_MemoPut(std::string_view field, std::string_view text) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    WriteMemo(a, FieldOf(a, field), text);
    return 1;
  });
}

int xb_AppendBlank() {
  return Run(0, [&] {
    WorkArea& a = Cur();
    CheckWritable(a);
    std::string rec(static_cast<std::size_t>(a.dbf.RecordLength()), ' ');
    a.dbf.BlankRecord(rec.data());
    AppendRecordAndKeys(a, rec);
    return 1;
  });
}

int xb_Rlock() {
  return Run(0, [&] {
    WorkArea& a = Cur();
    if (a.eof) Fail(XB_ERR_POSITION, TableName(a) + ": there is no current record to lock");
    return 1;
  });
}

int xb_Unlock() {
  return Run(0, [&] {
    Cur();
    return 1;
  });
}

int xb_Commit() {
  return Run(0, [&] {
    CommitIn(Cur());
    return 1;
  });
}

namespace {
int SetDeletedFlag(bool deleted) {
  WorkArea& a = Cur();
  CheckWritable(a);
  if (a.eof) Fail(XB_ERR_POSITION, TableName(a) + ": there is no current record (end of file)");
  std::string newRec = a.rec;
  newRec[0] = deleted ? '*' : ' ';
  if (newRec[0] != a.rec[0]) WriteRecordAndKeys(a, a.recno, a.rec, newRec);
  a.rec = std::move(newRec);
  return 1;
}
}  // namespace

int xb_Delete() {
  return Run(0, [&] { return SetDeletedFlag(true); });
}

bool xb_Deleted() {
  return Run(false, [&] {
    WorkArea& a = Cur();
    return !a.eof && a.rec[0] == '*';
  });
}

int xb_Recall() {
  return Run(0, [&] { return SetDeletedFlag(false); });
}

int xb_Pack() {
  return Run(0, [&] {
    PackIn(Cur());
    return 1;
  });
}

void xb_SetDeleted(bool on) { E().deleted = on; }
void xb_SetExact(bool on) { E().exact = on; }
void xb_SetCentury(bool on) { E().century = on; }
void xb_SetDateFormat(int format) { E().dateFormat = format; }
void xb_SetLockTimeout(int seconds) { E().lockTimeout = seconds; }
void xb_SetMemoBlockSize(int size) {
  if (size >= 32 && size <= 16384) E().memoBlockSize = size;
}
void xb_SetSoftSeek(bool on) { E().softSeek = on; }
void xb_SetTurboRead(bool on) { E().turboRead = on; }

std::string xb_DBFilter() {
  WorkArea* a = AreaPtr(E().selected);
  return a && !a->creating ? a->filterText : std::string();
}

int xb_Query(std::string_view expression) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    Expression e;
    std::string err;
    if (!e.Parse(expression, a.dbf.Fields(), err))
      Fail(XB_ERR_UNSUPPORTED, TableName(a) + ": filter \"" + std::string(expression) + "\" is not supported: " + err);
    if (!e.Empty() && !e.IsLogical())
      Fail(XB_ERR_UNSUPPORTED, TableName(a) + ": filter \"" + std::string(expression) + "\" is not a condition");
    a.filter = std::move(e);
    a.filterText = std::string(expression);
    return 1;
  });
}

void xb_SetPassword(std::string_view password) {
  Run(0, [&] {
    if (E().password == password) {
      // Only the tables that are not open yet need the derivation.
      for (auto& a : E().areas)
        if (a && !a->creating && Sealed(*a) && !a->unlocked) UnlockArea(*a);
      return 1;
    }
    E().password = std::string(password);
    for (auto& a : E().areas)
      if (a && !a->creating) UnlockArea(*a);
    return 1;
  });
}

int xb_KeyState() {
  return Run(XB_KEY_PLAIN, [&] {
    WorkArea& a = Cur();
    if (!Sealed(a)) return XB_KEY_PLAIN;
    return a.unlocked ? XB_KEY_OPEN : XB_KEY_LOCKED;
  });
}

namespace {

WorkArea& OwnKeyArea() {
  WorkArea& a = Cur();
  if (!Sealed(a)) Fail(XB_ERR_ARG, TableName(a) + ": the table is not protected");
  RequireKey(a);
  return a;
}

// Distinct from every record's binding, which starts with a field name.
std::string OwnBinding(std::string_view binding) { return "\x01own\x01" + std::string(binding); }

}  // namespace

int xb_SealOwnText(std::string_view text, std::string_view binding, std::string& sealed) {
  return Run(0, [&] {
    WorkArea& a = OwnKeyArea();
    sealed = SealText(a.key, text, OwnBinding(binding));
    return 1;
  });
}

int xb_OpenOwnText(std::string_view sealed, std::string_view binding, std::string& text) {
  return Run(0, [&] {
    WorkArea& a = OwnKeyArea();
    if (!IsSealed(sealed) || !OpenText(a.key, sealed, OwnBinding(binding), text))
      Fail(XB_ERR_CORRUPT, "the file does not open with the key of " + TableName(a));
    return 1;
  });
}

int xb_TryPassword(std::string_view password) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    if (!Sealed(a)) return 1;
    if (!a.keyError.empty()) Fail(XB_ERR_CORRUPT, a.keyError);
    SealKey key{};
    if (!UnlockWith(a, password, key)) return 0;
    a.key = key;
    a.unlocked = true;
    return 1;
  });
}

void xb_ForgetKeys() {
  for (auto& d : DerivedKeys()) sodium_memzero(d.key.data(), d.key.size());
  DerivedKeys().clear();
}

int xb_DbfEncrypt() {
  return Run(0, [&] {
    WorkArea& a = Cur();
    if (E().password.empty()) Fail(XB_ERR_ARG, TableName(a) + ": no password is set to protect the table with");
    RekeyIn(a, E().password);
    return 1;
  });
}

int xb_DbfDecrypt() {
  return Run(0, [&] {
    WorkArea& a = Cur();
    if (!Sealed(a)) return 1;
    RekeyIn(a, {});
    return 1;
  });
}

int xb_DbfChangePassword(std::string_view newPassword) {
  return Run(0, [&] {
    WorkArea& a = Cur();
    if (!Sealed(a) && newPassword.empty()) {
      E().password.clear();
      return 1;
    }
    RekeyIn(a, newPassword);
    return 1;
  });
}

void xb_SetRekeyStepHook(std::function<void(const std::string& step)> hook) { E().rekeyStep = std::move(hook); }

void xb_SetGaugeHook(std::function<void(int percent)> hook) { E().gauge = std::move(hook); }

void xb_SetWriteFaultHook(std::function<int(const std::string& path, std::size_t bytes)> hook) {
  SetWriteFault(std::move(hook));
}

}  // namespace quill::xb
