// Marching cubes over the field grid (see marching_cubes.h).
#include "metaball/marching_cubes.h"

#include <algorithm>
#include <array>
#include <bit>
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

// Cell index from the bits of its two grid columns (see extract_surface):
// entry previous | current << 4.
constexpr std::array<uint8_t, 256> cell_indices() {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const int previous = c & 15, current = c >> 4;
        t[static_cast<size_t>(c)] = static_cast<uint8_t>(
            (previous & 1) | (current & 1) << 1 | (current >> 1 & 1) << 2 |
            (previous >> 1 & 1) << 3 | (previous >> 2 & 1) << 4 | (current >> 2 & 1) << 5 |
            (current >> 3 & 1) << 6 | (previous >> 3 & 1) << 7);
    }
    return t;
}
constexpr std::array<uint8_t, 256> kCellIndex = cell_indices();

// Each cell edge as offsets from its cell's grid index: the grid points of
// its two corners, in the order its vertex is interpolated, and its cache
// slot.
struct CellEdge {
    int32_t from, to, slot;
};
constexpr int32_t grid_offset(int di, int dj, int dk) {
    return di * kGridSize * kGridSize + dj * kGridSize + dk;
}
constexpr std::array<CellEdge, 12> cell_edges() {
    std::array<CellEdge, 12> t{};
    for (int e = 0; e < 12; ++e) {
        const int* a = kCornerOffsets[kEdgeCorners[e][0]];
        const int* b = kCornerOffsets[kEdgeCorners[e][1]];
        const EdgeSlot& s = kEdgeSlots[e];
        t[static_cast<size_t>(e)] = {grid_offset(a[0], a[1], a[2]), grid_offset(b[0], b[1], b[2]),
                                     s.direction * kGridPoints + grid_offset(s.di, s.dj, s.dk)};
    }
    return t;
}
constexpr std::array<CellEdge, 12> kCellEdges = cell_edges();

} // namespace

void clear_edge_cache(Surface& surface) {
    if (surface.edge_cache_empty) return;
    for (int32_t& slot : surface.edge_cache)
        slot = kNoVertex;
    surface.edge_cache_empty = true;
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
    clear_edge_cache(surface);
    surface.edge_cache_empty = false;
    surface.vertex_total = 0;
    surface.triangle_total = 0;
    // Each grid point's side of the surface, worked out once rather than for
    // each of the up to eight cells that share the point: bit i of
    // below[j][k] is set when point (i, j, k) lies below the surface level.
    uint32_t below[kGridSize][kGridSize] = {};
    for (int i = 0; i < kGridSize; ++i)
        for (int j = 0; j < kGridSize; ++j)
            for (int k = 0; k < kGridSize; ++k)
                below[j][k] |= uint32_t{field.grid[grid_index(i, j, k)].value < kSurfaceLevel} << i;
    constexpr uint32_t kCells = ((1u << kGridSize) - 1) & ~1u; // i = 1 .. 19
    for (int k = kGridSize - 1; k >= 1; --k)
        for (int j = 0; j < kGridSize - 1; ++j) {
            // The four rows of points that cells (i, j, k) use. Column i of
            // them, as four bits (i, j, k), (i, j, k - 1), (i, j + 1, k),
            // (i, j + 1, k - 1), gives a cell corners 1, 2, 5, 6, and column
            // i - 1 gives it corners 0, 3, 4, 7.
            const uint32_t rows[4] = {below[j][k], below[j][k - 1], below[j + 1][k],
                                      below[j + 1][k - 1]};
            auto column = [&rows](int i) {
                return static_cast<int>((rows[0] >> i & 1) | (rows[1] >> i & 1) << 1 |
                                        (rows[2] >> i & 1) << 2 | (rows[3] >> i & 1) << 3);
            };
            // A cell whose eight corners lie on one side (index 0 or 255)
            // has no crossing edge; only the others are visited, in order.
            const uint32_t all = rows[0] & rows[1] & rows[2] & rows[3];
            const uint32_t any = rows[0] | rows[1] | rows[2] | rows[3];
            const uint32_t one_side = (all & all << 1) | ~(any | any << 1);
            for (uint32_t cells = kCells & ~one_side; cells != 0; cells &= cells - 1) {
                const int i = std::countr_zero(cells);
                const int index = kCellIndex[column(i - 1) | column(i) << 4];
                const uint16_t mask = kEdgeTable[index];
                if (mask == 0) continue;
                // The vertex on each crossed edge: from the cache, or made
                // now by the first cell to need it.
                const int32_t cell = grid_index(i, j, k);
                int32_t edge_vertices[12];
                std::fill(std::begin(edge_vertices), std::end(edge_vertices), kNoVertex);
                for (uint32_t edges = mask; edges != 0; edges &= edges - 1) {
                    const int e = std::countr_zero(edges);
                    const CellEdge& edge = kCellEdges[static_cast<size_t>(e)];
                    int32_t& slot = surface.edge_cache[cell + edge.slot];
                    if (slot == kNoVertex && surface.vertex_total < surface.vertex_capacity) {
                        MetaballVertex& v = surface.vertices[surface.vertex_total];
                        v = MetaballVertex{};
                        v.position =
                            edge_vertex(field.grid[cell + edge.from], field.grid[cell + edge.to]);
                        slot = surface.vertex_total++;
                    }
                    edge_vertices[e] = slot;
                }

                const int8_t* row = kTriangleTable[index];
                for (int n = 0; row[n] != -1; n += 3) {
                    const int32_t a = edge_vertices[row[n]];
                    const int32_t b = edge_vertices[row[n + 1]];
                    const int32_t c = edge_vertices[row[n + 2]];
                    static_assert(kNoVertex < 0, "vertex indices are not negative");
                    if ((a | b | c) < 0) continue; // a vertex that did not fit
                    if (surface.triangle_total >= surface.triangle_capacity) continue;
                    MetaballTriangle& t = surface.triangles[surface.triangle_total++];
                    t = MetaballTriangle{};
                    t.corners[0] = a;
                    t.corners[1] = b;
                    t.corners[2] = c;
                }
            }
        }

    // The slots used are those of the grid edges that cross the level, each
    // by its lower grid point: where the side bits of its two ends differ.
    constexpr uint32_t kLowerEnds = (1u << (kGridSize - 1)) - 1; // i = 0 .. 18
    for (int j = 0; j < kGridSize; ++j)
        for (int k = 0; k < kGridSize; ++k) {
            const uint32_t b = below[j][k];
            const uint32_t crossing[3] = {(b ^ b >> 1) & kLowerEnds,
                                          j + 1 < kGridSize ? b ^ below[j + 1][k] : 0,
                                          k + 1 < kGridSize ? b ^ below[j][k + 1] : 0};
            for (int direction = 0; direction < 3; ++direction)
                for (uint32_t ends = crossing[direction]; ends != 0; ends &= ends - 1)
                    surface.edge_cache[direction * kGridPoints +
                                       grid_index(std::countr_zero(ends), j, k)] = kNoVertex;
        }
    surface.edge_cache_empty = true;
}
