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
// The walk is template code over the span so that each filler's row loop
// inlines its span. Sums are 64-bit, which holds any 32-bit corner exactly;
// rows above the frame are stepped over in one multiplication (the same sums
// the row-by-row walk reaches) and the walk stops at the frame's last row, so
// corners a million rows away cost nothing.
#pragma once
#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/screen.h"
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
    void step(const Slope& s, int64_t rows) {
        x += s.x * rows;
        u += s.u * rows;
        v += s.v * rows;
        depth += s.depth * rows;
    }
    SpanEnd end() const { return {x >> 16, u >> 16, v >> 16, depth}; }
};

inline Slope edge_slope(const Corner& from, const Corner& to) {
    Slope s;
    const int64_t dy = int64_t{to.y} - from.y;
    if (dy == 0) return s;
    s.x = ((int64_t{to.x} - from.x) * 65536) / dy;
    s.u = ((int64_t{to.u} - from.u) * 65536) / dy;
    s.v = ((int64_t{to.v} - from.v) * 65536) / dy;
    s.depth = (int64_t{to.depth} - from.depth) / dy;
    return s;
}

// Draws rows first .. last - 1 between sides a and b. Returns true when b has
// reached row `last` (so a following part can continue it), false when the
// walk stopped at the bottom of the frame.
template <class Span>
inline bool walk_rows(int64_t first, int64_t last, Side& a, const Slope& sa, Side& b,
                      const Slope& sb, Span& span) {
    int64_t y = first;
    if (y >= last) return true;
    if (y < 0) {
        const int64_t skip = std::min(-y, last - y);
        a.step(sa, skip);
        b.step(sb, skip);
        y += skip;
    }
    const int64_t stop = std::min<int64_t>(last, kFrameHeight);
    for (; y < stop; ++y) {
        span(a.end(), b.end(), y);
        a.step(sa, 1);
        b.step(sb, 1);
    }
    return y == last;
}

} // namespace triangle_walk_detail

// Calls span(SpanEnd start, SpanEnd end, int64_t y) for every row of the
// triangle that can touch the frame (rows 0..239).
template <class Span> inline void walk_triangle(Corner c0, Corner c1, Corner c2, Span span) {
    using namespace triangle_walk_detail;
    if (c1.y < c0.y) std::swap(c0, c1);
    if (c2.y < c0.y) std::swap(c0, c2);
    if (c2.y < c1.y) std::swap(c1, c2);

    const Slope edge0 = edge_slope(c0, c1);
    const Slope edge1 = edge_slope(c1, c2);
    const Slope edge2 = edge_slope(c2, c0); // runs upward: the slope of 0 -> 2

    Side a(c0), b(c0);
    if (!walk_rows(c0.y, c1.y, a, edge0, b, edge2, span)) return;
    Side lower(c1);
    walk_rows(c1.y, c2.y, lower, edge1, b, edge2, span);
}
