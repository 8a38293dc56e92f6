#pragma once
// Small pieces the benchmark programs share: the clock they time with and
// the way they summarise a row of samples.

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace quill::bench {

// CPU time of this process in seconds, so that other work on a shared
// machine does not skew the figures.
inline double CpuNow() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

using WallClock = std::chrono::steady_clock;

// Wall time since START in milliseconds, for work that waits on the disk or
// the window system as well as computing.
inline double MillisSince(WallClock::time_point start) {
  return std::chrono::duration<double, std::milli>(WallClock::now() - start).count();
}

// The nearest-rank percentile: the smallest sample that at least the
// fraction Q (0.5 the median, 0.99, 1 the slowest) of the samples do not
// exceed; 0 without samples.
inline double Percentile(std::vector<double> v, double q) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  // The allowance keeps a product like 0.99 * 100 that lands a hair above
  // the whole number from moving up one rank.
  const double rank = std::ceil(q * double(v.size()) - 1e-9);
  return v[size_t(std::clamp(rank, 1.0, double(v.size()))) - 1];
}

}  // namespace quill::bench
