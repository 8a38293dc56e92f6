#include "spell/engine/similarity.h"

#include <algorithm>

namespace quill {

namespace {

constexpr int kMaxLength = 30;

// Strings are 1-based here; the matcher may look one place past a range
// whose run reached its end, where it must find no match, so the buffers
// carry distinct padding bytes beyond the text.
struct MatchState {
    unsigned char a[kMaxLength + 4];
    unsigned char b[kMaxLength + 4];
    int total = 0;

    void Match(int a1, int a2, int b1, int b2) {
        if (a1 == a2 || b1 == b2) return;
        int best = 0;
        int startA = 0;
        int startB = 0;
        int limitA = a2;
        int limitB = b2;
        int i = a1 - 1;
        while (i < limitA) {
            ++i;
            int j = b1 - 1;
            while (j < limitB) {
                ++j;
                if (a[i] != b[j]) continue;
                int run = 0;
                while (i + run <= limitA && j + run <= limitB && a[i + run] == b[j + run]) ++run;
                if (run > best) {
                    best = run;
                    startA = i;
                    startB = j;
                    limitA = a2 - best - 1;
                    limitB = b2 - best - 1;
                    i += run;
                }
                j += run;
            }
        }
        if (best > 0) {
            total += 2 * best;
            Match(startA + best, a2, startB + best, b2);
            Match(a1, startA - 1, b1, startB - 1);
        }
    }
};

}  // namespace

int SimilarityScore(std::string_view candidate, std::string_view word) {
    const int la = static_cast<int>(std::min<std::size_t>(candidate.size(), kMaxLength));
    const int lb = static_cast<int>(std::min<std::size_t>(word.size(), kMaxLength));
    if (la + lb == 0) return 0;
    MatchState st;
    // Padding differs between the two buffers so that a look past the end
    // never counts as equal.
    std::fill(std::begin(st.a), std::end(st.a), 0x00);
    std::fill(std::begin(st.b), std::end(st.b), 0xFF);
    std::copy_n(candidate.begin(), la, st.a + 1);
    std::copy_n(word.begin(), lb, st.b + 1);
    st.Match(1, la, 1, lb);
    return st.total * 100 / (la + lb);
}

}  // namespace quill
