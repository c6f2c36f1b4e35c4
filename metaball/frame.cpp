// One metaball frame (see frame.h and metaball.h). Stored values are floats
// computed in double precision; screen positions are truncated toward zero.
#include "metaball/frame.h"

#include <algorithm>
#include <vector>

#include "core/bands.h"
#include "core/fixed16.h"
#include "core/pixels4.h"
#include "core/round_to_float.h"
#include "core/screen.h"
#include "metaball/metaball.h"
#include "metaball/polygon_fill.h"
#include "render/truncate.h"

namespace {

// The normals of the vertices vertex(0) .. vertex(count - 1), where vertex(n)
// returns a MetaballVertex&. Per vertex v and blob B, in this order: d = v - B
// rounded to float per component; q = d.x^2 + d.y^2 + d.z^2 rounded to float;
// each component of the normal becomes float(normal + d / q). The vector loop
// runs two vertices side by side, one per lane, with the same roundings.
template <typename VertexAt> void normals_of(const Field& field, int32_t count, VertexAt vertex) {
    int32_t n = 0;
    for (; n + 2 <= count; n += 2) {
        using namespace px4;
        MetaballVertex& v0 = vertex(n);
        MetaballVertex& v1 = vertex(n + 1);
        const FloatVector& p0 = v0.position;
        const FloatVector& p1 = v1.position;
        const Doubles2 px = doubles(p0.x, p1.x), py = doubles(p0.y, p1.y);
        const Doubles2 pz = doubles(p0.z, p1.z);
        Doubles2 nx = splat_double(0), ny = splat_double(0), nz = splat_double(0);
        for (const Blob& blob : field.blobs) {
            const Doubles2 dx = round_to_float(px - splat_double(blob.position.x));
            const Doubles2 dy = round_to_float(py - splat_double(blob.position.y));
            const Doubles2 dz = round_to_float(pz - splat_double(blob.position.z));
            const Doubles2 q = round_to_float(dx * dx + dy * dy + dz * dz);
            nx = round_to_float(nx + dx / q);
            ny = round_to_float(ny + dy / q);
            nz = round_to_float(nz + dz / q);
        }
        v0.normal = {float_lane(nx, 0), float_lane(ny, 0), float_lane(nz, 0)};
        v1.normal = {float_lane(nx, 1), float_lane(ny, 1), float_lane(nz, 1)};
    }
    for (; n < count; ++n) {
        MetaballVertex& v = vertex(n);
        FloatVector normal{0, 0, 0};
        for (const Blob& blob : field.blobs) {
            const FloatVector d = vector_difference(v.position, blob.position);
            const double q =
                static_cast<float>(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z);
            normal.x = round_to_float(normal.x + d.x / q);
            normal.y = round_to_float(normal.y + d.y / q);
            normal.z = round_to_float(normal.z + d.z / q);
        }
        v.normal = normal;
    }
}

} // namespace

void vertex_normals(Surface& surface, const Field& field) {
    normals_of(field, surface.vertex_total,
               [&surface](int32_t n) -> MetaballVertex& { return surface.vertices[n]; });
}

void face_normals(Surface& surface) {
    for_each_part(surface.triangle_total, [&surface](int32_t first, int32_t end) {
        for (int32_t n = first; n < end; ++n) {
            MetaballTriangle& t = surface.triangles[n];
            const FloatVector& p0 = surface.vertices[t.corners[0]].position;
            const FloatVector d1 = vector_difference(surface.vertices[t.corners[1]].position, p0);
            const FloatVector d2 = vector_difference(surface.vertices[t.corners[2]].position, p0);
            t.face_normal = cross_product(d1, d2);
            t.hidden = dot_product(p0, t.face_normal) > 0 ? 1 : 0;
        }
    });
}

