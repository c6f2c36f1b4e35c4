// Where the 320 x 240 frame goes in an output of w x h pixels (the
// renderer's real output size, which on a high-DPI screen is larger than the
// window's size in points).
//
//   4:3 (default)  the largest 4:3 rectangle that fits, centred, with black
//                  borders left and right or above and below
//   integer        the largest whole multiple of 320 x 240 that fits,
//                  centred; an output smaller than 320 x 240 falls back to
//                  the 4:3 fit rather than showing nothing
// Pixels are nearest-neighbour in both modes.
#pragma once

struct FrameRect {
    int x, y, w, h;
};

FrameRect frame_layout(int out_w, int out_h, bool integer_scale);

// The window's scale: `scale` (multiples of 320 x 240), or the largest below
// it whose window fits in a usable area of usable_w x usable_h; at least 1.
// An area of 0 x 0 (not known) leaves the scale as it is.
int window_scale_that_fits(int scale, int usable_w, int usable_h);
