// The rotating texture fill: covers the whole 320 x 240 frame with a 256 x 256
// texture, tiled, turned about a pivot and scaled by the pivot's distance from
// the origin.
//
// Four corner points (whole pixels) are worked out once per call in double
// precision; each pixel is then a bilinear blend of them with weights
// (x + 1)/256 across and (y + 1)/256 down, at half scale: 2^17 in total, so
// the texture coordinates carry 18 fraction bits. Coordinates wrap at 256.
//
// The pivot is in texture units x 2: the texture advances px/256 texels per
// column and py/256 per row, and the turn is about the screen point near
// (127, 127). The angle is in radians.
#pragma once
#include <cstdint>

#include "core/image.h"

struct FillCorners {
    int32_t x[4]; // C1..C4
    int32_t y[4];
};

// The corner points for a pivot and angle. Pivots within the lookup tables'
// range (|px|, |py| < 6400, px^2 + py^2 < 128000) take the distance from the
// square and root tables; any other pivot takes the same truncated square root
// directly (INT32_MIN where it does not fit in 32 bits), so no pivot reads
// outside a table or overflows.
FillCorners rotating_fill_corners(int32_t pivot_x, int32_t pivot_y, double angle);

// Writes all 76800 pixels of the frame, in memory order, with texels.
void rotating_texture_fill(uint32_t* frame, const Image& texture, int32_t pivot_x, int32_t pivot_y,
                           double angle);
