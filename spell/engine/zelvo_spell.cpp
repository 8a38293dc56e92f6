// TZelvoSpell: opening and closing dictionaries, reading nodes, lookup.
// Word insertion lives in user_dictionary_insert.cpp, suggestions in
// spell_suggestions.cpp.

#include "spell/engine/zelvo_spell.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

#include "spell/engine/spell_file_io.h"
#include "spell/engine/user_dictionary_journal.h"

namespace quill {

using spell::TSectionHeader;
using spell::TSectionKind;
using spell::TSpellNode;

namespace {

int32_t GetI32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}

void PutI32(uint8_t* p, int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

// A node that cannot be read ends its group and has no children.
constexpr uint8_t kUnreadableNode[spell::kNodeSize] = {0, 0, spell::kLastSibling};

void FillUnreadable(uint8_t* bytes, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) bytes[i] = kUnreadableNode[i % spell::kNodeSize];
}

// Values no dictionary writer produces: such a header is a damaged file.
bool HeaderIsSane(const TSectionHeader& h) {
    return h.NodeCount >= 0 && h.NodeCount <= 65535 && h.NodeCapacity >= 0 &&
           h.NodeCapacity <= 65535;
}

void UnmapSection(const uint8_t* map, size_t size) {
    if (map) munmap(const_cast<uint8_t*>(map), size);
}

bool ReadHeaderAt(int fd, int64_t offset, TSectionHeader& out) {
    uint8_t raw[spell::kSectionHeaderSize];
    if (spell::ReadAt(fd, offset, raw, sizeof raw) != sizeof raw) return false;
    out = TSectionHeader::Decode(raw);
    return true;
}

}  // namespace

void spell::TSectionHeader::Encode(uint8_t out[kSectionHeaderSize]) const noexcept {
    PutI32(out + 0, NodeCount);
    PutI32(out + 4, NodeCapacity);
    PutI32(out + 8, WordCount);
    out[12] = IsMain;
    PutI32(out + 13, HeaderPos);
}

spell::TSectionHeader spell::TSectionHeader::Decode(const uint8_t in[kSectionHeaderSize]) noexcept {
    TSectionHeader h;
    h.NodeCount = GetI32(in + 0);
    h.NodeCapacity = GetI32(in + 4);
    h.WordCount = GetI32(in + 8);
    h.IsMain = in[12];
    h.HeaderPos = GetI32(in + 13);
    return h;
}

// The page of a user dictionary that holds its header; null when the header
// does not lie within the first page or mapping is not possible (the header
// is then read from the file).
const uint8_t* TZelvoSpell::MapUserHeaderPage(int fd, int64_t headerPos, size_t& size) noexcept {
    const long page = sysconf(_SC_PAGESIZE);
    if (page <= 0 || headerPos + spell::kSectionHeaderSize > page) return nullptr;
    void* map = mmap(nullptr, static_cast<size_t>(page), PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) return nullptr;
    size = static_cast<size_t>(page);
    return static_cast<const uint8_t*>(map);
}

TZelvoSpell::TZelvoSpell() noexcept {
    try {
        WordBuffer_.reserve(64);
    } catch (...) {
    }
}

TZelvoSpell::~TZelvoSpell() {
    // Unlike CloseDictionaries, the engine going away releases every file,
    // user dictionaries opened without a main dictionary included.
    for (auto& sec : Sections_) ReleaseSection(*sec);
}

void TZelvoSpell::ReleaseSection(TOpenSection& sec) noexcept {
    if (sec.Kind == TSectionKind::MainFirst) UnmapSection(sec.Map, sec.MapSize);
    UnmapSection(sec.HeaderMap, sec.HeaderMapSize);
    if (sec.Kind != TSectionKind::MainFurther && sec.Fd >= 0) close(sec.Fd);
    sec.Map = sec.HeaderMap = nullptr;
    sec.Fd = -1;
}

