// The frame every scene draws into, and the globals every scene reads.
//
// A frame is 320 x 240 pixels of 32 bits, 0x00RRGGBB (red in bits 16..23,
// green 8..15, blue 0..7; the top byte is not shown), rows of 320 pixels one
// after the other with no gap. The main loop never clears it between frames.
#pragma once
#include <cstdint>

constexpr int32_t kFrameWidth = 320;
constexpr int32_t kFrameHeight = 240;
constexpr int32_t kFramePixels = kFrameWidth * kFrameHeight;

// Set to 320 and 240 first thing at start and never changed.
extern int32_t screen_width;
extern int32_t screen_height;

// Time in 1/70 s since the current scene's loop began; written by the main
// loop before each frame, 0 before the main loop.
extern int32_t tick_counter;

// The tick counter at clock time `now` for a scene whose loop began at clock
// time `start`, both in milliseconds as single-precision floats (exact for
// the first 2^24 ms, about 4.6 hours): (now - start) x 70.0 / 1000.0 in
// double precision, multiplied first, truncated toward zero. 499 ms after
// the start it is 34.
inline int32_t ticks_since(float start, float now) {
    return static_cast<int32_t>((static_cast<double>(now) - start) * 70.0 / 1000.0);
}
