// The span routines: one horizontal run of a textured triangle on one row.
//
// A run goes from column x_start to x_end (the end column is exclusive) on
// row y, with texture coordinates (u, v) in whole texels interpolated
// linearly from the start to the end. Inside, u and v are 16.16 fixed point
// (texels x 65536) and wrap modulo 256 when the texel is fetched; depth is a
// plain integer interpolated the same way (larger = nearer).
//
// A run is drawn in two stages:
//   set_up_run   orders the two ends, works out the per-pixel steps
//                (u, v: ((end - start) * 65536) / length; depth: (end -
//                start) / length; both truncated toward zero) and clips the
//                run to the 320 x 240 frame: runs on rows outside 0..239 and
//                the parts of a run outside columns 0..319 are dropped, and a
//                run that starts left of column 0 begins with the texture
//                coordinates it would have there.
//   *_pixels     the pixel loop over the run that set_up_run left:
//     additive_pixels  frame pixel + texel, per colour byte, saturating at 255
//     opaque_pixels    texel replaces the frame pixel
//     depth_pixels     texel replaces the frame pixel where the run is nearer
//                      than the depth buffer, which then takes the run's depth
//
// set_up_run<Clip::No> is the same set-up for runs the triangle walker knows
// to lie on screen with small coordinate differences (see on_screen in
// triangle_walk.h): no clipping, and its quotients come from small_divide.h.
//
// Arguments are 64-bit so that the triangle walker can pass the ends of
// triangles with coordinates anywhere in the 32-bit range; their magnitudes
// must stay below 2^40 (the walker's stay below 2^34).
#pragma once
#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/screen.h"
#include "render/pixel.h"
#include "render/small_divide.h"

struct SpanEnd {
    int64_t x, u, v, depth;
};

// The part of a run that lies on screen, with its texture and depth
// interpolation ready for the pixel loop.
struct ClippedSpan {
    int64_t x_start, x_end; // 0 <= x_start < x_end <= 320
    uint32_t u, v;          // 16.16 at x_start
    uint32_t u_step, v_step;
    int64_t depth_start, depth_end; // depth at x_start, depth as given for the far end
    uint32_t depth_step;
};

enum class Clip { Yes, No };

// The run of row y between ends a and b (either order) set up in `out`;
// false when nothing of it is drawn. Two contracts:
//   Clip::Yes  any run: off-screen rows and runs draw nothing, the run is
//              clipped to columns 0..320 (the left clip moves its start
//              along the steps), and the steps are exact quotients.
//   Clip::No   runs the walker has proved to lie on row 0..239 and in
//              columns 0..320, with |u end - u start| and |v end - v start|
//              below 2^16 and |depth end - depth start| below 2^21: no clip
//              applies, and every quotient takes the reciprocal path of
//              small_divide.h (the same values).
template <Clip clip> inline bool set_up_run(SpanEnd a, SpanEnd b, int64_t y, ClippedSpan& out) {
    if constexpr (clip == Clip::Yes)
        if (y < 0 || y >= kFrameHeight) return false;
    if (a.x > b.x) std::swap(a, b);
    const int64_t len = b.x - a.x;
    if (len == 0) return false;
    int64_t u_step, v_step, depth_step;
    if constexpr (clip == Clip::Yes) {
        u_step = ((b.u - a.u) * 65536) / len;
        v_step = ((b.v - a.v) * 65536) / len;
        depth_step = (b.depth - a.depth) / len;
        // A run ending left of the frame draws nothing; deciding that before
        // the left clip keeps the clip's products bounded by the run's own
        // extent.
        if (b.x < 0) return false;
        if (a.x < 0) {
            a.u -= (u_step * a.x) >> 16;
            a.v -= (v_step * a.x) >> 16;
            a.depth -= depth_step * a.x;
            a.x = 0;
        } else if (a.x > kFrameWidth) {
            return false;
        }
        if (b.x > kFrameWidth) b.x = kFrameWidth;
        if (a.x >= b.x) return false;
    } else {
        u_step = small_divide_16_16(b.u - a.u, len);
        v_step = small_divide_16_16(b.v - a.v, len);
        depth_step = small_divide_plain(b.depth - a.depth, len);
    }
    out.x_start = a.x;
    out.x_end = b.x;
    out.u = static_cast<uint32_t>(a.u * 65536);
    out.v = static_cast<uint32_t>(a.v * 65536);
    out.u_step = static_cast<uint32_t>(u_step);
    out.v_step = static_cast<uint32_t>(v_step);
    out.depth_start = a.depth;
    out.depth_end = b.depth;
    out.depth_step = static_cast<uint32_t>(depth_step);
    return true;
}

