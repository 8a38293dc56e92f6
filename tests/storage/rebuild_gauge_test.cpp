// The "Rebuild Indexes" gauge: the pack shows the engine's percentage, the
// index build a quarter of the sum of its rises.

#include "storage/rebuild_gauge.h"

#include <gtest/gtest.h>

#include <vector>

namespace quill {
namespace {

struct GaugeCase {
    const char* name;
    std::vector<int> packReports;
    std::vector<int> indexReports;
    int expected;  // the gauge after the last report
};

TEST(RebuildGauge, FollowsThePackAndAddsUpTheIndexRises) {
    const GaugeCase cases[] = {
        {"pack shows the percentage", {0, 37, 64}, {}, 64},
        {"index starts at 0", {0, 50, 100}, {0}, 0},
        {"one index run fills a quarter", {}, {0, 50, 100}, 25},
        {"four runs fill it", {}, {0, 100, 0, 100, 0, 100, 0, 100}, 100},
        {"a fall adds nothing, then adding resumes from the low", {}, {0, 80, 20, 60}, 30},
        {"repeats add nothing", {}, {40, 40, 40}, 10},
        {"half rounds to even: 2/4", {}, {2}, 0},
        {"half rounds to even: 6/4", {}, {6}, 2},
        {"half rounds to even: 10/4", {}, {10}, 2},
        {"three quarters round up", {}, {7}, 2},
        {"a quarter rounds down", {}, {5}, 1},
        {"more than four runs stays full", {}, {100, 0, 100, 0, 100, 0, 100, 0, 100}, 100},
        // The pack's reports do not count as rises of the index.
        {"pack leaves the index sum alone", {0, 100}, {100}, 25},
    };
    for (const auto& c : cases) {
        TRebuildGauge gauge;
        int shown = -1;
        if (!c.packReports.empty()) {
            gauge.Start(RebuildPhase::Pack);
            for (int v : c.packReports) shown = gauge.Report(v);
        }
        if (!c.indexReports.empty()) {
            gauge.Start(RebuildPhase::Index);
            EXPECT_EQ(gauge.Position(), 0) << c.name;
            for (int v : c.indexReports) shown = gauge.Report(v);
        }
        EXPECT_EQ(shown, c.expected) << c.name;
        EXPECT_EQ(gauge.Position(), c.expected) << c.name;
    }
}

TEST(RebuildGauge, QuarterOfTotal) {
    const struct {
        long total;
        int quarter;
    } cases[] = {{0, 0}, {-3, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {6, 2}, {14, 4}, {18, 4}, {22, 6}, {398, 100}, {400, 100}, {1000, 100}};
    for (const auto& c : cases) EXPECT_EQ(QuarterOfTotal(c.total), c.quarter) << c.total;
}

}  // namespace
}  // namespace quill
