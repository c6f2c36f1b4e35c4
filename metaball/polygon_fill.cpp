// The metaball polygon filler (see polygon_fill.h).
//
// Screen positions, texture coordinates and their steps are 16.16 numbers
// (core/fixed16.h). first_whole(a) is the first whole row or column at or
// after the position a; products of two 16.16 numbers are taken in 64 bits
// and cut to 32. Running coordinates are Steppers: unsigned 32-bit sums,
// which wrap exactly like the two's-complement registers they model.
//
// The polygon is drawn row by row. Its two sides are chains of edges from
// the top corner down to the bottom one: the start side walked backward
// through the corners, the end side forward. Each edge is set up in two
// steps, the stepping values at the first row it crosses and then the clip
// that moves them, in one multiplication, to the first row inside the frame;
// each span likewise, its texture coordinates at its first pixel and then the
// clip to column 0. The loops that follow only step.
#include "metaball/polygon_fill.h"

#include <algorithm>
#include <cassert>

#include "core/colour.h"
#include "core/fixed16.h"
#include "core/pixels4.h"
#include "core/screen.h"
#include "render/truncate.h"

namespace {

// The first whole row or column at or after the 16.16 position a, in 64 bits
// so that positions near the top of the 32-bit range do not overflow.
int64_t first_whole(int32_t a) {
    return fx16::ceil(int64_t{a});
}

int32_t wrap(int64_t a) {
    return static_cast<int32_t>(a);
}

// A coordinate stepped by a constant per row or per pixel, modulo 2^32:
// read `value`, then advance().
struct Stepper {
    uint32_t value = 0, per_step = 0;
    Stepper() = default;
    Stepper(uint32_t start, int32_t step) : value(start), per_step(static_cast<uint32_t>(step)) {}
    void advance() { value += per_step; }
    // n steps at once: the sum n single steps reach, modulo 2^32.
    void skip(int64_t n) { value += static_cast<uint32_t>(n) * per_step; }
};

// The sub-pixel prestep of a 16.16 position a: the distance (0 .. just under
// one whole) from a forward to the first whole row or column, where the
// sampling starts.
int32_t subpixel_prestep(int32_t a) {
    return wrap(first_whole(a) * fx16::kOne - a);
}

// `start` moved by `prestep` along `slope` (both 16.16), modulo 2^32.
uint32_t prestepped(int32_t start, int32_t prestep, int32_t slope) {
    return static_cast<uint32_t>(start) + static_cast<uint32_t>(fx16::mul(prestep, slope));
}

// x slope in 16.16 pixels per row: exact integer division for edges taller
// than a pixel, floating point for shorter ones.
int32_t x_slope(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int64_t dx = int64_t(x1) - x0;
    const int64_t dy = int64_t(y1) - y0;
    if (dy >= fx16::kOne) return wrap(dx * fx16::kOne / dy);
    return trunc_to_int32(double(static_cast<float>(dx)) * fx16::kOneF /
                          double(static_cast<float>(dy)));
}

// 16.16 texels per pixel along a row, from the plane through corners 0, 1, 2.
int32_t gradient(float q0, float q1, float q2, float dy1, float dy2, float area) {
    const double n =
        (double(q2) - double(q0)) * double(dy1) - (double(q1) - double(q0)) * double(dy2);
    return trunc_to_int32(n * fx16::kOneF / double(area));
}

// The end side's x at each row of an edge from a to b (b lower on the screen).
struct EndEdge {
    Stepper x;
    EndEdge() = default;
    EndEdge(const MetaballVertex& a, const MetaballVertex& b) {
        const int32_t slope = x_slope(a.screen_x, a.screen_y, b.screen_x, b.screen_y);
        x = Stepper(prestepped(a.screen_x, subpixel_prestep(a.screen_y), slope), slope);
    }
    void skip(int64_t rows) { x.skip(rows); }
    void advance() { x.advance(); }
};

// The start side's x, u and v at each row of an edge from a to b.
struct StartEdge {
    Stepper x, u, v;
    StartEdge() = default;
    StartEdge(const MetaballVertex& a, const MetaballVertex& b) {
        const int32_t x0 = a.screen_x, y0 = a.screen_y, x1 = b.screen_x, y1 = b.screen_y;
        const int32_t u0 = trunc_to_int32(a.env_u), v0 = trunc_to_int32(a.env_v);
        const int32_t u1 = trunc_to_int32(b.env_u), v1 = trunc_to_int32(b.env_v);
        const double dy = static_cast<float>(int64_t(y1) - y0);
        const int32_t slope = x_slope(x0, y0, x1, y1);
        const int32_t u_slope =
            trunc_to_int32(double(static_cast<float>(int64_t(u1) - u0)) * fx16::kOneF / dy);
        const int32_t v_slope =
            trunc_to_int32(double(static_cast<float>(int64_t(v1) - v0)) * fx16::kOneF / dy);
        const int32_t row_prestep = subpixel_prestep(y0);
        x = Stepper(prestepped(x0, row_prestep, slope), slope);
        u = Stepper(prestepped(u0, row_prestep, u_slope), u_slope);
        v = Stepper(prestepped(v0, row_prestep, v_slope), v_slope);
    }
    void skip(int64_t rows) {
        x.skip(rows);
        u.skip(rows);
        v.skip(rows);
    }
    void advance() {
        x.advance();
        u.advance();
        v.advance();
    }
};

// One side of the polygon: its chain of edges from the top corner to the
// bottom one, `direction` +1 (forward) or -1 (backward) through the corners.
// An edge covers the rows from first_whole of its upper y up to, not
// including, first_whole of its lower y; edges that cover no row are passed
// over.
template <typename Edge> class PolygonEdgeWalk {
  public:
    PolygonEdgeWalk(const MetaballVertex* const* corners, int n, int top, int bottom, int direction)
        : corners_(corners), n_(n), corner_(top), bottom_(bottom), direction_(direction) {}

    // Sets up the edge that covers row y, its values moved to that row. Rows
    // come in order from the top.
    Edge& edge_at(int64_t y) {
        while (y >= row_end_ && corner_ != bottom_) {
            const MetaballVertex& a = *corners_[corner_];
            corner_ += direction_;
            if (corner_ == n_) corner_ = 0;
            if (corner_ < 0) corner_ = n_ - 1;
            const MetaballVertex& b = *corners_[corner_];
            row_end_ = first_whole(b.screen_y);
            if (y >= row_end_) continue;
            edge_ = Edge(a, b);
            edge_.skip(y - first_whole(a.screen_y)); // rows above the band
        }
        return edge_;
    }
    // The first row past the current edge.
    int64_t row_end() const { return row_end_; }

  private:
    const MetaballVertex* const* corners_;
    int n_, corner_, bottom_, direction_;
    int64_t row_end_ = INT64_MIN;
    Edge edge_;
};

// What the vector loop of a span needs of the texture gradients: the four
// lanes' offsets from the first pixel (0, 1, 2 and 3 steps) and the step
// from one group of four pixels to the next.
struct GroupSteps {
    px4::Pixels4 u_lanes, v_lanes, u_step, v_step;
    GroupSteps(int32_t du, int32_t dv)
        : u_lanes(px4::lanes(0, static_cast<uint32_t>(du))),
          v_lanes(px4::lanes(0, static_cast<uint32_t>(dv))),
          u_step(px4::splat(4 * static_cast<uint32_t>(du))),
          v_step(px4::splat(4 * static_cast<uint32_t>(dv))) {}
};

// Lane masks for a group of four pixels of which the first n (0..4) belong
// to the span.
constexpr uint32_t kFirstLanes[5][4] = {
    {0, 0, 0, 0}, {~0u, 0, 0, 0}, {~0u, ~0u, 0, 0}, {~0u, ~0u, ~0u, 0}, {~0u, ~0u, ~0u, ~0u}};

// Adds the texels along one span onto the row: pixels x0 .. x1 - 1 (none
// when x1 <= x0; x0 >= 0, x1 <= the frame width), u and v at pixel x0.
// Plain form, per pixel: row[x] = add_saturate(texel at the whole parts of
// u and v, row[x]), then u += du, v += dv.
//
// Most spans are a few pixels long, and a branch on the pixels left costs
// more than the pixels: the vector loop covers a span of four pixels or more
// in whole groups of four, the lanes of the last group that lie past the
// span writing back the row's own pixels. Groups stay inside the row; the
// plain loop draws the shorter spans and the pixels next to the row's right
// end where a group does not fit.
void add_span(uint32_t* row, int64_t x0, int64_t x1, Stepper u, Stepper v, const uint32_t* texels,
              const GroupSteps& steps) {
    assert(x0 >= 0 && x1 <= kFrameWidth);
    int64_t x = x0;
    if (x1 - x0 >= 4 && x0 <= kFrameWidth - 4) {
        using namespace px4;
        // A group starts before groups_end, so its four pixels end inside the
        // row.
        const int64_t groups_end = std::min<int64_t>(x1, kFrameWidth - 3);
        Pixels4 us = add32(splat(u.value), steps.u_lanes);
        Pixels4 vs = add32(splat(v.value), steps.v_lanes);
        const Pixels4 column_mask = splat(0xFFu), row_mask = splat(0xFF00u);
        const Pixels4 colour = splat(0x00FFFFFFu);
        do {
            assert(x + 4 <= kFrameWidth);
            // Texel indices: fx16::texel_row_offset(v) | fx16::texel_column(u)
            // in each lane.
            uint32_t index[4];
            to_array((shift_right32<8>(vs) & row_mask) | (shift_right32<16>(us) & column_mask),
                     index);
            // The texels, one scalar load each.
            const Pixels4 t =
                gather(texels[index[0]], texels[index[1]], texels[index[2]], texels[index[3]]);
            // Added onto the frame's pixels, saturating; lanes past the span
            // keep the frame's pixel.
            const Pixels4 frame = load(row + x);
            const Pixels4 in_span = load(kFirstLanes[std::clamp<int64_t>(x1 - x, 0, 4)]);
            store(row + x, select(in_span, add_bytes_saturate(t, frame & colour), frame));
            // u and v four pixels on.
            us = add32(us, steps.u_step);
            vs = add32(vs, steps.v_step);
            x += 4;
        } while (x < groups_end);
        if (x >= x1) return;
        u.skip(x - x0);
        v.skip(x - x0);
    }
    for (; x < x1; ++x, u.advance(), v.advance()) {
        const uint32_t texel =
            texels[fx16::texel_row_offset(v.value) | fx16::texel_column(u.value)];
        row[x] = add_saturate(texel, row[x]);
    }
}

} // namespace

