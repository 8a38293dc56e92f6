// GetSuggestions: replacement candidates for a word that failed lookup.
//
// Every open section is walked once per alternative first letter. The walk
// only descends below a prefix whose sound key still agrees with the key of
// the misspelled word, so a large dictionary is visited in small patches.
// Each word reached is scored and filed in a fixed-size ranked list; two-word
// splits of the misspelled word are filed too, and the results are given
// the capitalisation of the word as typed.

#include "spell/engine/case_transfer.h"
#include "spell/engine/first_letters.h"
#include "spell/engine/ranked_list.h"
#include "spell/engine/sound_key.h"
#include "spell/engine/zelvo_spell.h"

#include <memory>
#include <new>

namespace quill {

namespace {

constexpr std::size_t kMaxWord = 25;    // longer words are searched on their start
constexpr int kMaxPrefix = 40;          // deepest walk prefix
// A damaged file could link a group back to one of its ancestors; the walk
// then stops after this many node reads instead of running on. A sound
// dictionary never comes near it.
constexpr long kNodeBudget = 4'000'000;
constexpr int kMaxGroup = 64;           // one node per letter code

// Sound key of the walk prefix, built one character at a time. The prefix
// agrees with the target key as long as every class it appended equals the
// target's byte at that place; positions it has not filled yet are taken
// from the target and so always agree.
struct PrefixKey {
    std::uint8_t classes[4];
    int filled = 0;  // positions 1..filled are set (first character included)
};

class SuggestionWalk {
public:
    SuggestionWalk(TZelvoSpell& engine, TRankedList& ranked, std::string_view word,
                   const SoundKey& target)
        : engine_(engine), ranked_(ranked), word_(word), target_(target) {}

    void WalkSection(int section) {
        section_ = section;
        WalkGroup(1, 0, PrefixKey{});
    }

private:
    void WalkGroup(std::uint32_t first, int depth, const PrefixKey& key) {
        std::uint32_t index = first;
        for (int n = 0; n < kMaxGroup; ++n, ++index) {
            if (budget_ <= 0) return;
            --budget_;
            const spell::TSpellNode node = engine_.ReadNode(section_, index);
            const std::uint8_t ch = node.Character();
            prefix_[depth] = static_cast<char>(ch);
            if (node.IsWordEnd()) ranked_.Rank(std::string_view(prefix_, depth + 1), word_);
            if (node.HasChildren() && depth + 1 < kMaxPrefix) {
                PrefixKey child = key;
                if (Extend(child, ch, depth)) WalkGroup(node.Link, depth + 1, child);
            }
            if (node.IsLastSibling()) return;
        }
    }

    // Adds ch (at 0-based place depth) to the key; false when the key of the
    // longer prefix no longer agrees with the target.
    bool Extend(PrefixKey& key, std::uint8_t ch, int depth) const {
        if (depth == 0) {
            key.classes[0] = ch;
            key.filled = 1;
            return ch == target_[0];
        }
        if (key.filled == 4 || IsSoundIgnored(ch)) return true;
        const std::uint8_t cls = SoundClassOf(ch);
        for (int q = 1; q < key.filled; ++q) {
            if (key.classes[q] == cls) return true;  // repeats are dropped from the key
        }
        key.classes[key.filled] = cls;
        return cls == target_[key.filled++];
    }

    TZelvoSpell& engine_;
    TRankedList& ranked_;
    std::string_view word_;
    const SoundKey& target_;
    int section_ = 0;
    long budget_ = kNodeBudget;
    char prefix_[kMaxPrefix];
};

bool IsAOrI(char c) { return c == 'A' || c == 'I'; }

}  // namespace

const std::vector<std::string>& TZelvoSpell::GetSuggestions(std::string_view word) noexcept {
    try {
        SuggestionList_.clear();
        EnsureMainDictionary();
        RefreshUserHeaders();

        const std::string typed(word.substr(0, kMaxWord));
        std::string m(typed);
        for (char& c : m) c = static_cast<char>(ToUpper(static_cast<std::uint8_t>(c)));
        if (m.empty()) return SuggestionList_;

        // The list is sizeable (255 entries); keep it off the stack.
        auto ranked = std::make_unique<TRankedList>(MaxSuggestions());

        SoundKey key = SoundKeyZeroFill(m);
        SuggestionWalk walk(*this, *ranked, m, key);
        for (char alt : FirstLetterAlternatives(static_cast<std::uint8_t>(m[0]))) {
            key[0] = static_cast<std::uint8_t>(alt);
            for (int section = 0; section < SectionCount(); ++section) walk.WalkSection(section);
        }

        // Two words run together. A split may leave a one-letter part only
        // where that part is A or I.
        const int length = static_cast<int>(m.size());
        const int first = IsAOrI(m.front()) ? 1 : 2;
        const int last = IsAOrI(m.back()) ? length - 1 : length - 2;
        for (int d = first; d <= last; ++d) {
            const std::string_view left = std::string_view(m).substr(0, d);
            const std::string_view right = std::string_view(m).substr(d);
            if (IsWordCorrect(left) && IsWordCorrect(right)) {
                std::string pair;
                pair.reserve(m.size() + 1);
                pair.append(left).append(1, ' ').append(right);
                ranked->Rank(pair, m);
            }
        }

        SuggestionList_.reserve(ranked->Count());
        for (int i = 0; i < ranked->Count(); ++i) {
            SuggestionList_.push_back(TransferCase((*ranked)[i].Text(), typed));
        }
    } catch (...) {
        // Out of memory: offer nothing rather than fail the caller.
        SuggestionList_.clear();
    }
    return SuggestionList_;
}

}  // namespace quill
