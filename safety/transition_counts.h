// How many transitions (flash_rules.h) each area made within the last
// second, of each kind. Frames come in the order they are shown, each with
// its time; the second before a frame holds the frames later than one
// second before it (at 60 frames a second: that frame and the 59 before it).
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "safety/area_sums.h"

class TransitionCounts {
  public:
    static constexpr int64_t kSecondUs = 1000000;

    TransitionCounts();

    // The frame shown at `time_us` begins (microseconds, never decreasing):
    // transitions of frames one second or more before it are forgotten.
    void next_frame(int64_t time_us);
    // Area `area` made a transition of kind `kind` in the frame begun last.
    void add(int area, FlashKind kind);

    // Transitions of a kind within the second, per area (kAreas).
    const uint16_t* counts(FlashKind kind) const { return counts_[kind].data(); }
    // Areas with more than kMaxTransitions of a kind within the second.
    int over(FlashKind kind) const { return over_[kind]; }

  private:
    struct Frame {
        int64_t time_us;
        std::vector<uint32_t> events; // area * kFlashKinds + kind
    };
    std::deque<Frame> frames_;
    std::array<std::vector<uint16_t>, kFlashKinds> counts_;
    std::array<int, kFlashKinds> over_{};
};
