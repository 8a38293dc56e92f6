#pragma once
// What the "Rebuild Indexes" gauge shows for the engine's progress reports.
// While packing the gauge follows the engine's percentage. The index build
// reports several runs from 0 to 100, so its gauge adds up every rise and
// shows a quarter of the sum: four full runs fill it.

namespace quill {

enum class RebuildPhase { Pack, Index };

class TRebuildGauge {
public:
    // Starts a phase with the gauge at 0; the sum of the index rises and the
    // last reported value carry on from earlier reports.
    void Start(RebuildPhase phase);
    // Takes one report of the engine (0-100) and returns the gauge position.
    int Report(int percent);

    RebuildPhase Phase() const { return phase_; }
    int Position() const { return position_; }
    long Total() const { return total_; }

private:
    RebuildPhase phase_ = RebuildPhase::Pack;
    long total_ = 0;
    int last_ = 0;
    int position_ = 0;
};

// A quarter of TOTAL rounded to the nearest whole number, halves to the even
// neighbour, at most 100.
int QuarterOfTotal(long total);

}  // namespace quill
