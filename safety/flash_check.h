// The flash check: frames in the order they are shown, each with its time,
// counted against the general-flash and red-flash rules (flash_rules.h).
// Each second of the show is judged by the one-second spans that end in it:
// it fails when in one of them some area makes more than six transitions of
// a kind. Its worst count is the most transitions of one area in such a
// span (seven are three and a half flashes).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "safety/area_sums.h"
#include "safety/flash_state.h"

// A second that breaks a rule.
struct FailingSecond {
    int64_t second = 0; // whole seconds from the first frame's time 0
    int scene = -1;     // the scene shown when its worst count was reached (-1: unknown)
    // The most transitions of each kind of one area within one second; 0
    // where the kind keeps to its rule.
    int general = 0;
    int red = 0;
};

class FlashCheck {
  public:
    // The next frame (kFramePixels of 0x00RRGGBB), shown at `time_us`
    // (microseconds, not decreasing), drawn by scene `scene`.
    void frame(const uint32_t* pixels, int64_t time_us, int scene = -1);

    // The failing seconds so far, in order.
    const std::vector<FailingSecond>& failing() const { return failing_; }
    // Frames checked, and the seconds they reach into.
    int64_t frames() const { return frames_; }
    int64_t seconds() const { return seconds_; }

  private:
    PixelMeasures measures_;
    AreaMeter meter_;
    AreaSums sums_;
    FlashState state_;
    std::vector<FailingSecond> failing_;
    int64_t frames_ = 0;
    int64_t seconds_ = 0;
};

// Seven transitions as "3.5", eight as "4": flashes, for messages.
std::string flashes_text(int transitions);
