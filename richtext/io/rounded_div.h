#pragma once
// The one rounding the RTF reader and writer share where a number goes out
// and comes back (a table cell's edge and its share of the row): both round
// alike, so a page saved again keeps its numbers.

#include <cstdint>

namespace quill {

// n / d rounded to the nearest whole number, halves away from zero (d > 0).
inline int64_t RoundedDiv(int64_t n, int64_t d) { return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d); }

}  // namespace quill
