// The triangle walker shared by the three fillers.
//
// A triangle arrives as three corners in screen pixels with whole-texel
// texture coordinates and a plain-integer depth. The walker sorts them by y
// (c0 on top) and sets up its three edges with per-row slopes (x, u and v in
// 16.16, depth plain): the long edge c0 -> c2, which reaches every row, and the
// two short edges c0 -> c1 (upper) and c1 -> c2 (lower). It walks rows
// y0 .. y1 - 1 between the upper and the long edge, then y1 .. y2 - 1 between
// the lower and the long edge. For each row it hands the run set-up (runs.h)
// the integer parts (rounded toward minus infinity) of both crossings. The
// bottom row y2 is never drawn, so a triangle whose corners share one row
// draws nothing.
//
// The walk is template code over the pixel loop so that each filler's row
// loop inlines it. Sums are 64-bit, which holds any 32-bit corner exactly.
// A triangle that lies inside the frame (the common case) is walked without
// any clipping; any other is walked with every run clipped. Either walk keeps
// to a range of rows (the frame, or one band of it): rows above are stepped
// over at once and the walk stops at the range's last row, so corners a
// million rows away cost nothing.
#pragma once
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <utility>

#include "core/fixed16.h"
#include "core/screen.h"
#include "render/runs.h"
#include "render/small_divide.h"

struct Corner {
    int32_t x, y, u, v, depth;
};

// Which walk a triangle takes. Clip::Yes: any triangle; slopes and run steps
// are exact quotients and every run is clipped to the frame. Clip::No: a
// triangle on_screen (below); the same quotients come from small_divide.h and
// no run needs clipping.
enum class Clip { Yes, No };

namespace triangle_walk_detail {

// Per-row change of x, u, v (16.16) and depth along one edge.
struct Slope {
    int64_t x = 0, u = 0, v = 0, depth = 0;
};

// Where one edge crosses the current row: x, u, v in 16.16, depth plain.
struct EdgeCrossing {
    int64_t x, u, v, depth;

