// Runs: the horizontal stretch of one row of a textured triangle, drawn pixel
// by pixel.
//
// A run goes from one RunEnd to the other (either may be the left one) on row
// y: column x of each end in whole pixels, texture coordinates (u, v) in
// whole texels and a plain-integer depth (larger = nearer). The columns
// between the ends are drawn, the right end's column excluded; texture
// coordinates and depth are interpolated linearly from the left end to the
// right. Inside, u and v are 16.16 and wrap modulo 256 when the texel is
// fetched.
//
// A run is drawn in two stages:
//   set-up       orders the two ends and works out the per-pixel steps
//                (u, v: 16.16 of (right - left) / length; depth: (right -
//                left) / length; both truncated toward zero), giving a DrawnRun:
//     set_up_clipped_run    any run: runs on rows outside 0..239 and the
//                           parts of a run outside columns 0..319 are
//                           dropped, and a run that starts left of column 0
//                           begins with the texture coordinates it would
//                           have there
//     set_up_on_screen_run  runs the triangle walker knows to lie on screen
//                           with small coordinate differences (see on_screen
//                           in triangle_walk.h): no clipping, and the same
//                           quotients from small_divide.h
//   pixel loop   over the columns of the DrawnRun:
//     additive_pixels  frame pixel + texel, per colour byte, saturating at 255
//     opaque_pixels    texel replaces the frame pixel
//     depth_pixels     texel replaces the frame pixel where the run is nearer
//                      than the depth buffer, which then takes the run's depth
//
// Ends are 64-bit so that the triangle walker can pass the ends of triangles
// with coordinates anywhere in the 32-bit range; their magnitudes must stay
// below 2^40 (the walker's stay below 2^34).
#pragma once
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "core/fixed16.h"
#include "core/screen.h"
#include "render/pixel.h"
#include "render/small_divide.h"

// One end of a run: whole pixels, whole texels, plain depth.
struct RunEnd {
    int64_t x, u, v, depth;
};

// The part of a run that is drawn, set up for the pixel loop: its columns,
// with the texture and depth interpolation ready.
struct DrawnRun {
    int64_t x_start, x_end; // columns x_start .. x_end - 1; 0 <= x_start < x_end <= 320
    uint32_t u, v;          // 16.16 at x_start
    uint32_t u_step, v_step;
    int64_t depth_start, depth_end; // depth at x_start; the right end's depth as given
    uint32_t depth_step;
};

namespace run_detail {

// The DrawnRun from `left` to column `x_end` with the given per-pixel steps.
inline void store(const RunEnd& left, int64_t x_end, int64_t depth_end, int64_t u_step,
                  int64_t v_step, int64_t depth_step, DrawnRun& out) {
    assert(0 <= left.x && left.x < x_end && x_end <= kFrameWidth);
    out.x_start = left.x;
    out.x_end = x_end;
    out.u = static_cast<uint32_t>(left.u * fx16::kOne);
    out.v = static_cast<uint32_t>(left.v * fx16::kOne);
    out.u_step = static_cast<uint32_t>(u_step);
    out.v_step = static_cast<uint32_t>(v_step);
    out.depth_start = left.depth;
    out.depth_end = depth_end;
    out.depth_step = static_cast<uint32_t>(depth_step);
}

constexpr int64_t kLargestEnd = int64_t{1} << 40;
inline bool within_range(const RunEnd& e) {
    auto small = [](int64_t a) { return a > -kLargestEnd && a < kLargestEnd; };
    return small(e.x) && small(e.u) && small(e.v) && small(e.depth);
}

} // namespace run_detail

// The part of the run of row y between ends a and b that lies on the frame,
// set up in `out`; false when nothing of it is drawn. The steps are exact
// quotients; a run cut at column 0 starts with the coordinates it has there.
inline bool set_up_clipped_run(RunEnd a, RunEnd b, int64_t y, DrawnRun& out) {
    assert(run_detail::within_range(a) && run_detail::within_range(b));
    if (y < 0 || y >= kFrameHeight) return false;
    if (a.x > b.x) std::swap(a, b);
    const int64_t length = b.x - a.x;
    if (length == 0) return false;
    const int64_t u_step = ((b.u - a.u) * fx16::kOne) / length;
    const int64_t v_step = ((b.v - a.v) * fx16::kOne) / length;
    const int64_t depth_step = (b.depth - a.depth) / length;

    // Left clip. A run ending left of the frame draws nothing; deciding that
    // first keeps the products below within the run's own extent (|a.x| <=
    // length).
    if (b.x < 0) return false;
    if (a.x < 0) {
        a.u -= fx16::floor(u_step * a.x);
        a.v -= fx16::floor(v_step * a.x);
        a.depth -= depth_step * a.x;
        a.x = 0;
    } else if (a.x > kFrameWidth) {
        return false;
    }
    // Right clip.
    if (b.x > kFrameWidth) b.x = kFrameWidth;
    if (a.x >= b.x) return false;

    run_detail::store(a, b.x, b.depth, u_step, v_step, depth_step, out);
    return true;
}

