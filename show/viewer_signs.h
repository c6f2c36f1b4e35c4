// What the live show tells its viewer over the picture: a pause sign while
// paused, a jump's progress while it plays its way there, and a short
// caption after a jump or a toggle (the position reached, looping on or
// off). The display draws them over its output only, never into the frame
// buffer the scenes read back, so recordings, stills and saved frames stay
// exactly the show's frames (Display::show_signs, platform.h).
//
//   time_text(ms)            "m:ss.hh", as `vorn --timeline` gives times
//   jump_caption(o, s, ms)   "order 12 · scene 3 · 1:31.20" (scene < 0:
//                            between scenes, left out)
#pragma once
#include <cstdint>
#include <string>

struct ViewerSigns {
    bool paused = false;
    std::string progress;         // a jump on its way ("getting to 3:27: 64 %"); empty: none
    std::string caption;          // after a jump or a toggle; empty: none
    int64_t caption_until_ms = 0; // when the caption is gone, on the wall clock (clock_ms)
};

// How long a caption stays, and the last part of it over which it fades (ms).
constexpr int64_t kCaptionMs = 2000;
constexpr int64_t kCaptionFadeMs = 400;

std::string time_text(int64_t ms);
std::string jump_caption(int order, int scene, int64_t ms);
