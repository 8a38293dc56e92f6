#pragma once
// An independent reader of the diary's three files (table, memo file,
// compound index) that checks them against each other byte by byte, without
// going through the engine. quillbook-tool's "check" and the durability
// tests use it; it never writes.

#include <cstdint>
#include <string>
#include <vector>

namespace quill {

struct RawDiaryRecord {
    uint32_t recNo = 0;     // 1-based
    bool deleted = false;   // deletion flag '*'
    std::string key;        // DATE with trailing blanks removed
    uint32_t memoBlock = 0; // 0 = empty memo
    std::string memo;       // ENTRY text as stored (empty when unreadable)
};

struct RawIndexKey {
    std::string key;  // blank padding removed
    uint32_t recNo = 0;
};

struct DiaryCheckReport {
    bool tableFound = false;
    std::string tablePath, memoPath, indexPath;
    bool encrypted = false;  // table bytes marked as encrypted: keys are not compared
    // A password-protected diary (its key file is there): memo texts are
    // sealed bytes, so they are not read as text.
    bool sealedTexts = false;
    std::vector<RawDiaryRecord> records;  // every record, deleted ones included
    std::vector<RawIndexKey> indexKeys;   // tag DATE in index order
    std::vector<std::string> problems;    // damage: something saved may be unreachable
    std::vector<std::string> warnings;    // odd but harmless
    bool ok() const { return tableFound && problems.empty(); }
};

// Checks QUILLBK.DBF, its memo file and QUILLBK.CDX in FOLDER (names matched
// ignoring case).
DiaryCheckReport CheckDiaryFiles(const std::string& folder);

}  // namespace quill
