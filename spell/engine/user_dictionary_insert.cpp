// TZelvoSpell: creating user dictionaries and adding words to them.
//
// A word is inserted into an in-memory copy of the user dictionary's nodes
// with the trie's shift-and-renumber algorithm; the bytes that changed are
// then written through the journal (user_dictionary_journal.h), so a crash
// at any moment leaves either the old or the new dictionary on disk.

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "spell/engine/spell_file_io.h"
#include "spell/engine/user_dictionary_journal.h"
#include "spell/engine/zelvo_spell.h"

namespace quill {

using spell::TSectionHeader;
using spell::TSectionKind;
using spell::TSpellNode;

namespace {

constexpr size_t kMaxUserWord = 25;
constexpr int32_t kUserNodeLimit = 63999;
constexpr int32_t kNewUserCapacity = 500;
constexpr uint8_t kFreeNode[spell::kNodeSize] = {spell::kFreeLink & 0xFF, spell::kFreeLink >> 8,
                                                 spell::kLastSibling | spell::kWordEnd};
constexpr char kUserBanner[] =
    "USER DICTIONARY\r\n"
    "Quillbook word list: 17-byte section header, then 3-byte letter-trie nodes\r\n"
    "\x1A";

// Node bytes of one user dictionary while a word goes in; node i (1-based)
// at 3 * (i - 1).
struct TTrieImage {
    std::vector<uint8_t> Bytes;
    int32_t NodeCount = 0;

    TSpellNode Get(uint32_t i) const {
        size_t at = (size_t(i) - 1) * spell::kNodeSize;
        if (i == 0 || at + spell::kNodeSize > Bytes.size()) return {0, spell::kLastSibling};
        return {static_cast<uint16_t>(Bytes[at] | (Bytes[at + 1] << 8)), Bytes[at + 2]};
    }
    void Reserve(uint32_t i) {
        size_t need = size_t(i) * spell::kNodeSize;
        while (Bytes.size() < need) Bytes.insert(Bytes.end(), kFreeNode, kFreeNode + 3);
    }
    void Set(uint32_t i, uint16_t link, uint8_t flags) {
        Reserve(i);
        size_t at = (size_t(i) - 1) * spell::kNodeSize;
        Bytes[at] = static_cast<uint8_t>(link & 0xFF);
        Bytes[at + 1] = static_cast<uint8_t>(link >> 8);
        Bytes[at + 2] = flags;
    }
    void RenumberFrom(uint32_t first, uint32_t last, uint32_t k) {
        for (uint32_t i = first; i <= last; ++i) {
            TSpellNode n = Get(i);
            if (n.Link > k && n.Link != spell::kFreeLink) Set(i, n.Link + 1, n.Flags);
        }
    }

    // Makes room at index k: nodes k.. move up by one, links into the moved
    // range follow them; a link equal to k keeps pointing at index k, so the
    // parent of k's group now reaches the node put there.
    void OpenGap(uint32_t k) {
        const uint32_t count = static_cast<uint32_t>(NodeCount);
        if (count >= k) {
            Reserve(count + 1);
            std::memmove(&Bytes[size_t(k) * 3], &Bytes[size_t(k - 1) * 3],
                         size_t(count - k + 1) * 3);
            RenumberFrom(k + 1, count + 1, k);
            Set(k, 0, 0);
            RenumberFrom(1, k - 1, k);
        }
        ++NodeCount;
    }

    // The chain of nodes spelling `codes`, its first node at index k.
    void InsertChain(uint32_t k, const uint8_t* codes, size_t n) {
        OpenGap(k);
        Set(k, static_cast<uint16_t>(NodeCount + 1), codes[0]);
        for (size_t c = 1; c < n; ++c) {
            ++NodeCount;
            Set(static_cast<uint32_t>(NodeCount), static_cast<uint16_t>(NodeCount + 1),
                codes[c] | spell::kLastSibling);
        }
        const uint32_t last = n == 1 ? k : static_cast<uint32_t>(NodeCount);
        uint8_t flags = static_cast<uint8_t>(codes[n - 1] | spell::kWordEnd);
        if (last != k) flags |= spell::kLastSibling;
        Set(last, 0, flags);
    }

