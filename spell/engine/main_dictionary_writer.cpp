#include "spell/engine/main_dictionary_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <string_view>
#include <unordered_set>
#include <unistd.h>

#include "spell/engine/spell_file_io.h"
#include "spell/engine/zelvo_spell.h"

namespace quill::spell {
namespace {

constexpr char kMainBanner[] =
    "QUILLBOOK MAIN DICTIONARY\r\n"
    "Quillbook word list: 17-byte section headers, each followed by 3-byte letter-trie nodes\r\n"
    "\x1A";

// One section's trie while it is being built: nodes in insertion order, each
// with its children's indexes (words arrive sorted, so while building a new
// child is always the last of its group).
struct TBuildTrie {
    struct Node {
        uint8_t Code = 0;
        bool WordEnd = false;
        std::vector<uint32_t> Children;
    };
    std::vector<Node> Nodes{Node{}};  // [0] is the root, not stored in the file
    std::vector<uint32_t> Path;       // nodes of the previous word, by depth
    std::string Previous;
    size_t Words = 0;

    size_t StoredNodes() const { return Nodes.size() - 1; }

    void Add(const std::string& word) {
        size_t common = 0;
        while (common < word.size() && common < Previous.size() &&
               word[common] == Previous[common]) {
            ++common;
        }
        Path.resize(common);
        uint32_t parent = common == 0 ? 0 : Path[common - 1];
        for (size_t i = common; i < word.size(); ++i) {
            Node n;
            n.Code = kLetterCode[uint8_t(word[i])];
            Nodes.push_back(std::move(n));
            const auto index = static_cast<uint32_t>(Nodes.size() - 1);
            Nodes[parent].Children.push_back(index);
            Path.push_back(index);
            parent = index;
        }
        Nodes[parent].WordEnd = true;
        Previous = word;
        ++Words;
    }