inline void additive_pixels(uint32_t* frame, const ClippedSpan& s, int64_t y,
                            const uint32_t* texture) {
    uint32_t* row = frame + y * kFrameWidth;
    uint32_t u = s.u, v = s.v;
    for (int64_t x = s.x_start; x < s.x_end; ++x) {
        row[x] = add_saturate(row[x], texel_at(texture, u, v));
        u += s.u_step;
        v += s.v_step;
    }
}

inline void opaque_pixels(uint32_t* frame, const ClippedSpan& s, int64_t y,
                          const uint32_t* texture) {
    uint32_t* row = frame + y * kFrameWidth;
    uint32_t u = s.u, v = s.v;
    for (int64_t x = s.x_start; x < s.x_end; ++x) {
        row[x] = texel_at(texture, u, v);
        u += s.u_step;
        v += s.v_step;
    }
}

// Depth values are compared unsigned against the buffer, and a pixel is only
// drawn when its depth is also above 0 as a signed value, so depths of 0 and
// below never draw. Equal depth does not overwrite. A run whose two ends both
// lie behind the buffer is skipped whole; the far end is judged at the run's
// exclusive end column, which for a run reaching the right border is the next
// row's first entry. Only on the last row would that entry lie past the
// buffer; there the last entry of the buffer stands in for it.
//
// far_end() gives the buffer's value at the far end, read only when the near
// end alone would not draw; the plain form below reads the buffer itself.
template <class FarEnd>
inline void depth_pixels(uint32_t* frame, uint32_t* depth, const ClippedSpan& s, int64_t y,
                         const uint32_t* texture, FarEnd far_end) {
    uint32_t* row = frame + y * kFrameWidth;
    uint32_t* depth_row = depth + y * kFrameWidth;
    if (static_cast<uint32_t>(s.depth_start) < depth_row[s.x_start] &&
        static_cast<uint32_t>(s.depth_end) < far_end())
        return;
    uint32_t u = s.u, v = s.v;
    uint32_t d = static_cast<uint32_t>(s.depth_start);
    for (int64_t x = s.x_start; x < s.x_end; ++x) {
        if (static_cast<int32_t>(d) > 0 && d > depth_row[x]) {
            row[x] = texel_at(texture, u, v);
            depth_row[x] = d;
        }
        u += s.u_step;
        v += s.v_step;
        d += s.depth_step;
    }
}

inline void depth_pixels(uint32_t* frame, uint32_t* depth, const ClippedSpan& s, int64_t y,
                         const uint32_t* texture) {
    depth_pixels(frame, depth, s, y, texture, [depth, &s, y] {
        return depth[std::min<int64_t>(y * kFrameWidth + s.x_end, kFramePixels - 1)];
    });
}

// One run from end a to end b on row y, clipped to the frame.
inline void additive_span(uint32_t* frame, SpanEnd a, SpanEnd b, int64_t y,
                          const uint32_t* texture) {
    ClippedSpan s;
    if (set_up_run<Clip::Yes>(a, b, y, s)) additive_pixels(frame, s, y, texture);
}
inline void opaque_span(uint32_t* frame, SpanEnd a, SpanEnd b, int64_t y, const uint32_t* texture) {
    ClippedSpan s;
    if (set_up_run<Clip::Yes>(a, b, y, s)) opaque_pixels(frame, s, y, texture);
}
inline void depth_span(uint32_t* frame, uint32_t* depth, SpanEnd a, SpanEnd b, int64_t y,
                       const uint32_t* texture) {
    ClippedSpan s;
    if (set_up_run<Clip::Yes>(a, b, y, s)) depth_pixels(frame, depth, s, y, texture);
}
