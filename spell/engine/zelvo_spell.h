#pragma once
// TZelvoSpell: the spell engine. One main dictionary (read only, shipped
// beside the program, possibly several sections) and any number of user
// dictionaries (one section each, grown by AddWord). Every dictionary is a
// letter trie of 3-byte nodes read from the file on demand; main sections go
// through a block cache.
//
// Words are single bytes in Windows-1252. No operation throws: failures are
// reported by the return value (false, or -1 for a user dictionary id).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "spell/engine/spell_tables.h"

namespace quill {

namespace spell {

inline constexpr uint16_t kFreeLink = 65000;      // link of an unused node slot
inline constexpr uint8_t kLetterMask = 0x3F;
inline constexpr uint8_t kLastSibling = 0x40;
inline constexpr uint8_t kWordEnd = 0x80;
inline constexpr int32_t kMaxSectionNodes = 64999; // node indexes are 16-bit, 65000 reserved
inline constexpr int kSectionHeaderSize = 17;
inline constexpr int kNodeSize = 3;
inline constexpr int kCacheSlots = 1024;           // main sections: blocks of 8 nodes
inline constexpr int kCacheBlockNodes = 8;

// In-memory copy of the 17-byte section header.
struct TSectionHeader {
    int32_t NodeCount = 0;     // highest node index in use
    int32_t NodeCapacity = 0;  // node slots stored after the header
    int32_t WordCount = 0;
    uint8_t IsMain = 0;        // non-zero: main dictionary section
    int32_t HeaderPos = 0;     // file offset of the header

    void Encode(uint8_t out[kSectionHeaderSize]) const noexcept;
    static TSectionHeader Decode(const uint8_t in[kSectionHeaderSize]) noexcept;
    bool operator==(const TSectionHeader&) const = default;
};

// One trie node as stored: link to the first node of the child group
// (0 = none, kFreeLink = unused slot) and the flags byte.
struct TSpellNode {
    uint16_t Link = 0;
    uint8_t Flags = 0;

    uint8_t LetterCode() const noexcept { return Flags & kLetterMask; }
    uint8_t Character() const noexcept { return kAlphabet[Flags & kLetterMask]; }
    bool IsLastSibling() const noexcept { return (Flags & kLastSibling) != 0; }
    bool IsWordEnd() const noexcept { return (Flags & kWordEnd) != 0; }
    bool HasChildren() const noexcept { return Link != 0 && Link != kFreeLink; }
};

// 0: first section of the main dictionary (owns the file); 1: further main
// section (shares it); 2: user dictionary.
enum class TSectionKind : uint8_t { MainFirst = 0, MainFurther = 1, User = 2 };

}  // namespace spell

class TZelvoSpell {
public:
    TZelvoSpell() noexcept;
    ~TZelvoSpell();
    TZelvoSpell(const TZelvoSpell&) = delete;
    TZelvoSpell& operator=(const TZelvoSpell&) = delete;

    // Properties. DictionaryName is opened on demand and replaced by the name
    // of a main dictionary opened successfully; DictionaryUser is stored only.
    std::string DictionaryName = "zelvo.dct";
    std::string DictionaryUser = "custom.dct";
    uint8_t MaxSuggestions() const noexcept { return MaxSuggestions_; }
    void SetMaxSuggestions(uint8_t n) noexcept { MaxSuggestions_ = n > 220 ? 220 : n; }
    bool MainDictionaryOpen() const noexcept { return MainOpen_; }

    // Dictionaries.
    bool OpenDictionary(const std::string& fileName) noexcept;
    int16_t OpenUserDictionary(const std::string& fileName) noexcept;
    int16_t CreateUserDictionary(const std::string& fileName,
                                 const std::vector<std::string>& words) noexcept;
    void CloseDictionaries() noexcept;

    // Words (Windows-1252 bytes).
    bool IsWordCorrect(std::string_view word) noexcept;
    // True when a user dictionary with that id is open, also when the word
    // itself was refused (too long, dictionary full).
    bool AddWord(std::string_view word, int16_t userDictionaryId) noexcept;
    // Up to MaxSuggestions() replacements, best first, in the case of the word
    // as typed. The list is owned by the engine and valid until the next call.
    const std::vector<std::string>& GetSuggestions(std::string_view word) noexcept;

    // --- Node access shared by lookup and the suggestion walk ---