// The run of row y between ends a and b set up in `out`, for runs the walker
// has proved to lie on row 0..239 and in columns 0..320, with |u b - u a| and
// |v b - v a| below 2^16 and |depth b - depth a| below 2^21; false when it
// has no length. The quotients are those of set_up_clipped_run, through
// small_divide.h.
inline bool set_up_on_screen_run(RunEnd a, RunEnd b, [[maybe_unused]] int64_t y, DrawnRun& out) {
    assert(y >= 0 && y < kFrameHeight);
    assert(a.x >= 0 && a.x <= kFrameWidth && b.x >= 0 && b.x <= kFrameWidth);
    assert(std::abs(b.u - a.u) < (int64_t{1} << 16) && std::abs(b.v - a.v) < (int64_t{1} << 16));
    assert(std::abs(b.depth - a.depth) < (int64_t{1} << 21));
    if (a.x > b.x) std::swap(a, b);
    const int64_t length = b.x - a.x;
    if (length == 0) return false;
    run_detail::store(a, b.x, b.depth, small_divide_16_16(b.u - a.u, length),
                      small_divide_16_16(b.v - a.v, length),
                      small_divide_plain(b.depth - a.depth, length), out);
    return true;
}

inline void additive_pixels(uint32_t* frame, const DrawnRun& run, int64_t y,
                            const uint32_t* texture) {
    uint32_t* row = frame + y * kFrameWidth;
    uint32_t u = run.u, v = run.v;
    for (int64_t x = run.x_start; x < run.x_end; ++x) {
        row[x] = add_saturate(row[x], texel_at(texture, u, v));
        u += run.u_step;
        v += run.v_step;
    }
}

inline void opaque_pixels(uint32_t* frame, const DrawnRun& run, int64_t y,
                          const uint32_t* texture) {
    uint32_t* row = frame + y * kFrameWidth;
    uint32_t u = run.u, v = run.v;
    for (int64_t x = run.x_start; x < run.x_end; ++x) {
        row[x] = texel_at(texture, u, v);
        u += run.u_step;
        v += run.v_step;
    }
}

// Depth values are compared unsigned against the buffer, and a pixel is only
// drawn when its depth is also above 0 as a signed value, so depths of 0 and
// below never draw. Equal depth does not overwrite.
//
// A run whose two ends both lie behind the buffer is skipped whole: the left
// end against the buffer at x_start, the right end's depth (as given, even
// where the run was clipped) against far_end(), the buffer's value at the
// run's exclusive end column. far_end() is called only when the left end
// alone would not draw; the plain form below reads the buffer itself.
template <class FarEnd>
inline void depth_pixels(uint32_t* frame, uint32_t* depth, const DrawnRun& run, int64_t y,
                         const uint32_t* texture, FarEnd far_end) {
    uint32_t* row = frame + y * kFrameWidth;
    uint32_t* depth_row = depth + y * kFrameWidth;
    if (static_cast<uint32_t>(run.depth_start) < depth_row[run.x_start] &&
        static_cast<uint32_t>(run.depth_end) < far_end())
        return;
    uint32_t u = run.u, v = run.v;
    uint32_t d = static_cast<uint32_t>(run.depth_start);
    for (int64_t x = run.x_start; x < run.x_end; ++x) {
        if (static_cast<int32_t>(d) > 0 && d > depth_row[x]) {
            row[x] = texel_at(texture, u, v);
            depth_row[x] = d;
        }
        u += run.u_step;
        v += run.v_step;
        d += run.depth_step;
    }
}

inline void depth_pixels(uint32_t* frame, uint32_t* depth, const DrawnRun& run, int64_t y,
                         const uint32_t* texture) {
    depth_pixels(frame, depth, run, y, texture, [depth, &run, y] {
        // The entry at the exclusive end column: for a run reaching the right
        // border that is the next row's first entry. On the last row it would
        // lie past the buffer; there the buffer's last entry stands in for it.
        return depth[std::min<int64_t>(y * kFrameWidth + run.x_end, kFramePixels - 1)];
    });
}

// One run from end a to end b on row y, clipped to the frame.
inline void additive_run(uint32_t* frame, RunEnd a, RunEnd b, int64_t y, const uint32_t* texture) {
    DrawnRun run;
    if (set_up_clipped_run(a, b, y, run)) additive_pixels(frame, run, y, texture);
}
inline void opaque_run(uint32_t* frame, RunEnd a, RunEnd b, int64_t y, const uint32_t* texture) {
    DrawnRun run;
    if (set_up_clipped_run(a, b, y, run)) opaque_pixels(frame, run, y, texture);
}
inline void depth_run(uint32_t* frame, uint32_t* depth, RunEnd a, RunEnd b, int64_t y,
                      const uint32_t* texture) {
    DrawnRun run;
    if (set_up_clipped_run(a, b, y, run)) depth_pixels(frame, depth, run, y, texture);
}
