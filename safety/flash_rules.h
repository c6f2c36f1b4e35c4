// What counts as a flash: the two measures of a pixel that the flash rules
// look at, the areas they are judged over, and the tracker that turns an
// area's measure over time into transitions. The flash check
// (flash_check.h) and the gentle filter (gentle_filter.h) share them, so
// that the filter holds back exactly what the check counts.
//
// Both measures come from the linearised channels (sRGB decoded: c / 12.92
// up to 0.04045, else ((c + 0.055) / 1.055)^2.4) and are unsigned 0.16 fixed
// point with 65535 as full scale (kMeasureOne):
//   luminance  relative luminance, 0.2126 R + 0.7152 G + 0.0722 B
//   red        R - G - B where the pixel is a saturated red (R / (R + G + B)
//              >= 0.8), else 0. The rules' red value "(R - G - B) x 320" is
//              this x 320 / 65535.
//
// A flash counts where it covers a quarter of a 10-degree field at a
// typical viewing distance, which the guidelines take as a third of the
// screen's width and height (kFieldWidth x kFieldHeight): so the measures
// are judged as the mean over an area of half that width and height
// (kAreaWidth x kAreaHeight, 53 x 40, a quarter of the field), in every
// position it can take in the frame (kAreas of them). Kept as the sum of
// the area's pixels, exact in integers.
//
// A transition is a swing of an area's mean by at least the rule's step
// away from its last turning point, with the darker end below the rule's
// limit:
//   general (kGeneralRule)  luminance by 0.1 or more, darker end below 0.8
//   red (kRedRule)          the red value by more than 20 (more than 20 / 320
//                           of full scale), at any level
// A swing that builds up over several frames counts as one transition when
// it reaches the step. Consecutive transitions go opposite ways, and two
// make a flash. A second breaks a rule when an area makes more than
// kMaxTransitions (six: three flashes) of one kind within it.
#pragma once
#include <array>
#include <cstdint>

#include "core/screen.h"

constexpr int kMeasureOne = 65535;

struct Measures {
    uint16_t luminance;
    uint16_t red;
};

// Each 8-bit sRGB level decoded to linear light, 0.16; and that light
// times each channel's luminance weight, 0.32 (the three sum to white's
// 65535 x 65536, give or take rounding). Filled before main() runs.
extern const std::array<uint16_t, 256> kLinearLevels;
extern const std::array<std::array<uint32_t, 256>, 3> kLuminanceParts; // red, green, blue

// The two measures of a 0x00RRGGBB pixel (the top byte is ignored).
inline Measures measure(uint32_t pixel) {
    const uint32_t r = (pixel >> 16) & 0xFFu, g = (pixel >> 8) & 0xFFu, b = pixel & 0xFFu;
    const uint32_t luminance =
        (kLuminanceParts[0][r] + kLuminanceParts[1][g] + kLuminanceParts[2][b] + 0x8000u) >> 16;
    // R / (R + G + B) >= 0.8, i.e. R >= 4 (G + B), with some red at all;
    // never where green or blue is as bright as red.
    if (r <= g || r <= b) return {static_cast<uint16_t>(luminance), 0};
    const int lr = kLinearLevels[r], lg = kLinearLevels[g], lb = kLinearLevels[b];
    const int red = lr >= 4 * (lg + lb) ? lr - lg - lb : 0;
    return {static_cast<uint16_t>(luminance), static_cast<uint16_t>(red)};
}

constexpr int kFieldWidth = (kFrameWidth + 1) / 3; // 107
constexpr int kFieldHeight = kFrameHeight / 3;     // 80
constexpr int kAreaWidth = kFieldWidth / 2;        // 53
constexpr int kAreaHeight = kFieldHeight / 2;      // 40
constexpr int kAreaPixels = kAreaWidth * kAreaHeight;
constexpr int kAreaColumns = kFrameWidth - kAreaWidth + 1; // left edges 0..267
constexpr int kAreaRows = kFrameHeight - kAreaHeight + 1;  // top edges 0..200
constexpr int kAreas = kAreaColumns * kAreaRows;

// A rule on an area's sum of a measure (kAreaPixels pixels, 0.16 each).
struct FlashRule {
    int32_t step;         // the least swing that is a transition
    int32_t darker_below; // the darker end must be below this
};
constexpr int64_t kAreaOne = int64_t{kMeasureOne} * kAreaPixels; // the sum of a white area
static_assert(kAreaOne < INT32_MAX);
// A mean swing of 0.1 or more (rounded up), the darker mean below 0.8.
constexpr FlashRule kGeneralRule{static_cast<int32_t>((kAreaOne + 9) / 10),
                                 static_cast<int32_t>((4 * kAreaOne + 4) / 5)};
// (R - G - B) x 320 swinging by more than 20: by more than 1/16 of full
// scale; at any level.
constexpr FlashRule kRedRule{static_cast<int32_t>(kAreaOne / 16 + 1),
                             static_cast<int32_t>(kAreaOne + 1)};

// At most three flashes a second: six transitions.
constexpr int kMaxTransitions = 6;

// One area's measure over time: the extremes since its last turning point
// and the way it last turned. dir 0 (no transition yet): lo and hi are the
// least and greatest values seen; +1 (last went up): hi is the peak since;
// -1 (last went down): lo is the trough since.
struct Swing {
    int32_t lo = 0;
    int32_t hi = 0;
    int8_t dir = 0;
};

inline Swing swing_from(int32_t v) {
    return {v, v, 0};
}

// +1 or -1 when the value `v` makes a transition up or down, else 0. The
// value last given to swing_to() never makes one.
inline int transition_at(const Swing& s, int32_t v, const FlashRule& r) {
    if (s.dir <= 0 && v - s.lo >= r.step && s.lo < r.darker_below) return 1;
    if (s.dir >= 0 && s.hi - v >= r.step && v < r.darker_below) return -1;
    return 0;
}

// Moves the swing on to `v`, which makes the transition `t` (transition_at's).
inline void swing_to(Swing& s, int32_t v, int t) {
    if (t != 0) {
        s = {v, v, static_cast<int8_t>(t)};
        return;
    }
    if (s.dir <= 0 && v < s.lo) s.lo = v;
    if (s.dir >= 0 && v > s.hi) s.hi = v;
}
