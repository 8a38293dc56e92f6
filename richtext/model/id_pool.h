#pragma once
// Hands out the 16-bit numbers that name footnotes and objects, without
// walking their chains for every new one.

#include <cstdint>
#include <vector>

namespace quill {

class TIdPool {
 public:
  // Numbers start at first (1 for ids, 2000 for object keys).
  explicit TIdPool(unsigned first) : first_(first) { Reset(); }

  // The chain was emptied: every number is free again.
  void Reset() {
    highest_ = first_ - 1;
    cursor_ = 0;
    used_.clear();
  }

  // A number given from outside (a key read from a file) is in use.
  void Take(unsigned n) {
    if (n > 65535) return;
    if (n > highest_) highest_ = n;
    if (!used_.empty()) Mark(n);
  }

  // One more than the highest number in use. Once 65535 has been handed out,
  // the lowest free number from first, then from 1: visitUsed(mark) is then
  // called once to learn which numbers the chain still holds, and a cursor
  // that only moves forward finds the free ones. 0 when every number is
  // taken; a number freed after that comes back once the chain is emptied.
  template <class VisitUsed>
  uint16_t Next(VisitUsed&& visitUsed) {
    if (highest_ < 65535) {
      ++highest_;
      if (!used_.empty()) Mark(highest_);
      return uint16_t(highest_);
    }
    if (used_.empty()) {
      used_.assign(65536 / 64, 0);
      visitUsed([this](unsigned n) {
        if (n >= 1 && n <= 65535) Mark(n);
      });
      cursor_ = 0;
    }
    for (; cursor_ < 65535; ++cursor_) {
      const unsigned n = NumberAt(cursor_);
      if (!IsUsed(n)) {
        Mark(n);
        ++cursor_;
        return uint16_t(n);
      }
    }
    return 0;
  }

 private:
  // The k-th number of the search for a free one: first..65535, then 1.
  unsigned NumberAt(unsigned k) const { return (first_ - 1 + k) % 65535 + 1; }
  void Mark(unsigned n) { used_[n / 64] |= uint64_t(1) << (n % 64); }
  bool IsUsed(unsigned n) const { return (used_[n / 64] >> (n % 64)) & 1; }

  unsigned first_;
  unsigned highest_ = 0;
  unsigned cursor_ = 0;  // position in the search for a free number
  std::vector<uint64_t> used_;  // filled only once the numbers ran out
};

}  // namespace quill
