// The rotating texture fill (see rotating_fill.h).
//
// Texture coordinates here are texels x 2^18 (18 fraction bits, not the
// renderer's 16.16). Per pixel the sums are advanced incrementally in
// unsigned 32-bit arithmetic: only bits 18..25 of each sum pick the texel,
// and those bits come out the same whether the sum wraps or not, so the
// result equals the exact closed form for any corners, with no signed
// overflow.
#include "effects/rotating_fill.h"

#include <cmath>
#include <cstdlib>

#include "core/angles.h"
#include "core/bands.h"
#include "core/pixels4.h"
#include "core/screen.h"
#include "render/pixel.h"
#include "render/tables.h"
#include "render/truncate.h"

namespace {

int32_t pivot_distance(int32_t px, int32_t py) {
    const int64_t ax = std::llabs(int64_t{px});
    const int64_t ay = std::llabs(int64_t{py});
    if (ax < kSquareSize && ay < kSquareSize) {
        const int64_t sum = int64_t{square_table[ax]} + square_table[ay];
        if (sum < kRootSize) return root_table[sum];
    }
    // Far outside the tables the sum of squares needs all 64 unsigned bits and
    // the distance may not fit in 32 (it then becomes INT32_MIN).
    const uint64_t sum = static_cast<uint64_t>(ax * ax) + static_cast<uint64_t>(ay * ay);
    return trunc_to_int32(std::sqrt(static_cast<double>(sum)));
}

constexpr int kFractionBits = 18;

// The texel at coordinates u, v: row (bits 18..25 of v) times 256 plus
// column (bits 18..25 of u).
constexpr uint32_t texel_index(uint32_t u, uint32_t v) {
    return ((v >> (kFractionBits - 8)) & 0xFF00u) | ((u >> kFractionBits) & 0xFFu);
}

// How one texture coordinate runs over rows top .. bottom - 1: on the top
// row its value at the first pixel and its step per pixel, and how much
// each of the two changes from one row to the next.
struct RowSums {
    uint32_t first, per_pixel;
    uint32_t first_change, per_pixel_change; // per row
};

void fill_rows(uint32_t* frame, const uint32_t* texels, int32_t top, int32_t bottom, RowSums su,
               RowSums sv) {
    uint32_t* out = frame + top * kFrameWidth;
    for (int32_t y = top; y < bottom; ++y) {
        uint32_t u = su.first;
        uint32_t v = sv.first;
        const uint32_t u_step = su.per_pixel, v_step = sv.per_pixel;
        int32_t x = 0;
        {
            // Lane k at column x + k: the four texel indices (texel_index in
            // each lane) are worked out in the lanes, the texels fetched and
            // stored one by one, which is faster than putting them back
            // together in a vector.
            using namespace px4;
            Pixels4 u4 = lanes(u, u_step), v4 = lanes(v, v_step);
            const Pixels4 u_step4 = splat(4 * u_step), v_step4 = splat(4 * v_step);
            for (; x + 4 <= kFrameWidth; x += 4, out += 4) {
                uint32_t at[4];
                to_array((shift_right32<kFractionBits - 8>(v4) & splat(0xFF00u)) |
                             (shift_right32<kFractionBits>(u4) & splat(0xFFu)),
                         at);
                out[0] = texels[at[0]];
                out[1] = texels[at[1]];
                out[2] = texels[at[2]];
                out[3] = texels[at[3]];
                u4 = add32(u4, u_step4);
                v4 = add32(v4, v_step4);
            }
        }
        for (; x < kFrameWidth; ++x) {
            *out++ = texels[texel_index(u, v)];
            u += u_step;
            v += v_step;
        }
        su.first += su.first_change;
        sv.first += sv.first_change;
        su.per_pixel += su.per_pixel_change;
        sv.per_pixel += sv.per_pixel_change;
    }
}

} // namespace