bool TZelvoSpell::OpenDictionary(const std::string& fileName) noexcept {
    if (MainOpen_) return false;
    if (!Sections_.empty() && Sections_.front()->Kind == TSectionKind::MainFirst) return false;
    int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::vector<std::unique_ptr<TOpenSection>> found;
    try {
        int64_t headerPos = spell::SkipBanner(fd);
        TSectionHeader header;
        if (headerPos < 0 || !ReadHeaderAt(fd, headerPos, header) || header.IsMain == 0 ||
            !HeaderIsSane(header)) {
            close(fd);
            return false;
        }
        const int64_t fileSize = spell::FileSizeOf(fd);
        for (;;) {
            auto sec = std::make_unique<TOpenSection>();
            sec->Header = header;
            sec->Header.HeaderPos = static_cast<int32_t>(headerPos);
            sec->NodeBase = headerPos + spell::kSectionHeaderSize - spell::kNodeSize;
            sec->Kind = found.empty() ? TSectionKind::MainFirst : TSectionKind::MainFurther;
            sec->Fd = fd;
            sec->FileName = fileName;
            sec->Cache.reset(new TCacheSlot[spell::kCacheSlots]);
            for (int i = 0; i < spell::kCacheSlots; ++i) sec->Cache[i].Tag = -1;
            found.push_back(std::move(sec));

            const int64_t next = headerPos + spell::kSectionHeaderSize +
                                 int64_t(spell::kNodeSize) * header.NodeCapacity;
            // Up to 20 trailing bytes are slack, not another section.
            if (fileSize <= next + 20) break;
            if (!ReadHeaderAt(fd, next, header) || !HeaderIsSane(header)) break;
            headerPos = next;
        }
        // Block fills copy from a read-only mapping when the system allows
        // one; otherwise they read the file.
        if (fileSize > 0) {
            void* map = mmap(nullptr, static_cast<size_t>(fileSize), PROT_READ, MAP_SHARED, fd, 0);
            if (map != MAP_FAILED) {
                for (auto& sec : found) {
                    sec->Map = static_cast<const uint8_t*>(map);
                    sec->MapSize = static_cast<size_t>(fileSize);
                }
            }
        }
        Sections_.reserve(Sections_.size() + found.size());
    } catch (...) {
        if (!found.empty() && found.front()->Map) {
            munmap(const_cast<uint8_t*>(found.front()->Map), found.front()->MapSize);
        }
        close(fd);
        return false;
    }
    // Cannot fail now: room was reserved above.
    for (auto& sec : found) sec->Open = true;
    Sections_.insert(Sections_.begin(), std::move(found.front()));
    for (size_t i = 1; i < found.size(); ++i) Sections_.push_back(std::move(found[i]));
    MainOpen_ = true;
    try {
        DictionaryName = fileName;
    } catch (...) {
    }
    return true;
}

int16_t TZelvoSpell::TakeUserId() noexcept {
    // Ids are handed out in turn; one still in use after the counter wrapped
    // is skipped so that an id always names one dictionary.
    for (;;) {
        uint16_t id = NextUserId_;
        NextUserId_ = static_cast<uint16_t>(NextUserId_ + 1);
        if (NextUserId_ == 65535) NextUserId_ = 0;
        bool used = false;
        for (const auto& sec : Sections_) {
            if (sec->Kind == TSectionKind::User && sec->Id == static_cast<int16_t>(id)) used = true;
        }
        if (!used) return static_cast<int16_t>(id);
    }
}

