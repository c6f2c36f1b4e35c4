// Marching cubes over the field grid (see marching_cubes.h).
#include "metaball/marching_cubes.h"

#include <cmath>

#include "metaball/marching_cubes_tables.h"

namespace {

// Grid offsets (di, dj, dk) of each cell corner from the cell's (i, j, k).
constexpr int kCornerOffsets[8][3] = {{-1, 0, 0}, {0, 0, 0}, {0, 0, -1}, {-1, 0, -1},
                                      {-1, 1, 0}, {0, 1, 0}, {0, 1, -1}, {-1, 1, -1}};

// Cache slot of each cell edge: direction (0 = x, 1 = y, 2 = z) and the
// offsets of its lower grid point.
struct EdgeSlot {
    int direction;
    int di, dj, dk;
};
constexpr EdgeSlot kEdgeSlots[12] = {
    {0, -1, 0, 0},  {2, 0, 0, -1},  {0, -1, 0, -1}, {2, -1, 0, -1}, {0, -1, 1, 0}, {2, 0, 1, -1},
    {0, -1, 1, -1}, {2, -1, 1, -1}, {1, -1, 0, 0},  {1, 0, 0, 0},   {1, 0, 0, -1}, {1, -1, 0, -1},
};

} // namespace

void clear_edge_cache(Surface& surface) {
    for (int32_t& slot : surface.edge_cache)
        slot = kNoVertex;
}

FloatVector edge_vertex(const GridPoint& a, const GridPoint& b) {
    const double va = a.value, vb = b.value;
    float t = static_cast<float>((1.0 - va) / (vb - va));
    // Only an infinite value at a (a blob exactly on a grid point) gives no
    // number here; the crossing then lies at b's end.
    if (std::isnan(t)) t = 1.0f;
    const FloatVector& pa = a.position;
    const FloatVector& pb = b.position;
    return {static_cast<float>(pa.x + (double(pb.x) - pa.x) * t),
            static_cast<float>(pa.y + (double(pb.y) - pa.y) * t),
            static_cast<float>(pa.z + (double(pb.z) - pa.z) * t)};
}

void extract_surface(const Field& field, Surface& surface) {
    surface.vertex_total = 0;
    surface.triangle_total = 0;
    // Each grid point's side of the surface, worked out once rather than for
    // each of the up to eight cells that share the point.
    uint8_t below[kGridPoints];
    for (int p = 0; p < kGridPoints; ++p)
        below[p] = field.grid[p].value < kSurfaceLevel ? 1 : 0;
    for (int k = kGridSize - 1; k >= 1; --k)
        for (int j = 0; j < kGridSize - 1; ++j)
            for (int i = 1; i < kGridSize; ++i) {
                const GridPoint* corners[8];
                int index = 0;
                int points[8];
                for (int n = 0; n < 8; ++n) {
                    points[n] = grid_index(i + kCornerOffsets[n][0], j + kCornerOffsets[n][1],
                                           k + kCornerOffsets[n][2]);
                    index |= below[points[n]] << n;
                }
                const uint16_t mask = kEdgeTable[index];
                if (mask == 0) continue;
                for (int n = 0; n < 8; ++n)
                    corners[n] = &field.grid[points[n]];

                int32_t edge_vertices[12];
                for (int e = 0; e < 12; ++e) {
                    edge_vertices[e] = kNoVertex;
                    if (!(mask & (1u << e))) continue;
                    const EdgeSlot& s = kEdgeSlots[e];
                    int32_t& slot = surface.edge_cache[s.direction * kGridPoints +
                                                       grid_index(i + s.di, j + s.dj, k + s.dk)];
                    if (slot == kNoVertex && surface.vertex_total < surface.vertex_capacity) {
                        MetaballVertex& v = surface.vertices[surface.vertex_total];
                        v = MetaballVertex{};
                        v.position =
                            edge_vertex(*corners[kEdgeCorners[e][0]], *corners[kEdgeCorners[e][1]]);
                        slot = surface.vertex_total++;
                    }
                    edge_vertices[e] = slot;
                }

                const int8_t* row = kTriangleTable[index];
                for (int n = 0; row[n] != -1; n += 3) {
                    const int32_t a = edge_vertices[row[n]];
                    const int32_t b = edge_vertices[row[n + 1]];
                    const int32_t c = edge_vertices[row[n + 2]];
                    if (a == kNoVertex || b == kNoVertex || c == kNoVertex) continue;
                    if (surface.triangle_total >= surface.triangle_capacity) continue;
                    MetaballTriangle& t = surface.triangles[surface.triangle_total++];
                    t = MetaballTriangle{};
                    t.corners[0] = a;
                    t.corners[1] = b;
                    t.corners[2] = c;
                }
            }
}
