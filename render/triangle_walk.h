// The triangle walker shared by the three fillers.
//
// A triangle arrives as three corners in screen pixels with whole-texel
// texture coordinates and a plain-integer depth. The walker sorts them by y,
// sets up the three edges (0 -> 1, 1 -> 2, 2 -> 0) with 16.16 slopes (x, u and
// v per row, times 65536; depth per row without the factor), and walks the
// rows y0 .. y1 - 1 between edges 0 and 2, then y1 .. y2 - 1 between edges 1
// and 2. For each row it hands the span routine the integer parts (rounded
// toward minus infinity) of both sides. The bottom row y2 is never drawn, so
// a triangle whose corners share one row draws nothing.
//
// The walk is template code over the pixel loop so that each filler's row
// loop inlines it. Sums are 64-bit, which holds any 32-bit corner exactly.
// A triangle that lies inside the frame (the common case) is walked without
// any clipping; any other is walked with every run clipped (spans.h). Either
// walk keeps to a range of rows (the frame, or one band of it): rows above
// are stepped over at once and the walk stops at the range's last row, so
// corners a million rows away cost nothing.
#pragma once
#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/screen.h"
#include "render/small_divide.h"
#include "render/spans.h"

struct Corner {
    int32_t x, y, u, v, depth;
};

namespace triangle_walk_detail {

// Per-row change of x, u, v (16.16) and depth along one edge.
struct Slope {
    int64_t x = 0, u = 0, v = 0, depth = 0;
};

// Position of one side of the triangle on the current row.
struct Side {
    int64_t x, u, v, depth;

    explicit Side(const Corner& c)
        : x(int64_t{c.x} * 65536), u(int64_t{c.u} * 65536), v(int64_t{c.v} * 65536),
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
    SpanEnd end() const { return {x >> 16, u >> 16, v >> 16, depth}; }
};

template <Clip clip> inline Slope edge_slope(const Corner& from, const Corner& to) {
    Slope s;
    int64_t dy = int64_t{to.y} - from.y;
    if (dy == 0) return s;
    // a / -b truncates to the same quotient as -a / b.
    const int64_t sign = dy < 0 ? -1 : 1;
    dy *= sign;
    const int64_t dx = sign * (int64_t{to.x} - from.x), du = sign * (int64_t{to.u} - from.u),
                  dv = sign * (int64_t{to.v} - from.v),
                  ddepth = sign * (int64_t{to.depth} - from.depth);
    if constexpr (clip == Clip::Yes) {
        s.x = (dx * 65536) / dy;
        s.u = (du * 65536) / dy;
        s.v = (dv * 65536) / dy;
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
// less than 2^21 apart. A side steps from one corner toward another by a
// slope truncated toward zero, so it never passes the far corner: every run
// end lies within the corners' ranges, which is what set_up_run<Clip::No>
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

// Draws rows first .. last - 1 between sides a and b, as far as they lie in
// `rows`. Returns true when b has reached row `last` (so a following part can
// continue it), false when the walk stopped at the bottom of `rows`. Rows
// above are stepped over in one multiplication: the same sums the row-by-row
// walk reaches.
template <Clip clip, class Draw>
inline bool walk_rows(int64_t first, int64_t last, RowRange rows, Side& a, const Slope& sa, Side& b,
                      const Slope& sb, Draw& draw) {
    int64_t y = first;
    if (y >= last) return true;
    if (y < rows.top) {
        const int64_t skip = std::min(rows.top - y, last - y);
        a.step(sa, skip);
        b.step(sb, skip);
        y += skip;
    }
    const int64_t stop = std::min(last, rows.bottom);
    for (; y < stop; ++y) {
        ClippedSpan run;
        if (set_up_run<clip>(a.end(), b.end(), y, run)) draw(run, y);
        a.step(sa);
        b.step(sb);
    }
    return y == last;
}

template <Clip clip, class Draw>
inline void walk_sorted(const Corner& c0, const Corner& c1, const Corner& c2, RowRange rows,
                        Draw& draw) {
    const Slope edge0 = edge_slope<clip>(c0, c1);
    const Slope edge1 = edge_slope<clip>(c1, c2);
    const Slope edge2 = edge_slope<clip>(c2, c0); // runs upward: the slope of 0 -> 2

    Side a(c0), b(c0);
    if (!walk_rows<clip>(c0.y, c1.y, rows, a, edge0, b, edge2, draw)) return;
    Side lower(c1);
    walk_rows<clip>(c1.y, c2.y, rows, lower, edge1, b, edge2, draw);
}

} // namespace triangle_walk_detail

// Calls draw(const ClippedSpan& run, int64_t y) for every run of the
// triangle that has pixels on screen in rows top .. bottom - 1 (a part of the
// frame, 0 <= top <= bottom <= 240), top to bottom. A run comes out the same
// whatever rows are asked for.
template <class Draw>
inline void walk_triangle(const Corner& c0, const Corner& c1, const Corner& c2, Draw draw,
                          int64_t top = 0, int64_t bottom = kFrameHeight) {
    using namespace triangle_walk_detail;
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