void fill_metaball_polygon(const PolygonFillBuffers& buffers, const MetaballVertex* const* corners,
                           int n, const Band& band) {
    if (n < 3) return;
    int top = 0, bottom = 0;
    for (int i = 1; i < n; ++i) {
        if (corners[i]->screen_y < corners[top]->screen_y)
            top = i;
        else if (corners[i]->screen_y > corners[bottom]->screen_y)
            bottom = i;
    }
    // Rows inside the band.
    const int64_t rows_first = std::max<int64_t>(first_whole(corners[top]->screen_y), band.top);
    const int64_t rows_end = std::min<int64_t>(first_whole(corners[bottom]->screen_y), band.bottom);
    if (rows_first >= rows_end) return;

    const MetaballVertex& c0 = *corners[0];
    const MetaballVertex& c1 = *corners[1];
    const MetaballVertex& c2 = *corners[2];
    const float dx1 = static_cast<float>(int64_t(c1.screen_x) - c0.screen_x);
    const float dy1 = static_cast<float>(int64_t(c1.screen_y) - c0.screen_y);
    const float dx2 = static_cast<float>(int64_t(c2.screen_x) - c0.screen_x);
    const float dy2 = static_cast<float>(int64_t(c2.screen_y) - c0.screen_y);
    const float area = static_cast<float>(double(dx2) * double(dy1) - double(dx1) * double(dy2));
    if (area == 0) return;
    const int32_t du = gradient(c0.env_u, c1.env_u, c2.env_u, dy1, dy2, area);
    const int32_t dv = gradient(c0.env_v, c1.env_v, c2.env_v, dy1, dy2, area);

    const GroupSteps steps(du, dv);
    PolygonEdgeWalk<StartEdge> start(corners, n, top, bottom, -1);
    PolygonEdgeWalk<EndEdge> end(corners, n, top, bottom, +1);
    for (int64_t y = rows_first; y < rows_end;) {
        // Rows where the same two edges bound the spans, stepped in local
        // copies that go back to their walks afterwards.
        StartEdge& start_edge = start.edge_at(y);
        EndEdge& end_edge = end.edge_at(y);
        StartEdge s = start_edge;
        EndEdge e = end_edge;
        const int64_t rows_here = std::min({rows_end, start.row_end(), end.row_end()});
        for (; y < rows_here; ++y, s.advance(), e.advance()) {
            assert(y >= 0 && y < kFrameHeight);
            const int32_t sx = static_cast<int32_t>(s.x.value);
            int64_t xs = first_whole(sx);
            int64_t xe = first_whole(static_cast<int32_t>(e.x.value));
            // The span's texture coordinates at its first pixel, then the
            // clip to the frame's columns.
            const int32_t column_prestep = subpixel_prestep(sx);
            Stepper u(prestepped(static_cast<int32_t>(s.u.value), column_prestep, du), du);
            Stepper v(prestepped(static_cast<int32_t>(s.v.value), column_prestep, dv), dv);
            if (xs < 0) {
                u.skip(-xs);
                v.skip(-xs);
                xs = 0;
            }
            xe = std::min<int64_t>(xe, kFrameWidth);
            add_span(buffers.target + y * kFrameWidth, xs, xe, u, v, buffers.environment_map,
                     steps);
        }
        start_edge = s;
        end_edge = e;
    }
}