    // File layout: each sibling group is a run of consecutive nodes, placed
    // depth first so that a subtree's groups lie close together.
    // Lookup scans a group linearly, so each group lists the letters that
    // lead to the most words first.
    std::vector<uint8_t> Serialize() {
        std::vector<uint32_t> words(Nodes.size(), 0);
        for (size_t i = Nodes.size(); i-- > 0;) {  // children always follow their parent
            words[i] += Nodes[i].WordEnd ? 1 : 0;
            for (uint32_t c : Nodes[i].Children) words[i] += words[c];
        }
        for (auto& n : Nodes) {
            std::stable_sort(n.Children.begin(), n.Children.end(),
                             [&](uint32_t a, uint32_t b) { return words[a] > words[b]; });
        }
        std::vector<uint8_t> out(StoredNodes() * kNodeSize);
        uint32_t next = 1;
        PlaceGroup(0, next, out);
        return out;
    }

private:
    // Places the child group of `parent` at `next` onward; returns its start.
    uint32_t PlaceGroup(uint32_t parent, uint32_t& next, std::vector<uint8_t>& out) const {
        const auto& group = Nodes[parent].Children;
        const uint32_t start = next;
        next += static_cast<uint32_t>(group.size());
        for (size_t i = 0; i < group.size(); ++i) {
            const Node& n = Nodes[group[i]];
            uint32_t link = n.Children.empty() ? 0 : PlaceGroup(group[i], next, out);
            uint8_t flags = n.Code;
            if (i + 1 == group.size()) flags |= kLastSibling;
            if (n.WordEnd) flags |= kWordEnd;
            uint8_t* p = &out[size_t(start + i - 1) * kNodeSize];
            p[0] = static_cast<uint8_t>(link & 0xFF);
            p[1] = static_cast<uint8_t>(link >> 8);
            p[2] = flags;
        }
        return start;
    }
};

bool AllInAlphabet(std::string_view word) {
    for (char c : word) {
        if (!InAlphabet(static_cast<uint8_t>(c))) return false;
    }
    return true;
}

}  // namespace

bool BuildMainDictionary(const std::vector<std::string>& words, const std::string& path,
                         TDictionaryBuildStats* stats, int nodeLimit) noexcept {
    try {
        return BuildMainDictionaryInTiers({words}, path, stats, nodeLimit);
    } catch (...) {
        return false;
    }
}

bool BuildMainDictionaryInTiers(const std::vector<std::vector<std::string>>& tiers,
                                const std::string& path, TDictionaryBuildStats* stats,
                                int nodeLimit) noexcept {
    try {
        TDictionaryBuildStats st;
        if (nodeLimit < 1 || nodeLimit > kMaxSectionNodes) nodeLimit = kMaxSectionNodes;

        std::vector<TBuildTrie> sections;
        std::unordered_set<std::string> earlierTiers;
        for (const auto& words : tiers) {
            st.WordsGiven += words.size();
            std::vector<std::string> upper;
            upper.reserve(words.size());
            for (const auto& w : words) {
                if (w.empty() || !AllInAlphabet(w) || w.size() > static_cast<size_t>(nodeLimit)) {
                    ++st.WordsSkipped;
                    continue;
                }
                std::string u(w);
                for (char& c : u) c = static_cast<char>(kUpperCase[uint8_t(c)]);
                upper.push_back(std::move(u));
            }
            std::sort(upper.begin(), upper.end());
            const size_t before = upper.size();
            upper.erase(std::unique(upper.begin(), upper.end()), upper.end());
            // A word in two sections would be suggested twice.
            std::erase_if(upper, [&](const std::string& u) { return earlierTiers.count(u) != 0; });
            st.Duplicates += before - upper.size();
            if (upper.empty()) continue;

            // Each tier starts a section of its own, so that its words are
            // reached first; a word that would push a section past the limit
            // starts the next one.
            sections.emplace_back();
            for (const auto& w : upper) {
                TBuildTrie* cur = &sections.back();
                size_t common = 0;
                while (common < w.size() && common < cur->Previous.size() &&
                       w[common] == cur->Previous[common]) {
                    ++common;
                }
                if (cur->StoredNodes() + (w.size() - common) > static_cast<size_t>(nodeLimit)) {
                    sections.emplace_back();
                    cur = &sections.back();
                }
                cur->Add(w);
                ++st.WordsStored;
            }
            if (&words != &tiers.back()) earlierTiers.insert(upper.begin(), upper.end());
        }
        if (sections.empty()) sections.emplace_back();

        std::vector<uint8_t> file(kMainBanner, kMainBanner + sizeof kMainBanner - 1);
        for (auto& sec : sections) {
            TSectionHeader h;
            h.NodeCount = static_cast<int32_t>(sec.StoredNodes());
            // A further section is only read when the file goes on for more
            // than 20 bytes past the previous one: a section of one node
            // (17 + 3 bytes) would be taken for slack, so it gets a spare slot.
            h.NodeCapacity = std::max<int32_t>(h.NodeCount, 2);
            h.WordCount = static_cast<int32_t>(sec.Words);
            h.IsMain = 1;
            h.HeaderPos = static_cast<int32_t>(file.size());
            uint8_t raw[kSectionHeaderSize];
            h.Encode(raw);
            file.insert(file.end(), raw, raw + sizeof raw);
            std::vector<uint8_t> nodes = sec.Serialize();
            file.insert(file.end(), nodes.begin(), nodes.end());
            for (int32_t i = h.NodeCount; i < h.NodeCapacity; ++i) {
                const uint8_t spare[kNodeSize] = {kFreeLink & 0xFF, kFreeLink >> 8,
                                                  kLastSibling | kWordEnd};
                file.insert(file.end(), spare, spare + kNodeSize);
            }
            st.Nodes += sec.StoredNodes();
        }
        st.Sections = sections.size();
        st.FileBytes = file.size();

        const std::string temp = path + ".new";
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        bool ok = WriteAt(fd, 0, file.data(), file.size()) && fsync(fd) == 0;
        close(fd);
        if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
            unlink(temp.c_str());
            return false;
        }
        SyncFolderOf(path);
        if (stats) *stats = st;
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace quill::spell
