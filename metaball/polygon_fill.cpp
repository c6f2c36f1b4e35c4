// The metaball polygon filler (see polygon_fill.h).
//
// 16.16 arithmetic: ceil16(a) = (a + 0xFFFF) >> 16 is the first whole pixel
// at or after a; mul16(a, b) is the 64-bit product shifted right by 16 and cut
// to 32 bits. Running coordinates are Steppers: unsigned 32-bit sums, which
// wrap exactly like the two's-complement registers they model.
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

#include "core/colour.h"
#include "core/pixels4.h"
#include "core/screen.h"
#include "render/truncate.h"

PolygonFiller polygon_filler;

namespace {

int64_t ceil16(int64_t a) {
    return (a + 0xFFFF) >> 16;
}

int32_t mul16(int64_t a, int64_t b) {
    return static_cast<int32_t>((a * b) >> 16);
}

int32_t wrap(int64_t a) {
    return static_cast<int32_t>(a);
}

// A coordinate stepped by a constant per row or per pixel, modulo 2^32.
struct Stepper {
    uint32_t value = 0, step = 0;
    Stepper() = default;
    Stepper(uint32_t start, int32_t per_step)
        : value(start), step(static_cast<uint32_t>(per_step)) {}
    // n steps at once: the sum n single steps reach, modulo 2^32.
    void skip(int64_t n) { value += static_cast<uint32_t>(n) * step; }
    uint32_t next() {
        const uint32_t v = value;
        value += step;
        return v;
    }
};

// `start` moved by the sub-pixel prestep p along `slope`, modulo 2^32.
uint32_t prestepped(int32_t start, int32_t p, int32_t slope) {
    return static_cast<uint32_t>(start) + static_cast<uint32_t>(mul16(p, slope));
}

// x slope in 16.16 pixels per row: exact integer division for edges taller
// than a pixel, floating point for shorter ones.
int32_t x_slope(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int64_t dx = int64_t(x1) - x0;
    const int64_t dy = int64_t(y1) - y0;
    if (dy > 0xFFFF) return wrap(dx * 65536 / dy);
    return trunc_to_int32(double(static_cast<float>(dx)) * 65536.0 /
                          double(static_cast<float>(dy)));
}

// Sub-pixel distance from y0 down to the first row's pixel centre line.
int32_t prestep(int32_t y0) {
    return wrap(((int64_t(y0) + 0xFFFF) & ~int64_t(0xFFFF)) - y0);
}

// 16.16 texels per pixel along a row, from the plane through corners 0, 1, 2.
int32_t gradient(float q0, float q1, float q2, float dy1, float dy2, float area) {
    const double n =
        (double(q2) - double(q0)) * double(dy1) - (double(q1) - double(q0)) * double(dy2);
    return trunc_to_int32(n * 65536.0 / double(area));
}

// The end side's x at each row of an edge from a to b (b lower on the screen).
struct EndEdge {
    Stepper x;
    EndEdge() = default;
    EndEdge(const MetaballVertex& a, const MetaballVertex& b) {
        const int32_t slope = x_slope(a.screen_x, a.screen_y, b.screen_x, b.screen_y);
        x = Stepper(prestepped(a.screen_x, prestep(a.screen_y), slope), slope);
    }
    void skip(int64_t rows) { x.skip(rows); }
    void step() { x.next(); }
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
            trunc_to_int32(double(static_cast<float>(int64_t(u1) - u0)) * 65536.0 / dy);
        const int32_t v_slope =
            trunc_to_int32(double(static_cast<float>(int64_t(v1) - v0)) * 65536.0 / dy);
        const int32_t p = prestep(y0);
        x = Stepper(prestepped(x0, p, slope), slope);
        u = Stepper(prestepped(u0, p, u_slope), u_slope);
        v = Stepper(prestepped(v0, p, v_slope), v_slope);
    }
    void skip(int64_t rows) {
        x.skip(rows);
        u.skip(rows);
        v.skip(rows);
    }
    void step() {
        x.next();
        u.next();
        v.next();
    }
};