    explicit EdgeCrossing(const Corner& c)
        : x(int64_t{c.x} * fx16::kOne), u(int64_t{c.u} * fx16::kOne), v(int64_t{c.v} * fx16::kOne),
          depth(c.depth) {}
    void step(const Slope& s) {
        x += s.x;
        u += s.u;
        v += s.v;
        depth += s.depth;
    }
    void step(const Slope& s, int64_t rows) {
        x += s.x * rows;
        u += s.u * rows;
        v += s.v * rows;
        depth += s.depth * rows;
    }
    RunEnd run_end() const { return {fx16::floor(x), fx16::floor(u), fx16::floor(v), depth}; }
};

// The slope of the edge from corner `upper` down to corner `lower`, each
// quotient truncated toward zero; zero for an edge within one row.
template <Clip clip> inline Slope edge_slope(const Corner& upper, const Corner& lower) {
    assert(upper.y <= lower.y);
    Slope s;
    const int64_t dy = int64_t{lower.y} - upper.y;
    if (dy == 0) return s;
    const int64_t dx = int64_t{lower.x} - upper.x, du = int64_t{lower.u} - upper.u,
                  dv = int64_t{lower.v} - upper.v, ddepth = int64_t{lower.depth} - upper.depth;
    if constexpr (clip == Clip::Yes) {
        s.x = (dx * fx16::kOne) / dy;
        s.u = (du * fx16::kOne) / dy;
        s.v = (dv * fx16::kOne) / dy;
        s.depth = ddepth / dy;
    } else {
        s.x = small_divide_16_16(dx, dy);
        s.u = small_divide_16_16(du, dy);
        s.v = small_divide_16_16(dv, dy);
        s.depth = small_divide_plain(ddepth, dy);
    }
    return s;
}

// True when every run of the triangle can skip clipping: corners inside the
// frame (x 0..320, y 0..240), texture coordinates within +-2^15 and depths
// less than 2^21 apart. A crossing steps from one corner toward another by a
// slope truncated toward zero, so it never passes the far corner: every run
// end lies within the corners' ranges, which is what set_up_on_screen_run
// needs.
inline bool on_screen(const Corner& c0, const Corner& c1, const Corner& c2) {
    auto inside = [](int32_t a, int32_t low, int32_t high) { return a >= low && a <= high; };
    constexpr int32_t kTexel = (1 << 15) - 1;
    for (const Corner* c : {&c0, &c1, &c2})
        if (!inside(c->x, 0, kFrameWidth) || !inside(c->y, 0, kFrameHeight) ||
            !inside(c->u, -kTexel, kTexel) || !inside(c->v, -kTexel, kTexel))
            return false;
    const int64_t low = std::min({c0.depth, c1.depth, c2.depth});
    const int64_t high = std::max({c0.depth, c1.depth, c2.depth});
    return high - low < (1 << 21);
}

// Rows top .. bottom - 1 of the frame: the part a walk may draw.
struct RowRange {
    int64_t top, bottom;
};

template <Clip clip>
inline bool set_up(const RunEnd& a, const RunEnd& b, int64_t y, DrawnRun& out) {
    if constexpr (clip == Clip::Yes)
        return set_up_clipped_run(a, b, y, out);
    else
        return set_up_on_screen_run(a, b, y, out);
}

// Draws rows first .. last - 1 between a short edge and the long edge, as far
// as they lie in `rows`. Returns true when the long edge has reached row
// `last` (so the lower short edge can continue from there), false when the
// walk stopped at the bottom of `rows`. Rows above are stepped over in one
// multiplication: the same sums the row-by-row walk reaches.
template <Clip clip, class Draw>
inline bool walk_rows(int64_t first, int64_t last, RowRange rows, EdgeCrossing& on_short,
                      const Slope& short_slope, EdgeCrossing& on_long, const Slope& long_slope,
                      Draw& draw) {
    int64_t y = first;
    if (y >= last) return true;
    // Rows above the range: stepped over at once.
    if (y < rows.top) {
        const int64_t skip = std::min(rows.top - y, last - y);
        on_short.step(short_slope, skip);
        on_long.step(long_slope, skip);
        y += skip;
    }
    // Rows in the range: one run each, then both crossings move down a row.
    const int64_t stop = std::min(last, rows.bottom);
    for (; y < stop; ++y) {
        DrawnRun run;
        if (set_up<clip>(on_short.run_end(), on_long.run_end(), y, run)) draw(run, y);
        on_short.step(short_slope);
        on_long.step(long_slope);
    }
    return y == last;
}

// The walk of corners sorted by y (c0.y <= c1.y <= c2.y).
template <Clip clip, class Draw>
inline void walk_sorted(const Corner& c0, const Corner& c1, const Corner& c2, RowRange rows,
                        Draw& draw) {
    assert(c0.y <= c1.y && c1.y <= c2.y);
    const Slope long_slope = edge_slope<clip>(c0, c2);
    const Slope upper_slope = edge_slope<clip>(c0, c1);
    const Slope lower_slope = edge_slope<clip>(c1, c2);

    EdgeCrossing on_long(c0);
    EdgeCrossing on_upper(c0);
    if (!walk_rows<clip>(c0.y, c1.y, rows, on_upper, upper_slope, on_long, long_slope, draw))
        return;
    EdgeCrossing on_lower(c1);
    walk_rows<clip>(c1.y, c2.y, rows, on_lower, lower_slope, on_long, long_slope, draw);
}

} // namespace triangle_walk_detail

// Calls draw(const DrawnRun& run, int64_t y) for every run of the triangle that
// has pixels on screen in rows top .. bottom - 1 (a part of the frame,
// 0 <= top <= bottom <= 240), top to bottom. A run comes out the same
// whatever rows are asked for.
template <class Draw>
inline void walk_triangle(const Corner& c0, const Corner& c1, const Corner& c2, Draw draw,
                          int64_t top = 0, int64_t bottom = kFrameHeight) {
    using namespace triangle_walk_detail;
    assert(0 <= top && top <= bottom && bottom <= kFrameHeight);
    // Sorted by y: the corners stay where they are, their addresses move.
    const Corner *p0 = &c0, *p1 = &c1, *p2 = &c2;
    if (p1->y < p0->y) std::swap(p0, p1);
    if (p2->y < p0->y) std::swap(p0, p2);
    if (p2->y < p1->y) std::swap(p1, p2);
    // No rows in the range (the bottom row y2 is never drawn).
    if (p2->y <= top || p0->y >= bottom || p0->y == p2->y) return;
    if (on_screen(*p0, *p1, *p2))
        walk_sorted<Clip::No>(*p0, *p1, *p2, {top, bottom}, draw);
    else
        walk_sorted<Clip::Yes>(*p0, *p1, *p2, {top, bottom}, draw);
}
