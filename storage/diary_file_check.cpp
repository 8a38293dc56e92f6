#include "storage/diary_file_check.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "dates/date_keys.h"
#include "storage/folder_files.h"

namespace quill {
namespace {

bool ReadWholeFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

uint32_t Le16(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8;
}
uint32_t Le32(const std::string& b, size_t at) {
    return Le16(b, at) | Le16(b, at + 2) << 16;
}
uint32_t Be32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 |
           uint32_t(uint8_t(b[at + 2])) << 8 | uint32_t(uint8_t(b[at + 3]));
}
uint32_t Be16(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 8 | uint32_t(uint8_t(b[at + 1]));
}

std::string RightTrim(std::string s, char pad) {
    while (!s.empty() && s.back() == pad) s.pop_back();
    return s;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

std::string Stem(const std::string& name) {
    return name.substr(0, name.rfind('.'));
}

struct Field {
    std::string name;
    char type = 0;
    uint32_t offset = 0;
    uint32_t width = 0;
};

// Reads the table; returns false when it is too damaged to go on.
bool CheckTable(const std::string& dbf, DiaryCheckReport& r, std::vector<Field>& fields,
                uint32_t& dateOffset, uint32_t& memoOffset) {
    auto& P = r.problems;
    if (dbf.size() < 32) {
        P.push_back("table: file is shorter than its 32-byte header");
        return false;
    }
    const uint8_t version = uint8_t(dbf[0]);
    if (version != 0xF5 && version != 0x03 && version != 0x83 && version != 0x8B)
        r.warnings.push_back("table: unusual version byte " + std::to_string(version));
    const uint32_t count = Le32(dbf, 4);
    const uint32_t headerLen = Le16(dbf, 8);
    const uint32_t recLen = Le16(dbf, 10);
    if (dbf[15] != 0) r.encrypted = true;
    size_t pos = 32;
    uint32_t sum = 1;
    while (pos < dbf.size() && dbf[pos] != 0x0D) {
        if (pos + 32 > dbf.size()) {
            P.push_back("table: field descriptors run past the end of the file");
            return false;
        }
        Field f;
        f.name = std::string(dbf.data() + pos, strnlen(dbf.data() + pos, 11));
        f.type = dbf[pos + 11];
        f.offset = sum;
        f.width = uint8_t(dbf[pos + 16]);
        sum += f.width;
        fields.push_back(f);
        pos += 32;
    }
    if (pos >= dbf.size()) {
        P.push_back("table: field descriptor area has no 0x0D terminator");
        return false;
    }
    if (headerLen != pos + 1)
        P.push_back("table: header length " + std::to_string(headerLen) +
                    " does not match the field descriptors (" + std::to_string(pos + 1) + ")");
    if (recLen != sum)
        P.push_back("table: record length " + std::to_string(recLen) +
                    " differs from the sum of the field widths (" + std::to_string(sum) + ")");
    bool haveDate = false, haveEntry = false;
    for (const auto& f : fields) {
        if (Upper(f.name) == "DATE") {
            haveDate = f.type == 'C' && f.width == 8;
            dateOffset = f.offset;
        } else if (Upper(f.name) == "ENTRY") {
            haveEntry = f.type == 'M' && f.width == 10;
            memoOffset = f.offset;
        }
    }
    if (!haveDate) P.push_back("table: no character field DATE of width 8");
    if (!haveEntry) P.push_back("table: no memo field ENTRY of width 10");
    if (!haveDate || !haveEntry || recLen != sum || headerLen != pos + 1) return false;
    uint32_t complete = count;
    const uint64_t need = uint64_t(headerLen) + uint64_t(count) * recLen;
    if (dbf.size() < need) {
        // Go on with the complete records: their damage is reported too.
        complete = uint32_t((dbf.size() - std::min<size_t>(dbf.size(), headerLen)) / recLen);
        P.push_back("table: header counts " + std::to_string(count) + " records but the file holds only " +
                    std::to_string(complete) + " (the table is cut short)");
    } else {
        const size_t extra = dbf.size() - need;
        if (extra > 1 || (extra == 1 && uint8_t(dbf[need]) != 0x1A))
            r.warnings.push_back("table: " + std::to_string(extra) +
                                 " bytes after the last counted record (left over from an unfinished write)");
    }
    for (uint32_t i = 0; i < complete; ++i) {
        const size_t at = headerLen + size_t(i) * recLen;
        RawDiaryRecord rec;
        rec.recNo = i + 1;
        const char flag = dbf[at];
        if (flag != ' ' && flag != '*')
            P.push_back("record " + std::to_string(rec.recNo) + ": bad deletion flag");
        rec.deleted = flag == '*';
        std::string rawKey = dbf.substr(at + dateOffset, 8);
        rec.key = RightTrim(rawKey, ' ');
        std::string ptr = dbf.substr(at + memoOffset, 10);
        std::string digits = ptr;
        digits.erase(0, digits.find_first_not_of(' '));
        if (!digits.empty() && digits.find_first_not_of("0123456789") != std::string::npos &&
            digits.find_first_not_of(std::string(1, '\0')) != std::string::npos) {
            P.push_back("record " + std::to_string(rec.recNo) + " (" + (rec.key.empty() ? std::string("no key") : rec.key) +
                        "): memo pointer is not a number");
        } else if (!digits.empty() && digits[0] != '\0') {
            rec.memoBlock = uint32_t(std::stoul(digits));
        }
        r.records.push_back(rec);
    }
    return true;
}

void CheckMemos(const std::string& fpt, DiaryCheckReport& r) {
    auto& P = r.problems;
    bool anyMemo = std::any_of(r.records.begin(), r.records.end(),
                               [](const RawDiaryRecord& x) { return x.memoBlock != 0; });
    if (r.memoPath.empty()) {
        if (anyMemo) P.push_back("memo file: missing, but records point into it");
        return;
    }
    if (fpt.size() < 512) {
        P.push_back("memo file: shorter than its 512-byte header");
        return;
    }
    const uint32_t nextFree = Be32(fpt, 0);
    const uint32_t blockSize = Be16(fpt, 6);
    if (blockSize == 0) {
        P.push_back("memo file: block size 0");
        return;
    }
    const uint32_t firstBlock = (512 + blockSize - 1) / blockSize;
    if (nextFree < firstBlock) P.push_back("memo file: next free block lies inside the header");
    std::map<uint32_t, uint32_t> used;  // first block -> block count, for overlap checks
    for (auto& rec : r.records) {
        if (rec.memoBlock == 0) continue;
        const std::string who = "record " + std::to_string(rec.recNo) + " (" +
                                (rec.key.empty() ? std::string("no key") : rec.key) + ")";
        const uint64_t start = uint64_t(rec.memoBlock) * blockSize;
        if (rec.memoBlock < firstBlock || start + 8 > fpt.size()) {
            P.push_back(who + ": memo block " + std::to_string(rec.memoBlock) + " lies outside the memo file");
            continue;
        }
        const uint32_t type = Be32(fpt, start);
        const uint32_t len = Be32(fpt, start + 4);
        if (type != 1) P.push_back(who + ": memo block is not a text memo (type " + std::to_string(type) + ")");
        if (start + 8 + len > fpt.size()) {
            P.push_back(who + ": memo text of " + std::to_string(len) + " bytes runs past the end of the memo file");
            continue;
        }
        const uint32_t blocks = uint32_t((8 + uint64_t(len) + blockSize - 1) / blockSize);
        if (uint64_t(rec.memoBlock) + blocks > nextFree)
            P.push_back(who + ": memo lies beyond the memo file's next free block");
        used[rec.memoBlock] = std::max(used[rec.memoBlock], blocks);
        rec.memo = fpt.substr(start + 8, len);
        if (!r.sealedTexts && rec.memo.find('\0') != std::string::npos)
            P.push_back(who + ": memo text contains a NUL character");
    }
    uint64_t end = 0;
    uint32_t prev = 0;
    for (const auto& [first, count] : used) {
        if (first < end)
            P.push_back("memo file: memo at block " + std::to_string(first) + " overlaps the memo at block " +
                        std::to_string(prev));
        end = std::max<uint64_t>(end, uint64_t(first) + count);
        prev = first;
    }
    std::map<uint32_t, int> shared;
    for (const auto& rec : r.records)
        if (rec.memoBlock) ++shared[rec.memoBlock];
    for (const auto& [block, n] : shared)
        if (n > 1)
            P.push_back("memo file: block " + std::to_string(block) + " is used by " + std::to_string(n) +
                        " records");
}

// One CDX tree walker; collects the keys of a tag in index order.
struct CdxReader {
    const std::string& cdx;
    std::vector<std::string>& problems;
    std::string what;  // "index" or "index directory"

    // In 64 bits: a damaged pointer near 4 GiB must not wrap round to a
    // small offset that passes.
    bool PageOk(uint32_t off) const { return off % 512 == 0 && uint64_t(off) + 512 <= cdx.size() && off >= 512; }

    void Problem(const std::string& s) { problems.push_back(what + ": " + s); }

    // Decodes one leaf page into (key, recno) pairs padded to keyLen.
    bool DecodeLeaf(uint32_t off, uint32_t keyLen, char pad, std::vector<RawIndexKey>& out,
                    std::vector<std::string>& fullKeys) {
        const uint32_t n = Le16(cdx, off + 2);
        const uint32_t freeBytes = Le16(cdx, off + 12);
        const uint32_t recMask = Le32(cdx, off + 14);
        const uint32_t dupMask = uint8_t(cdx[off + 18]);
        const uint32_t trailMask = uint8_t(cdx[off + 19]);
        const uint32_t R = uint8_t(cdx[off + 20]), D = uint8_t(cdx[off + 21]);
        const uint32_t T = uint8_t(cdx[off + 22]);
        const uint32_t N = uint8_t(cdx[off + 23]);
        // The three fields share the N bytes of an entry; wider ones would
        // shift past the 64 bits an entry is read into.
        if (N == 0 || N > 8 || R > 32 || R + D + T > 8 * N || 24 + n * N > 512) {
            Problem("leaf page at " + std::to_string(off) + " has impossible entry widths");
            return false;
        }
        size_t pos = 512;
        std::string prev;
        for (uint32_t i = 0; i < n; ++i) {
            uint64_t v = 0;
            for (uint32_t b = 0; b < N; ++b) v |= uint64_t(uint8_t(cdx[off + 24 + i * N + b])) << (8 * b);
            const uint32_t rec = uint32_t(v & recMask);
            const uint32_t dup = uint32_t((v >> R) & dupMask);
            const uint32_t trail = uint32_t((v >> (R + D)) & trailMask);
            if (dup + trail > keyLen || (i == 0 && dup != 0)) {
                Problem("leaf page at " + std::to_string(off) + " has a bad key entry");
                return false;
            }
            const size_t s = keyLen - dup - trail;
            if (s > pos - (24 + n * N)) {
                Problem("leaf page at " + std::to_string(off) + " stores more key bytes than it holds");
                return false;
            }
            pos -= s;
            std::string key = prev.substr(0, dup) + std::string(cdx.data() + off + pos, s) +
                              std::string(trail, pad);
            prev = key;
            fullKeys.push_back(key);
            out.push_back({RightTrim(key, pad), rec});
        }
        if (freeBytes != pos - 24 - n * N)
            Problem("leaf page at " + std::to_string(off) + " has a wrong free-space count");
        return true;
    }

    // Walks the tree under a header at HDR. Returns false on damage.
    bool ReadTag(uint32_t hdr, char pad, uint32_t& keyLen, std::vector<RawIndexKey>& out) {
        if (hdr % 512 != 0 || uint64_t(hdr) + 1024 > cdx.size()) {
            Problem("header at " + std::to_string(hdr) + " lies outside the file");
            return false;
        }
        keyLen = Le16(cdx, hdr + 12);
        if (keyLen == 0 || keyLen > 240) {
            Problem("bad key length " + std::to_string(keyLen));
            return false;
        }
        const uint32_t root = Le32(cdx, hdr);
        if (!PageOk(root)) {
            Problem("root page offset " + std::to_string(root) + " is outside the file");
            return false;
        }
        std::string last;
        if (!Walk(root, 0, keyLen, pad, out, last)) return false;
        // Leaves must be chained left to right in the order the tree holds them.
        for (size_t i = 0; i < leaves.size(); ++i) {
            const uint32_t p = leaves[i];
            const uint32_t wantLeft = i == 0 ? 0xFFFFFFFFu : leaves[i - 1];
            const uint32_t wantRight = i + 1 == leaves.size() ? 0xFFFFFFFFu : leaves[i + 1];
            if (Le32(cdx, p + 4) != wantLeft || Le32(cdx, p + 8) != wantRight) {
                Problem("leaf page at " + std::to_string(p) + " has wrong sibling links");
                break;
            }
        }
        return true;
    }

    // Depth-first walk; LAST receives the greatest key under PAGE, which the
    // parent's entry must carry.
    bool Walk(uint32_t page, int depth, uint32_t keyLen, char pad, std::vector<RawIndexKey>& out,
              std::string& last) {
        if (depth > 16 || !seen.insert(page).second) {
            Problem("page at " + std::to_string(page) + " is reached twice (the tree has a loop)");
            return false;
        }
        if ((Le16(cdx, page) & 0x02) != 0) {
            std::vector<std::string> full;
            if (!DecodeLeaf(page, keyLen, pad, out, full)) return false;
            leaves.push_back(page);
            last = full.empty() ? std::string() : full.back();
            if (full.empty() && depth > 0) Problem("empty leaf page at " + std::to_string(page) + " below the root");
            return true;
        }
        const uint32_t n = Le16(cdx, page + 2);
        if (n == 0 || 12 + n * (keyLen + 8) > 512) {
            Problem("interior page at " + std::to_string(page) + " has a bad key count");
            return false;
        }
        for (uint32_t k = 0; k < n; ++k) {
            const size_t e = page + 12 + size_t(k) * (keyLen + 8);
            const uint32_t child = Be32(cdx, e + keyLen + 4);
            if (!PageOk(child)) {
                Problem("interior page at " + std::to_string(page) + " points outside the file");
                return false;
            }
            std::string childLast;
            if (!Walk(child, depth + 1, keyLen, pad, out, childLast)) return false;
            if (cdx.compare(e, keyLen, childLast) != 0) {
                Problem("interior page at " + std::to_string(page) + " does not carry its child's last key");
                return false;
            }
            last = childLast;
        }
        return true;
    }

    std::set<uint32_t> seen;
    std::vector<uint32_t> leaves;
};

void CheckIndex(const std::string& cdx, DiaryCheckReport& r) {
    auto& P = r.problems;
    if (r.indexPath.empty()) {
        P.push_back("index: QUILLBK.CDX is missing (the program builds it again when it opens the table)");
        return;
    }
    if (cdx.size() < 2048 || cdx.size() % 512 != 0) {
        P.push_back("index: file size " + std::to_string(cdx.size()) + " is not a whole number of pages");
        if (cdx.size() < 2048) return;
    }
    CdxReader dir{cdx, P, "index directory", {}, {}};
    uint32_t dirKeyLen = 0;
    std::vector<RawIndexKey> tags;
    // The directory's own header is at offset 0; its "records" are tag offsets.
    {
        const uint32_t root = Le32(cdx, 0);
        if (!dir.PageOk(root) || root < 1024) {
            P.push_back("index directory: bad root page offset");
            return;
        }
        if (!dir.ReadTag(0, ' ', dirKeyLen, tags)) return;
    }
    uint32_t tagHeader = 0;
    for (const auto& t : tags) {
        std::string name = RightTrim(t.key, '\0');
        name = RightTrim(name, ' ');
        if (Upper(name) == "DATE") tagHeader = t.recNo;
    }
    if (tagHeader == 0) {
        P.push_back("index: no tag DATE");
        return;
    }
    if (tagHeader % 512 != 0 || uint64_t(tagHeader) + 1024 > cdx.size()) {
        P.push_back("index: tag DATE header lies outside the file");
        return;
    }
    const uint32_t exprStart = Le16(cdx, tagHeader + 508), exprLen = Le16(cdx, tagHeader + 510);
    std::string expr = exprStart + exprLen <= 512 ? cdx.substr(tagHeader + 512 + exprStart, exprLen) : "";
    expr = RightTrim(expr, '\0');
    if (Upper(expr) != "DATE") P.push_back("index: tag DATE has key expression '" + expr + "'");
    if (Le16(cdx, tagHeader + 502) != 0) P.push_back("index: tag DATE is descending");
    CdxReader tag{cdx, P, "index tag DATE", {}, {}};
    uint32_t keyLen = 0;
    if (!tag.ReadTag(tagHeader, ' ', keyLen, r.indexKeys)) return;
    if (keyLen != 8) {
        P.push_back("index: tag DATE has key length " + std::to_string(keyLen));
        return;
    }
    // Order: by key bytes, then by record number.
    for (size_t i = 1; i < r.indexKeys.size(); ++i) {
        const auto& a = r.indexKeys[i - 1];
        const auto& b = r.indexKeys[i];
        if (a.key > b.key || (a.key == b.key && a.recNo >= b.recNo)) {
            P.push_back("index: keys out of order at '" + b.key + "' (record " + std::to_string(b.recNo) + ")");
            break;
        }
    }
    // Every record has exactly one key, deleted ones included, and the key
    // is the record's DATE.
    std::vector<int> hits(r.records.size() + 1, 0);
    for (const auto& k : r.indexKeys) {
        if (k.recNo == 0 || k.recNo > r.records.size()) {
            P.push_back("index: key '" + k.key + "' points to record " + std::to_string(k.recNo) +
                        ", beyond the table's " + std::to_string(r.records.size()) + " records");
            continue;
        }
        ++hits[k.recNo];
        const auto& rec = r.records[k.recNo - 1];
        if (!r.encrypted && rec.key != k.key)
            P.push_back("index: key '" + k.key + "' points to record " + std::to_string(k.recNo) +
                        " whose DATE is '" + rec.key + "'");
    }
    for (const auto& rec : r.records) {
        if (hits[rec.recNo] == 0 && !rec.deleted)
            P.push_back("index: record " + std::to_string(rec.recNo) + " ('" + rec.key + "') has no key");
        else if (hits[rec.recNo] > 1)
            P.push_back("index: record " + std::to_string(rec.recNo) + " has " + std::to_string(hits[rec.recNo]) +
                        " keys");
    }
}

}  // namespace

DiaryCheckReport CheckDiaryFiles(const std::string& folder) {
    DiaryCheckReport r;
    r.tablePath = FindFileNoCase(folder, "QUILLBK.DBF");
    if (r.tablePath.empty()) {
        r.problems.push_back("table: QUILLBK.DBF not found in " + folder);
        return r;
    }
    r.tableFound = true;
    const std::string base = r.tablePath.substr(r.tablePath.rfind('/') + 1);
    r.memoPath = FindFileNoCase(folder, Stem(base) + ".FPT");
    r.indexPath = FindFileNoCase(folder, Stem(base) + ".CDX");
    std::string dbf, fpt, cdx;
    if (!ReadWholeFile(r.tablePath, dbf)) {
        r.problems.push_back("table: cannot read " + r.tablePath);
        return r;
    }
    std::vector<Field> fields;
    uint32_t dateOffset = 0, memoOffset = 0;
    if (!CheckTable(dbf, r, fields, dateOffset, memoOffset)) return r;
    if (!r.memoPath.empty() && !ReadWholeFile(r.memoPath, fpt))
        r.problems.push_back("memo file: cannot read " + r.memoPath);
    r.sealedTexts = !FindFileNoCase(folder, Stem(base) + ".SLT").empty();
    CheckMemos(fpt, r);
    if (!r.indexPath.empty() && !ReadWholeFile(r.indexPath, cdx))
        r.problems.push_back("index: cannot read " + r.indexPath);
    CheckIndex(cdx, r);
    if (!r.encrypted) {
        std::map<std::string, uint32_t> live;
        for (const auto& rec : r.records) {
            if (rec.deleted) {
                if (!rec.key.empty())
                    r.warnings.push_back("record " + std::to_string(rec.recNo) + ": deleted record still carries key " +
                                         rec.key);
                continue;
            }
            if (rec.key.empty()) {
                r.problems.push_back("record " + std::to_string(rec.recNo) +
                                     ": live record without a date key (left by an interrupted save; "
                                     "opening the diary or a rebuild removes it)");
                continue;
            }
            Date d;
            if (rec.key.size() != 8 || !KeyToDate(rec.key, d))
                r.problems.push_back("record " + std::to_string(rec.recNo) + ": DATE '" + rec.key +
                                     "' is not a date key");
            auto [it, fresh] = live.emplace(rec.key, rec.recNo);
            if (!fresh)
                r.problems.push_back("records " + std::to_string(it->second) + " and " + std::to_string(rec.recNo) +
                                     " both hold the entry of " + rec.key);
        }
    }
    return r;
}

}  // namespace quill