namespace {

// normalise() for two vectors, one per lane: each component divided by the
// length rounded to float, and rounded to float itself.
struct Vectors2 {
    px4::Doubles2 x, y, z;
};
Vectors2 normalised(const Vectors2& a) {
    using namespace px4;
    const Doubles2 length = round_to_float(square_root(a.x * a.x + a.y * a.y + a.z * a.z));
    return {round_to_float(a.x / length), round_to_float(a.y / length),
            round_to_float(a.z / length)};
}

// The environment coordinates of the vertices vertex(0) .. vertex(count - 1).
// Per vertex: r = normalise(normalise(normal) - 2 normalise(position)), z
// taken from the normal alone; env = (r + 1) * kEnvScale for x and y. The
// vector loop runs two vertices side by side with the same roundings.
template <typename VertexAt> void environment_of(int32_t count, VertexAt vertex) {
    int32_t n = 0;
    for (; n + 2 <= count; n += 2) {
        using namespace px4;
        MetaballVertex& v0 = vertex(n);
        MetaballVertex& v1 = vertex(n + 1);
        const Vectors2 normal =
            normalised({doubles(v0.normal.x, v1.normal.x), doubles(v0.normal.y, v1.normal.y),
                        doubles(v0.normal.z, v1.normal.z)});
        const Vectors2 view = normalised({doubles(v0.position.x, v1.position.x),
                                          doubles(v0.position.y, v1.position.y),
                                          doubles(v0.position.z, v1.position.z)});
        const Doubles2 two = splat_double(2.0);
        const Vectors2 r = normalised({round_to_float(normal.x - two * view.x),
                                       round_to_float(normal.y - two * view.y), normal.z});
        const Doubles2 one = splat_double(1.0), scale = splat_double(kEnvScale);
        const Doubles2 u = (r.x + one) * scale, v = (r.y + one) * scale;
        v0.env_u = float_lane(u, 0);
        v0.env_v = float_lane(v, 0);
        v1.env_u = float_lane(u, 1);
        v1.env_v = float_lane(v, 1);
    }
    for (; n < count; ++n) {
        MetaballVertex& v = vertex(n);
        const FloatVector normal = normalise(v.normal);
        const FloatVector view = normalise(v.position);
        const FloatVector r = normalise({static_cast<float>(normal.x - 2.0 * view.x),
                                         static_cast<float>(normal.y - 2.0 * view.y), normal.z});
        v.env_u = static_cast<float>((r.x + 1.0) * kEnvScale);
        v.env_v = static_cast<float>((r.y + 1.0) * kEnvScale);
    }
}

// The vertices of the triangles that face the eye, in ascending order, into
// `seen` (resized to the vertex total; the list fills its front): the only
// vertices whose normals and environment coordinates the drawing uses.
int32_t seen_vertices(const Surface& surface, std::vector<int32_t>& seen) {
    seen.assign(static_cast<size_t>(surface.vertex_total), 0);
    for (int32_t n = 0; n < surface.triangle_total; ++n) {
        const MetaballTriangle& t = surface.triangles[n];
        if (t.hidden) continue;
        for (int32_t corner : t.corners)
            seen[static_cast<size_t>(corner)] = 1;
    }
    // In place: entry `count` is written after entry n >= count was read.
    int32_t count = 0;
    for (int32_t n = 0; n < surface.vertex_total; ++n) {
        const int32_t is_seen = seen[static_cast<size_t>(n)];
        seen[static_cast<size_t>(count)] = n;
        count += is_seen;
    }
    return count;
}

} // namespace

void environment_coordinates(Surface& surface) {
    environment_of(surface.vertex_total,
                   [&surface](int32_t n) -> MetaballVertex& { return surface.vertices[n]; });
}

namespace {

// The 16.16 screen positions of the vertices vertex(0) .. vertex(count - 1).
template <typename VertexAt> void projection_of(int32_t count, VertexAt vertex) {
    const double w = screen_width;
    const double half_w = screen_width / 2;
    const double half_h = screen_height / 2;
    for (int32_t n = 0; n < count; ++n) {
        MetaballVertex& v = vertex(n);
        const FloatVector& p = v.position;
        v.screen_x = trunc_to_int32((w * p.x / p.z + half_w) * fx16::kOneF);
        v.screen_y = trunc_to_int32((w * p.y / p.z + half_h) * fx16::kOneF);
    }
}

} // namespace

void project_vertices(Surface& surface) {
    projection_of(surface.vertex_total,
                  [&surface](int32_t n) -> MetaballVertex& { return surface.vertices[n]; });
}

void metaball_frame(uint32_t* frame) {
    Metaballs& m = metaballs;
    // Nothing to draw with before set-up or after release.
    if (!m.surface.vertices || !m.surface.triangles || !m.environment_map.pixels) return;
    const PolygonFillBuffers buffers{m.environment_map.pixels, frame};
    move_blobs(m.field, tick_counter);
    sample_field_near_surface(m.field);
    extract_surface(m.field, m.surface);
    face_normals(m.surface);
    // Normals, environment coordinates and screen positions only where a
    // triangle that faces the eye uses them; the other vertices keep those of
    // extraction (zero).
    const int32_t seen = seen_vertices(m.surface, m.seen_vertices);
    auto seen_vertex = [&](int32_t n) -> MetaballVertex& {
        return m.surface.vertices[m.seen_vertices[static_cast<size_t>(n)]];
    };
    for_each_part(seen, [&](int32_t first, int32_t end) {
        auto vertex = [&](int32_t n) -> MetaballVertex& { return seen_vertex(first + n); };
        normals_of(m.field, end - first, vertex);
        environment_of(end - first, vertex);
        projection_of(end - first, vertex);
    });
    // The triangles in two bands at once where there are two (core/bands.h).
    int32_t split = kFrameHeight;
    if (band_count() == 2) {
        // In the two parts of the triangles that face_normals wrote.
        auto add_rows = [&m](RowWork& work, int32_t first, int32_t end) {
            for (int32_t n = first; n < end; ++n) {
                const MetaballTriangle& t = m.surface.triangles[n];
                if (t.hidden) continue;
                const int32_t y0 = m.surface.vertices[t.corners[0]].screen_y;
                const int32_t y1 = m.surface.vertices[t.corners[1]].screen_y;
                const int32_t y2 = m.surface.vertices[t.corners[2]].screen_y;
                work.add(fx16::floor(int64_t{std::min({y0, y1, y2})}),
                         fx16::floor(int64_t{std::max({y0, y1, y2})}) + 1);
            }
        };
        split = split_in_parts(m.surface.triangle_total, add_rows);
    }
    for_each_band(
        [&](const Band& band) {
            for (int32_t n = 0; n < m.surface.triangle_total; ++n) {
                const MetaballTriangle& t = m.surface.triangles[n];
                if (t.hidden) continue;
                const MetaballVertex* corners[3] = {&m.surface.vertices[t.corners[0]],
                                                    &m.surface.vertices[t.corners[1]],
                                                    &m.surface.vertices[t.corners[2]]};
                fill_metaball_polygon(buffers, corners, 3, band);
            }
        },
        split);
}
