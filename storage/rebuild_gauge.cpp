#include "storage/rebuild_gauge.h"

#include <algorithm>

namespace quill {

int QuarterOfTotal(long total) {
    if (total <= 0) return 0;
    // Whole numbers only: a quarter in floating point can land a hair off
    // the half and round the wrong way.
    long q = total / 4;
    const long r = total % 4;
    if (r == 3 || (r == 2 && q % 2 == 1)) ++q;
    return int(std::min(q, 100L));
}

void TRebuildGauge::Start(RebuildPhase phase) {
    phase_ = phase;
    position_ = 0;
}

int TRebuildGauge::Report(int percent) {
    if (phase_ == RebuildPhase::Pack) {
        position_ = std::clamp(percent, 0, 100);
        return position_;
    }
    if (percent > last_) total_ += percent - last_;
    last_ = percent;
    position_ = QuarterOfTotal(total_);
    return position_;
}

}  // namespace quill
