// The gentle mode: the picture to show for each frame, such that the shown
// pictures keep to the flash rules (flash_rules.h) while everything that
// keeps to them anyway is shown exactly as drawn.
//
// The filter watches what it shows with the flash check's own counting
// (flash_state.h). A frame that would give some area a seventh transition
// within the second is shown as drawn everywhere else. In those areas it is
// made darker or lighter, in linear light, until the area's mean stays
// within a transition of what it showed: a light that flashes up is dimmed
// (its red too), a place that drops into the dark is lifted toward grey.
// The change is the strongest any such area asks of a pixel, and it fades
// out over a few dozen pixels around them, so that it has no edge. Where
// that is not enough (areas overlap, a red that vanishes), each pixel there
// goes only half the way from what it showed toward that picture, and half
// again, and after a few rounds not at all, until no area makes a
// transition (nothing moving at all makes none, so there always is a
// picture). Once transitions a second old are
// forgotten, the frame shows as drawn again.
//
// It filters a copy: the frame given is never changed (the scenes read the
// last frame back). Frames come in the order shown, each with its time, at
// any rate: a recording's, or the display's as it presents.
#pragma once
#include <cstdint>
#include <vector>

#include "safety/area_sums.h"
#include "safety/flash_state.h"

class GentleFilter {
  public:
    GentleFilter();

    // The picture to show for `frame` (kFramePixels of 0x00RRGGBB) at
    // `time_us` (microseconds of a clock that does not go back): the
    // filter's own copy, valid until the next call.
    const uint32_t* filter(const uint32_t* frame, int64_t time_us);

    // The picture shown last; null before the first.
    const uint32_t* shown() const { return frames_ ? shown_.data() : nullptr; }
    // Frames filtered, and of those, the ones shown exactly as drawn.
    int64_t frames() const { return frames_; }
    int64_t exact_frames() const { return exact_frames_; }

  private:
    // Each pixel's value in `pixels` as the least of `areas` (kAreas) over
    // the areas it lies in.
    void spread(const std::vector<uint16_t>& areas, std::vector<uint16_t>& pixels);
    // `pixels` rising at most `step` per pixel of distance from each low, up
    // to `top`.
    static void feather(std::vector<uint16_t>& pixels, int step, int top);
    // The frame darkened and lightened where areas would break a rule, into
    // toned_.
    void tone(const uint32_t* frame);
    // Halves the way of each pixel in an area that still breaks a rule, or
    // with `to_still` ends it there.
    void halve_ways(bool to_still);
    // Each pixel gone its way from what was shown toward toned_, into
    // picture_, with its measures and sums (sums_).
    void go_ways();

    AreaMeter meter_;
    FlashState state_;
    PixelMeasures drawn_, measures_; // of the frame, and of the pictures tried
    AreaSums drawn_sums_, allowed_, sums_;
    std::vector<uint32_t> shown_, toned_, picture_;
    std::vector<uint16_t> gain_;    // per pixel: light kept, of 256
    std::vector<uint16_t> keep_;    // per pixel: darkness kept, of 256 (the rest lifted)
    std::vector<uint16_t> way_;     // per pixel: how far from shown_ toward toned_, of 256
    std::vector<uint16_t> covered_; // per pixel: 0 where an area still breaks a rule
    std::vector<uint16_t> areas_;   // per area, for spread()
    std::vector<uint8_t> breaking_;
    std::vector<uint16_t> grid_; // spread()'s areas, then their least
    int64_t last_time_ = 0;
    int64_t frames_ = 0;
    int64_t exact_frames_ = 0;
};
