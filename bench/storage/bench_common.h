#pragma once
// Shared pieces of the storage benchmark: the clock, the sample diary and
// one row of figures per operation, measured on both stores.

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "dates/date_keys.h"

namespace quill::bench {

using Clock = std::chrono::steady_clock;

inline double MicrosSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double Median(std::vector<double> values);

// A day's entry of about BYTES bytes, as the editor writes it: RTF header,
// font and colour tables, paragraphs of words, CR LF line breaks.
std::string SampleEntry(std::mt19937& rng, size_t bytes);

// The keys of COUNT consecutive days starting at FIRST.
std::vector<std::string> ConsecutiveKeys(Date first, int count);

// Results of one store, in microseconds.
struct StoreFigures {
    double open = 0;
    double seekMedian = 0;
    double updateSync = 0;
    double updateNoSync = 0;
    double append = 0;
    double walkMemos = 0;
    double rebuild = 0;
    double pack = 0;
    double dailyBackup = 0;  // copy of the three files before a day's first change; 0 = the store has none
    // A fresh diary of every key with every removeForPackRebuild-th entry
    // removed: removing them for good and building the index from scratch,
    // as "Rebuild Indexes" does (the files kept before the pack included).
    double packRebuild = 0;
};

struct BenchSetup {
    std::string folder;              // a fresh temporary folder per store
    std::vector<std::string> keys;   // in date order
    std::vector<std::string> texts;  // one per key
    std::vector<std::string> probeKeys;  // random existing keys for seeks
    std::vector<std::string> newDayKeys;  // days after the last one, appended one by one
    int removeEvery = 100;           // every n-th entry is removed before the pack
    int removeForPackRebuild = 10;   // 2,000 of 20,000
    int updateRounds = 20;
    int openRounds = 10;  // open and close again, the median counts
};

}  // namespace quill::bench