FillCorners rotating_fill_corners(int32_t pivot_x, int32_t pivot_y, double angle) {
    // The four corners lie on the circle of radius r (the pivot's distance
    // from the origin) about the pivot. t points from the pivot to the
    // origin, so at angle 0 the corners are the origin (d1 = t), its mirror
    // images across the pivot's row and column (d2 = -t, d3 = P - t), and its
    // mirror image through the pivot (d4 = t + P): the rectangle with one
    // corner at the origin and its centre at the pivot. `angle` turns all
    // four about the pivot. P is kPi, 3.14159256 (core/angles.h).
    const int32_t r = pivot_distance(pivot_x, pivot_y);
    const double t = std::atan2(-static_cast<double>(pivot_y), -static_cast<double>(pivot_x));
    const double d1 = t + angle;
    const double d[4] = {d1, angle - t, (kPi - t) + angle, d1 + kPi};
    FillCorners c;
    for (int i = 0; i < 4; ++i) {
        c.x[i] = trunc_to_int32(pivot_x + r * std::cos(d[i]));
        c.y[i] = trunc_to_int32(pivot_y + r * std::sin(d[i]));
    }
    return c;
}

void rotating_texture_fill(uint32_t* frame, const Image& texture, int32_t pivot_x, int32_t pivot_y,
                           double angle) {
    const FillCorners c = rotating_fill_corners(pivot_x, pivot_y, angle);
    const uint32_t x1 = static_cast<uint32_t>(c.x[0]), x2 = static_cast<uint32_t>(c.x[1]);
    const uint32_t x3 = static_cast<uint32_t>(c.x[2]), x4 = static_cast<uint32_t>(c.x[3]);
    const uint32_t y1 = static_cast<uint32_t>(c.y[0]), y2 = static_cast<uint32_t>(c.y[1]);
    const uint32_t y3 = static_cast<uint32_t>(c.y[2]), y4 = static_cast<uint32_t>(c.y[3]);

    // With j = x + 1 and k = y + 1, pixel (x, y) blends the corners with
    // weights that sum to 2^17 = 512 x 256:
    //   U(j, k) = (512 - 2k) ((256 - j) X1 + j X3) + 2k ((256 - j) X2 + j X4)
    // and V likewise with the Ys. The corners are in texture units x 2, so U
    // is texels x 2^18 and bits 18..25 pick the texel column. U is linear in
    // j for a fixed k, and its start and step are linear in k:
    //   U(1, k)              = (512 - 2k)(255 X1 + X3) + 2k (255 X2 + X4)
    //   U(j + 1, k) - U(j, k) = (512 - 2k)(X3 - X1)    + 2k (X4 - X2)
    // At k = 1 (row 0) these are u_start and u_step below. Going down one row
    // (k to k + 1) changes them by
    //   U(1, k + 1) - U(1, k) = 2 (255 (X2 - X1) + (X4 - X3))      = u_start_row
    //   step(k + 1) - step(k) = 2 ((X4 - X2) - (X3 - X1))            = u_step_row
    // so every pixel costs one addition per coordinate, every row two, and
    // row y starts from the values of row 0 plus y times the row changes.
    const uint32_t u_start = 510u * (255u * x1 + x3) + 2u * (255u * x2 + x4);
    const uint32_t v_start = 510u * (255u * y1 + y3) + 2u * (255u * y2 + y4);
    const uint32_t u_step = 510u * (x3 - x1) + 2u * (x4 - x2);
    const uint32_t v_step = 510u * (y3 - y1) + 2u * (y4 - y2);
    const uint32_t u_start_row = 2u * (255u * (x2 - x1) + (x4 - x3));
    const uint32_t v_start_row = 2u * (255u * (y2 - y1) + (y4 - y3));
    const uint32_t u_step_row = 2u * ((x4 - x2) - (x3 - x1));
    const uint32_t v_step_row = 2u * ((y4 - y2) - (y3 - y1));

    const uint32_t* texels = texture.pixels;
    for_each_band([&](const Band& band) {
        const uint32_t rows = static_cast<uint32_t>(band.top);
        fill_rows(
            frame, texels, band.top, band.bottom,
            {u_start + rows * u_start_row, u_step + rows * u_step_row, u_start_row, u_step_row},
            {v_start + rows * v_start_row, v_step + rows * v_step_row, v_start_row, v_step_row});
    });
}
