// The metaball polygon filler (see polygon_fill.h).
//
// 16.16 arithmetic: ceil16(a) = (a + 0xFFFF) >> 16 is the first whole pixel
// at or after a; mul16(a, b) is the 64-bit product shifted right by 16 and cut
// to 32 bits. Running coordinates are Steppers: unsigned 32-bit sums, which
// wrap exactly like the two's-complement registers they model.
//
// Each walk is written in three steps: the stepping values at the first row
// (or column) the edge (or span) crosses, the clip that skips the rows (or
// columns) outside the frame in one multiplication, and the loop that steps.
#include "metaball/polygon_fill.h"

#include <algorithm>

#include "core/colour.h"
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
    uint32_t value, step;
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

// Rows an edge from y0 to y1 writes, limited to the frame: [first, end).
struct RowRange {
    int64_t first_unclipped;
    int64_t first;
    int64_t end;
};

RowRange edge_rows(int32_t y0, int32_t y1) {
    const int64_t first = ceil16(y0);
    return {first, std::max<int64_t>(first, 0),
            std::min<int64_t>(ceil16(y1), std::min<int64_t>(kFrameHeight, kEdgeTableRows))};
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

void walk_end_edge(const MetaballVertex& a, const MetaballVertex& b) {
    const int32_t x0 = a.screen_x, y0 = a.screen_y, x1 = b.screen_x, y1 = b.screen_y;
    if (y1 <= y0) return;
    const int32_t slope = x_slope(x0, y0, x1, y1);
    Stepper x(prestepped(x0, prestep(y0), slope), slope);

    const RowRange rows = edge_rows(y0, y1);
    x.skip(rows.first - rows.first_unclipped);

    for (int64_t row = rows.first; row < rows.end; ++row)
        polygon_filler.end_x[row] = static_cast<int32_t>(x.next());
}

void walk_start_edge(const MetaballVertex& a, const MetaballVertex& b) {
    const int32_t x0 = a.screen_x, y0 = a.screen_y, x1 = b.screen_x, y1 = b.screen_y;
    if (y1 <= y0) return;
    const int32_t u0 = trunc_to_int32(a.env_u), v0 = trunc_to_int32(a.env_v);
    const int32_t u1 = trunc_to_int32(b.env_u), v1 = trunc_to_int32(b.env_v);
    const double dy = static_cast<float>(int64_t(y1) - y0);
    const int32_t slope = x_slope(x0, y0, x1, y1);
    const int32_t u_slope =
        trunc_to_int32(double(static_cast<float>(int64_t(u1) - u0)) * 65536.0 / dy);
    const int32_t v_slope =
        trunc_to_int32(double(static_cast<float>(int64_t(v1) - v0)) * 65536.0 / dy);
    const int32_t p = prestep(y0);
    Stepper x(prestepped(x0, p, slope), slope);
    Stepper u(prestepped(u0, p, u_slope), u_slope);
    Stepper v(prestepped(v0, p, v_slope), v_slope);

    const RowRange rows = edge_rows(y0, y1);
    const int64_t skipped = rows.first - rows.first_unclipped;
    x.skip(skipped);
    u.skip(skipped);
    v.skip(skipped);

    for (int64_t row = rows.first; row < rows.end; ++row) {
        polygon_filler.start_x[row] = static_cast<int32_t>(x.next());
        polygon_filler.start_u[row] = static_cast<int32_t>(u.next());
        polygon_filler.start_v[row] = static_cast<int32_t>(v.next());
    }
}

// 16.16 texels per pixel along a row, from the plane through corners 0, 1, 2.
int32_t gradient(float q0, float q1, float q2, float dy1, float dy2, float area) {
    const double n =
        (double(q2) - double(q0)) * double(dy1) - (double(q1) - double(q0)) * double(dy2);
    return trunc_to_int32(n * 65536.0 / double(area));
}

} // namespace

void fill_metaball_polygon(const MetaballVertex* const* corners, int n) {
    if (n < 3) return;
    int top = 0, bottom = 0;
    for (int i = 1; i < n; ++i) {
        if (corners[i]->screen_y < corners[top]->screen_y)
            top = i;
        else if (corners[i]->screen_y > corners[bottom]->screen_y)
            bottom = i;
    }
    const int64_t y_first = ceil16(corners[top]->screen_y);
    const int64_t y_last = ceil16(corners[bottom]->screen_y);
    if (y_first >= y_last) return;

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

    for (int i = top; i != bottom;) {
        const int next = i + 1 == n ? 0 : i + 1;
        walk_end_edge(*corners[i], *corners[next]);
        i = next;
    }
    for (int i = top; i != bottom;) {
        const int next = i == 0 ? n - 1 : i - 1;
        walk_start_edge(*corners[i], *corners[next]);
        i = next;
    }

    const uint32_t* texels = polygon_filler.environment_map;
    const int64_t rows_end = std::min<int64_t>(y_last, kFrameHeight);
    for (int64_t y = std::max<int64_t>(y_first, 0); y < rows_end; ++y) {
        const int32_t sx = polygon_filler.start_x[y];
        int64_t xs = ceil16(sx);
        int64_t xe = ceil16(polygon_filler.end_x[y]);
        if (xs >= xe) continue;
        const int32_t p = wrap(xs * 65536 - sx);
        Stepper u(prestepped(polygon_filler.start_u[y], p, du), du);
        Stepper v(prestepped(polygon_filler.start_v[y], p, dv), dv);

        if (xs < 0) {
            u.skip(-xs);
            v.skip(-xs);
            xs = 0;
        }
        xe = std::min<int64_t>(xe, kFrameWidth);

        uint32_t* row = polygon_filler.target + y * kFrameWidth;
        for (int64_t x = xs; x < xe; ++x) {
            const uint32_t tu = u.next(), tv = v.next();
            const uint32_t texel = texels[((tv >> 16) & 255u) * 256u + ((tu >> 16) & 255u)];
            row[x] = add_saturate(texel, row[x]);
        }
    }
}