    // Re-reads the header of every user dictionary from its file: another
    // running copy may have added words.
    void RefreshUserHeaders() noexcept;
    // Opens DictionaryName when no main dictionary is open yet; a failure is
    // not an error (lookup goes on with the sections that are open).
    void EnsureMainDictionary() noexcept;

    // Open sections in lookup order, 0 .. SectionCount()-1.
    int SectionCount() const noexcept { return static_cast<int>(Sections_.size()); }
    spell::TSectionKind SectionKind(int section) const noexcept { return Sections_[section]->Kind; }
    const spell::TSectionHeader& SectionHeader(int section) const noexcept {
        return Sections_[section]->Header;
    }
    int16_t SectionId(int section) const noexcept { return Sections_[section]->Id; }
    // Node `index` (1-based) of a section. A node that cannot be read (beyond
    // the file or the section) reads as a childless last sibling, so every
    // group scan ends.
    spell::TSpellNode ReadNode(int section, uint32_t index) noexcept;

    static uint8_t ToUpper(uint8_t c) noexcept { return spell::kUpperCase[c]; }
    static uint8_t ToLower(uint8_t c) noexcept { return spell::kLowerCase[c]; }
    static uint8_t LetterCodeOf(uint8_t c) noexcept { return spell::kLetterCode[c]; }

private:
    struct TCacheSlot {
        int32_t Tag;  // file offset of the cached block, -1 = empty
        uint8_t Block[spell::kCacheBlockNodes * spell::kNodeSize];
    };

    struct TOpenSection {
        spell::TSectionHeader Header;
        int64_t NodeBase = 0;  // file offset of node 0
        spell::TSectionKind Kind = spell::TSectionKind::User;
        int Fd = -1;
        std::string FileName;
        bool Open = false;
        int16_t Id = -1;
        std::unique_ptr<TCacheSlot[]> Cache;  // main sections only
        // Main file mapped read-only when possible (block fills copy from it).
        const uint8_t* Map = nullptr;
        size_t MapSize = 0;
        // User dictionaries: copy of the node bytes (nodes 1..N), valid while
        // the header on disk equals MirrorHeader. Every change writes the
        // header, so a header that differs means the nodes must be re-read.
        std::vector<uint8_t> Nodes;
        spell::TSectionHeader MirrorHeader;
        bool NodesValid = false;
        // User dictionaries: the file's first page mapped shared, so that the
        // header is re-read before every operation without a system call
        // (writes of other processes show through the mapping).
        const uint8_t* HeaderMap = nullptr;
        size_t HeaderMapSize = 0;
    };

    void FillCacheBlock(TOpenSection& sec, TCacheSlot& slot, int64_t blockOffset) noexcept;
    spell::TSpellNode ReadUserNode(TOpenSection& sec, uint32_t index) noexcept;
    bool LoadUserNodes(TOpenSection& sec) noexcept;
    static const uint8_t* MapUserHeaderPage(int fd, int64_t headerPos, size_t& size) noexcept;
    static void ReleaseSection(TOpenSection& sec) noexcept;
    bool FindInSection(int section, const uint8_t* word, size_t length) noexcept;
    bool InsertUserWord(TOpenSection& sec, std::string_view word) noexcept;
    bool InsertUserWords(TOpenSection& sec, const std::vector<std::string_view>& words) noexcept;
    int16_t TakeUserId() noexcept;

    std::vector<std::unique_ptr<TOpenSection>> Sections_;
    std::vector<std::string> SuggestionList_;  // filled by GetSuggestions
    std::string WordBuffer_;                   // upper-cased word, reused
    uint16_t NextUserId_ = 2;
    uint8_t MaxSuggestions_ = 10;
    bool MainOpen_ = false;
};

inline spell::TSpellNode TZelvoSpell::ReadNode(int section, uint32_t index) noexcept {
    TOpenSection& sec = *Sections_[section];
    if (sec.Cache) {
        const int64_t block = sec.NodeBase + spell::kNodeSize * int64_t(index & ~7u);
        TCacheSlot& slot = sec.Cache[(block / 8) % spell::kCacheSlots];
        if (slot.Tag != block) FillCacheBlock(sec, slot, block);
        const uint8_t* p = slot.Block + spell::kNodeSize * (index & 7u);
        return {static_cast<uint16_t>(p[0] | (p[1] << 8)), p[2]};
    }
    return ReadUserNode(sec, index);
}

}  // namespace quill