    // Inserts the letter codes of an upper-cased word. Nodes are matched by
    // letter code, the same comparison lookup makes, so a character outside
    // the alphabet (stored as A) never puts a second A node in a group.
    void InsertWord(const uint8_t* codes, size_t n) {
        uint32_t g = 1;
        for (;;) {
            uint32_t m = 0;
            for (uint32_t i = g; i <= static_cast<uint32_t>(NodeCount); ++i) {
                TSpellNode node = Get(i);
                if (node.LetterCode() == codes[0]) {
                    m = i;
                    break;
                }
                if (node.IsLastSibling()) break;
            }
            if (m == 0) {
                InsertChain(g, codes, n);
                return;
            }
            TSpellNode found = Get(m);
            ++codes;
            --n;
            if (n == 0) {
                Set(m, found.Link, found.Flags | spell::kWordEnd);
                return;
            }
            if (found.HasChildren()) {
                g = found.Link;
                continue;
            }
            const uint32_t at = static_cast<uint32_t>(NodeCount) + 1;
            InsertChain(at, codes, n);
            Set(m, static_cast<uint16_t>(at), found.Flags);
            TSpellNode first = Get(at);
            Set(at, first.Link, first.Flags | spell::kLastSibling);
            return;
        }
    }
};

// Byte ranges where `after` differs from `before` (ranges closer than a few
// bytes are merged), as file changes at `base`.
void AddDifferences(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                    int64_t base, std::vector<spell::TFileChange>& changes) {
    const size_t n = after.size();
    size_t i = 0;
    while (i < n) {
        if (i < before.size() && before[i] == after[i]) {
            ++i;
            continue;
        }
        size_t end = i + 1, same = 0;
        for (size_t j = end; j < n && same < 16; ++j) {
            if (j < before.size() && before[j] == after[j]) {
                ++same;
            } else {
                same = 0;
                end = j + 1;
            }
        }
        spell::TFileChange c;
        c.Offset = base + static_cast<int64_t>(i);
        c.Bytes.assign(after.begin() + i, after.begin() + end);
        changes.push_back(std::move(c));
        i = end;
    }
}

}  // namespace

bool TZelvoSpell::InsertUserWord(TOpenSection& sec, std::string_view word) noexcept {
    return InsertUserWords(sec, std::vector<std::string_view>{word});
}

bool TZelvoSpell::InsertUserWords(TOpenSection& sec,
                                  const std::vector<std::string_view>& words) noexcept {
    try {
        if (sec.Kind != TSectionKind::User) return false;
        if (!sec.NodesValid && !LoadUserNodes(sec)) return false;
        TTrieImage image;
        image.Bytes = sec.Nodes;
        image.NodeCount = sec.Header.NodeCount;
        TSectionHeader header = sec.Header;
        bool changed = false;
        uint8_t codes[kMaxUserWord];
        for (std::string_view word : words) {
            if (word.empty() || word.size() > kMaxUserWord ||
                int64_t(word.size()) + image.NodeCount > kUserNodeLimit) {
                continue;
            }
            for (size_t i = 0; i < word.size(); ++i) {
                codes[i] = spell::kLetterCode[spell::kUpperCase[uint8_t(word[i])]];
            }
            image.InsertWord(codes, word.size());
            ++header.WordCount;  // counted even when the word was there already
            changed = true;
        }
        if (!changed) return true;
        header.NodeCount = image.NodeCount;

        std::vector<spell::TFileChange> changes;
        AddDifferences(sec.Nodes, image.Bytes, sec.NodeBase + spell::kNodeSize, changes);
        spell::TFileChange headerChange;
        headerChange.Offset = sec.Header.HeaderPos;
        headerChange.Bytes.resize(spell::kSectionHeaderSize);
        header.Encode(headerChange.Bytes.data());
        changes.push_back(std::move(headerChange));  // header last: it publishes the change

        if (!spell::ApplyChangesDurably(sec.FileName, sec.Fd, changes)) {
            // The file may be part-way; re-read everything before the next use.
            sec.NodesValid = false;
            return false;
        }
        sec.Nodes = std::move(image.Bytes);
        sec.Header = header;
        sec.MirrorHeader = header;
        sec.NodesValid = true;
        return true;
    } catch (...) {
        return false;
    }
}

bool TZelvoSpell::AddWord(std::string_view word, int16_t userDictionaryId) noexcept {
    EnsureMainDictionary();
    RefreshUserHeaders();
    TOpenSection* target = nullptr;
    for (auto& sec : Sections_) {
        // Only user dictionaries carry ids; -1 (a failed open) names none.
        if (sec->Kind == TSectionKind::User && sec->Id == userDictionaryId) target = sec.get();
    }
    if (!target) return false;
    // A change left half-applied by a failed write is completed first, so
    // that the next change is made on top of a whole trie.
    if (access(spell::JournalPathOf(target->FileName).c_str(), F_OK) == 0) {
        if (!spell::RecoverJournal(target->FileName, target->Fd)) return true;
        target->NodesValid = false;
        RefreshUserHeaders();
    }
    InsertUserWord(*target, word);
    return true;
}

int16_t TZelvoSpell::CreateUserDictionary(const std::string& fileName,
                                          const std::vector<std::string>& words) noexcept {
    try {
        std::vector<uint8_t> image(kUserBanner, kUserBanner + sizeof kUserBanner - 1);
        TSectionHeader header;
        header.NodeCount = 1;
        header.NodeCapacity = kNewUserCapacity;
        header.WordCount = 1;
        header.IsMain = 0;
        header.HeaderPos = static_cast<int32_t>(image.size());
        image.resize(image.size() + spell::kSectionHeaderSize);
        header.Encode(image.data() + header.HeaderPos);
        const uint8_t nodeA[spell::kNodeSize] = {0, 0, spell::kLastSibling | spell::kWordEnd};
        image.insert(image.end(), nodeA, nodeA + 3);
        for (int i = 1; i < kNewUserCapacity; ++i) image.insert(image.end(), kFreeNode, kFreeNode + 3);

        // The new file is written and synced beside the old name, then renamed
        // over it: a crash never leaves a half-written dictionary.
        const std::string temp = fileName + ".new";
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return -1;
        bool ok = spell::WriteAt(fd, 0, image.data(), image.size()) && fsync(fd) == 0;
        close(fd);
        // A journal left for an older file of that name must not touch the new one.
        if (ok) {
            const std::string journal = spell::JournalPathOf(fileName);
            ok = unlink(journal.c_str()) == 0 || errno == ENOENT;
        }
        if (!ok || rename(temp.c_str(), fileName.c_str()) != 0) {
            unlink(temp.c_str());
            return -1;
        }
        spell::SyncFolderOf(fileName);

        fd = open(fileName.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) return -1;
        auto sec = std::make_unique<TOpenSection>();
        sec->Header = header;
        sec->NodeBase = header.HeaderPos + spell::kSectionHeaderSize - spell::kNodeSize;
        sec->Kind = TSectionKind::User;
        sec->Fd = fd;
        sec->FileName = fileName;
        sec->Nodes.assign(image.begin() + header.HeaderPos + spell::kSectionHeaderSize, image.end());
        sec->MirrorHeader = header;
        sec->NodesValid = true;
        sec->HeaderMap = MapUserHeaderPage(fd, header.HeaderPos, sec->HeaderMapSize);
        try {
            Sections_.reserve(Sections_.size() + 1);
        } catch (...) {
            ReleaseSection(*sec);
            return -1;
        }
        sec->Id = TakeUserId();
        sec->Open = true;
        TOpenSection& added = *sec;
        Sections_.push_back(std::move(sec));

        if (!words.empty()) {
            std::vector<std::string_view> sorted(words.begin(), words.end());
            std::sort(sorted.begin(), sorted.end());
            InsertUserWords(added, sorted);
        }
        return added.Id;
    } catch (...) {
        return -1;
    }
}

}  // namespace quill
