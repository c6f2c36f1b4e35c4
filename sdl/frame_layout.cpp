// The frame's place in the output (see frame_layout.h).
#include "sdl/frame_layout.h"

#include <algorithm>

#include "core/screen.h"

FrameRect frame_layout(int out_w, int out_h, bool integer_scale) {
    out_w = std::max(out_w, 0);
    out_h = std::max(out_h, 0);
    int w, h;
    const int k = std::min(out_w / kFrameWidth, out_h / kFrameHeight);
    if (integer_scale && k > 0) {
        w = kFrameWidth * k;
        h = kFrameHeight * k;
    } else if (out_w * 3 >= out_h * 4) { // wider than 4:3: borders left and right
        h = out_h;
        w = out_h * 4 / 3;
    } else {
        w = out_w;
        h = out_w * 3 / 4;
    }
    return {(out_w - w) / 2, (out_h - h) / 2, w, h};
}

int window_scale_that_fits(int scale, int usable_w, int usable_h) {
    if (usable_w <= 0 || usable_h <= 0) return scale;
    while (scale > 1 && (kFrameWidth * scale > usable_w || kFrameHeight * scale > usable_h))
        --scale;
    return scale;
}