int16_t TZelvoSpell::OpenUserDictionary(const std::string& fileName) noexcept {
    int fd = open(fileName.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return -1;
    try {
        // Finish (or drop) a change a crash interrupted before reading anything.
        if (!spell::RecoverJournal(fileName, fd)) {
            close(fd);
            return -1;
        }
        int64_t headerPos = spell::SkipBanner(fd);
        TSectionHeader header;
        if (headerPos < 0 || !ReadHeaderAt(fd, headerPos, header) || header.IsMain != 0 ||
            !HeaderIsSane(header)) {
            close(fd);
            return -1;
        }
        auto sec = std::make_unique<TOpenSection>();
        sec->Header = header;
        sec->Header.HeaderPos = static_cast<int32_t>(headerPos);
        sec->NodeBase = headerPos + spell::kSectionHeaderSize - spell::kNodeSize;
        sec->Kind = TSectionKind::User;
        sec->Fd = fd;
        sec->FileName = fileName;
        sec->HeaderMap = MapUserHeaderPage(fd, headerPos, sec->HeaderMapSize);
        try {
            Sections_.reserve(Sections_.size() + 1);
        } catch (...) {
            ReleaseSection(*sec);
            return -1;
        }
        sec->Id = TakeUserId();
        sec->Open = true;
        int16_t id = sec->Id;
        Sections_.push_back(std::move(sec));
        return id;
    } catch (...) {
        close(fd);
        return -1;
    }
}

void TZelvoSpell::CloseDictionaries() noexcept {
    if (!MainOpen_) return;
    for (auto& sec : Sections_) ReleaseSection(*sec);
    Sections_.clear();
    MainOpen_ = false;
}

void TZelvoSpell::EnsureMainDictionary() noexcept {
    if (!MainOpen_) OpenDictionary(DictionaryName);
}

void TZelvoSpell::RefreshUserHeaders() noexcept {
    for (auto& sec : Sections_) {
        if (sec->Header.IsMain != 0) continue;
        TSectionHeader fresh;
        if (sec->HeaderMap) {
            uint8_t raw[spell::kSectionHeaderSize];
            std::memcpy(raw, sec->HeaderMap + sec->Header.HeaderPos, sizeof raw);
            fresh = TSectionHeader::Decode(raw);
        } else if (!ReadHeaderAt(sec->Fd, sec->Header.HeaderPos, fresh)) {
            continue;
        }
        fresh.HeaderPos = sec->Header.HeaderPos;
        // A header damaged on disk is not taken over; the copy we have stays.
        if (!HeaderIsSane(fresh)) continue;
        sec->Header = fresh;
        if (sec->NodesValid && !(fresh == sec->MirrorHeader)) sec->NodesValid = false;
    }
}

void TZelvoSpell::FillCacheBlock(TOpenSection& sec, TCacheSlot& slot, int64_t block) noexcept {
    constexpr size_t kBlockBytes = sizeof slot.Block;
    size_t got = 0;
    if (block >= 0) {
        if (sec.Map) {
            if (static_cast<size_t>(block) < sec.MapSize) {
                got = std::min(kBlockBytes, sec.MapSize - static_cast<size_t>(block));
                std::memcpy(slot.Block, sec.Map + block, got);
            }
        } else {
            got = spell::ReadAt(sec.Fd, block, slot.Block, kBlockBytes);
        }
    }
    FillUnreadable(slot.Block, got, kBlockBytes);
    slot.Tag = static_cast<int32_t>(block);
}

bool TZelvoSpell::LoadUserNodes(TOpenSection& sec) noexcept {
    try {
        const size_t nodes =
            static_cast<size_t>(std::max(sec.Header.NodeCount, sec.Header.NodeCapacity));
        sec.Nodes.resize(nodes * spell::kNodeSize);
        size_t got = spell::ReadAt(sec.Fd, sec.NodeBase + spell::kNodeSize, sec.Nodes.data(),
                                   sec.Nodes.size());
        FillUnreadable(sec.Nodes.data(), got, sec.Nodes.size());
        sec.MirrorHeader = sec.Header;
        sec.NodesValid = true;
        return true;
    } catch (...) {
        sec.Nodes.clear();
        sec.NodesValid = false;
        return false;
    }
}

TSpellNode TZelvoSpell::ReadUserNode(TOpenSection& sec, uint32_t index) noexcept {
    if (!sec.NodesValid && !LoadUserNodes(sec)) {
        // No memory for the copy: read the node from the file itself.
        uint8_t raw[spell::kNodeSize];
        size_t got = spell::ReadAt(sec.Fd, sec.NodeBase + int64_t(spell::kNodeSize) * index, raw,
                                   sizeof raw);
        FillUnreadable(raw, index == 0 ? 0 : got, sizeof raw);
        return {static_cast<uint16_t>(raw[0] | (raw[1] << 8)), raw[2]};
    }
    const size_t at = (size_t(index) - 1) * spell::kNodeSize;
    if (index == 0 || at + spell::kNodeSize > sec.Nodes.size()) {
        return {0, spell::kLastSibling};
    }
    const uint8_t* p = sec.Nodes.data() + at;
    return {static_cast<uint16_t>(p[0] | (p[1] << 8)), p[2]};
}

bool TZelvoSpell::FindInSection(int section, const uint8_t* word, size_t length) noexcept {
    uint32_t node = 1;
    size_t pos = 0;
    uint8_t code = spell::kLetterCode[word[0]];
    for (;;) {
        const TSpellNode n = ReadNode(section, node);
        if (n.LetterCode() == code) {
            if (pos + 1 == length) {
                if (n.IsWordEnd()) return true;
            } else if (n.HasChildren()) {
                node = n.Link;
                code = spell::kLetterCode[word[++pos]];
                continue;
            }
        }
        if (n.IsLastSibling() || ++node > 65535) return false;
    }
}

bool TZelvoSpell::IsWordCorrect(std::string_view word) noexcept {
    EnsureMainDictionary();
    RefreshUserHeaders();
    try {
        WordBuffer_.resize(word.size());
    } catch (...) {
        return false;
    }
    auto* w = reinterpret_cast<uint8_t*>(WordBuffer_.data());
    for (size_t i = 0; i < word.size(); ++i) w[i] = spell::kUpperCase[uint8_t(word[i])];
    size_t length = word.size();
    const int sections = SectionCount();
    for (;;) {
        if (length <= 1) return true;
        for (int s = 0; s < sections; ++s) {
            if (FindInSection(s, w, length)) return true;
        }
        // A possessive of a known word is known: DOG'S, and DOG'S'S again.
        if (w[length - 2] == '\'' && w[length - 1] == 'S') {
            length -= 2;
            continue;
        }
        return false;
    }
}

}  // namespace quill
