// The viewer's signs (viewer_signs.h) laid out over the picture as the
// display shows it, as filled rectangles for the display to draw in order
// with alpha blending: each sign is a dark, half-transparent box with its
// words in the signs' font (sign_font.h). Sizes follow the picture: one
// font pixel is a whole number of output pixels, picture height / 240 (at
// least 1), so the words grow with the window and full screen.
//
// The pause sign (a pause symbol and "paused") sits in the picture's top-left corner, a
// jump's progress in its middle, and the caption in its bottom-left corner;
// the caption fades over its last kCaptionFadeMs and is gone at
// caption_until_ms. Coordinates are the display's output pixels.
#pragma once
#include <cstdint>
#include <vector>

#include "show/viewer_signs.h"

struct SignRect {
    int x, y, w, h;
    uint8_t r, g, b, a;
};

// The picture's place on the display's output (pixels).
struct PictureRect {
    int x, y, w, h;
};

// What to draw for `signs` at `now_ms` on the wall clock; nothing when no
// sign is up.
std::vector<SignRect> sign_rects(const ViewerSigns& signs, PictureRect picture, int64_t now_ms);