// One side of the polygon: its chain of edges from the top corner to the
// bottom one, `direction` +1 (forward) or -1 (backward) through the corners.
// An edge covers the rows from ceil16 of its upper y up to, not including,
// ceil16 of its lower y; edges that cover no row are passed over.
template <typename Edge> class Side {
  public:
    Side(const MetaballVertex* const* corners, int n, int top, int bottom, int direction)
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
            row_end_ = ceil16(b.screen_y);
            if (y >= row_end_) continue;
            edge_ = Edge(a, b);
            edge_.skip(y - ceil16(a.screen_y)); // rows above the frame
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
// Plain form, per pixel: row[x] = add_saturate(texel(u >> 16, v >> 16),
// row[x]), then u += du, v += dv.
//
// Most spans are a few pixels long, and a branch on the pixels left costs
// more than the pixels: the vector loop covers a span of four pixels or more
// in whole groups of four, the lanes of the last group that lie past the
// span writing back the row's own pixels. Groups stay inside the row; the
// plain loop draws the shorter spans and the pixels next to the row's right
// end where a group does not fit.
void add_span(uint32_t* row, int64_t x0, int64_t x1, Stepper u, Stepper v, const uint32_t* texels,
              const GroupSteps& steps) {
    auto texel_index = [](uint32_t tu, uint32_t tv) {
        return ((tv >> 16) & 255u) * 256u + ((tu >> 16) & 255u);
    };
    int64_t x = x0;
    if (x1 - x0 >= 4 && x0 <= kFrameWidth - 4) {
        using namespace px4;
        const int64_t groups_end = std::min<int64_t>(x1, kFrameWidth - 3);
        Pixels4 us = add32(splat(u.value), steps.u_lanes);
        Pixels4 vs = add32(splat(v.value), steps.v_lanes);
        const Pixels4 byte = splat(255u), colour = splat(0x00FFFFFFu);
        do {
            uint32_t index[4];
            to_array(shift_left32<8>(shift_right32<16>(vs) & byte) | (shift_right32<16>(us) & byte),
                     index);
            const Pixels4 t =
                gather(texels[index[0]], texels[index[1]], texels[index[2]], texels[index[3]]);
            const Pixels4 frame = load(row + x);
            const Pixels4 in_span = load(kFirstLanes[std::clamp<int64_t>(x1 - x, 0, 4)]);
            store(row + x, select(in_span, add_bytes_saturate(t, frame & colour), frame));
            us = add32(us, steps.u_step);
            vs = add32(vs, steps.v_step);
            x += 4;
        } while (x < groups_end);
        if (x >= x1) return;
        u.skip(x - x0);
        v.skip(x - x0);
    }
    for (; x < x1; ++x) {
        const uint32_t tu = u.next(), tv = v.next();
        row[x] = add_saturate(texels[texel_index(tu, tv)], row[x]);
    }
}

} // namespace

void fill_metaball_polygon(const MetaballVertex* const* corners, int n, const Band& band) {
    if (n < 3) return;
    int top = 0, bottom = 0;
    for (int i = 1; i < n; ++i) {
        if (corners[i]->screen_y < corners[top]->screen_y)
            top = i;
        else if (corners[i]->screen_y > corners[bottom]->screen_y)
            bottom = i;
    }
    // Rows inside the band.
    const int64_t rows_first = std::max<int64_t>(ceil16(corners[top]->screen_y), band.top);
    const int64_t rows_end = std::min<int64_t>(ceil16(corners[bottom]->screen_y), band.bottom);
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
    Side<StartEdge> start(corners, n, top, bottom, -1);
    Side<EndEdge> end(corners, n, top, bottom, +1);
    for (int64_t y = rows_first; y < rows_end;) {
        // Rows where the same two edges bound the spans, stepped in local
        // copies that go back to their sides afterwards.
        StartEdge& start_edge = start.edge_at(y);
        EndEdge& end_edge = end.edge_at(y);
        StartEdge s = start_edge;
        EndEdge e = end_edge;
        const int64_t rows_here = std::min({rows_end, start.row_end(), end.row_end()});
        for (; y < rows_here; ++y, s.step(), e.step()) {
            const int32_t sx = static_cast<int32_t>(s.x.value);
            int64_t xs = ceil16(sx);
            int64_t xe = ceil16(static_cast<int32_t>(e.x.value));
            // The span's texture coordinates at its first pixel, then the
            // clip to the frame's columns.
            const int32_t p = wrap(xs * 65536 - sx);
            Stepper u(prestepped(static_cast<int32_t>(s.u.value), p, du), du);
            Stepper v(prestepped(static_cast<int32_t>(s.v.value), p, dv), dv);
            if (xs < 0) {
                u.skip(-xs);
                v.skip(-xs);
                xs = 0;
            }
            xe = std::min<int64_t>(xe, kFrameWidth);
            add_span(polygon_filler.target + y * kFrameWidth, xs, xe, u, v,
                     polygon_filler.environment_map, steps);
        }
        start_edge = s;
        end_edge = e;
    }
}
