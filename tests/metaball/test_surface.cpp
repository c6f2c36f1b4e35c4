// The field and its surface: blob parameters and paths, field values, and
// the marching-cubes mesh (shared vertices, closed and consistently wound
// where it lies inside the grid, bounded by the array capacities).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "core/rand.h"
#include "metaball/field.h"
#include "metaball/marching_cubes.h"
#include "metaball/marching_cubes_tables.h"

namespace {

// A surface with arrays of its own; extra entries past the capacities hold a
// marker that must survive.
struct OwnedSurface {
    static constexpr int32_t kSpare = 64;
    std::vector<MetaballVertex> vertices;
    std::vector<MetaballTriangle> triangles;
    std::unique_ptr<Surface> surface = std::make_unique<Surface>();

    explicit OwnedSurface(int32_t vertex_capacity = kVertexCapacity,
                          int32_t triangle_capacity = kTriangleCapacity)
        : vertices(vertex_capacity + kSpare), triangles(triangle_capacity + kSpare) {
        for (MetaballVertex& v : vertices)
            v.screen_x = 12345;
        for (MetaballTriangle& t : triangles)
            t.hidden = 777;
        surface->vertices = vertices.data();
        surface->triangles = triangles.data();
        surface->vertex_capacity = vertex_capacity;
        surface->triangle_capacity = triangle_capacity;
    }
    void extract(const Field& field) {
        clear_edge_cache(*surface);
        extract_surface(field, *surface);
    }
    bool spares_intact() const {
        for (int32_t i = surface->vertex_capacity; i < int32_t(vertices.size()); ++i)
            if (vertices[i].screen_x != 12345) return false;
        for (int32_t i = surface->triangle_capacity; i < int32_t(triangles.size()); ++i)
            if (triangles[i].hidden != 777) return false;
        return true;
    }
};

// Blobs at the given positions (around the origin, no depth offset); the
// rest parked far outside the grid, where they add next to nothing.
FloatVector blob_or_parked(const std::vector<FloatVector>& centres, int k) {
    return k < int(centres.size()) ? centres[k] : FloatVector{1e7f, 0, 0};
}
std::unique_ptr<Field> field_with(std::vector<FloatVector> centres) {
    auto field = std::make_unique<Field>();
    for (int k = 0; k < kBlobCount; ++k)
        field->blobs[k].position = blob_or_parked(centres, k);
    sample_field(*field);
    return field;
}

float distance(const FloatVector& a, const FloatVector& b) {
    return vector_length(vector_difference(a, b));
}

struct EdgeUse {
    int forward = 0;
    int backward = 0;
};

// Undirected mesh edges with how often each direction occurs.
std::map<std::pair<int32_t, int32_t>, EdgeUse> mesh_edges(const Surface& s) {
    std::map<std::pair<int32_t, int32_t>, EdgeUse> edges;
    for (int32_t n = 0; n < s.triangle_total; ++n)
        for (int e = 0; e < 3; ++e) {
            const int32_t a = s.triangles[n].corners[e], b = s.triangles[n].corners[(e + 1) % 3];
            if (a < b)
                ++edges[{a, b}].forward;
            else
                ++edges[{b, a}].backward;
        }
    return edges;
}

} // namespace

TEST(MetaballField, BlobParametersComeFromSeed19AndRepeat) {
    auto first = std::make_unique<Field>();
    auto second = std::make_unique<Field>();
    vorn::srand(5);
    const uint64_t calls = vorn::rand_calls();
    draw_blob_parameters(*first);
    EXPECT_EQ(vorn::rand_calls() - calls, 32u);
    draw_blob_parameters(*second);
    for (int k = 0; k < kBlobCount; ++k) {
        EXPECT_EQ(first->speeds[k], second->speeds[k]);
        EXPECT_EQ(first->blobs[k].a, second->blobs[k].a);
        EXPECT_GT(first->speeds[k], 0.0f);
        EXPECT_LE(first->speeds[k], 3.0001f);
        for (float phase : {first->blobs[k].a, first->blobs[k].b, first->blobs[k].c}) {
            EXPECT_GE(phase, 0.0f);
            EXPECT_LE(phase, 1.0f);
        }
    }
    // Phases are fractions, not whole-number quotients: the three axes of a
    // blob swing at different frequencies.
    EXPECT_NE(first->blobs[0].a, first->blobs[0].b);
}

TEST(MetaballField, BlobsSwingInsideTheirBoxAndStartAtTheOrigin) {
    auto field = std::make_unique<Field>();
    draw_blob_parameters(*field);
    move_blobs(*field, 0);
    for (const Blob& blob : field->blobs) {
        EXPECT_EQ(blob.position.x, 0.0f);
        EXPECT_EQ(blob.position.z, 0.0f);
    }
    float max_x = 0;
    for (int32_t t = 0; t < 20000; t += 7) {
        move_blobs(*field, t);
        for (const Blob& blob : field->blobs) {
            ASSERT_LE(std::fabs(blob.position.x), 800.0f);
            ASSERT_LE(std::fabs(blob.position.y), 500.0f);
            ASSERT_LE(std::fabs(blob.position.z), 500.0f);
            max_x = std::max(max_x, std::fabs(blob.position.x));
        }
    }
    EXPECT_GT(max_x, 790.0f);
    // One step: w = t x 0.015 rounded to float, then 800 sin((a + s) w).
    move_blobs(*field, 1000);
    const double w = static_cast<float>(1000 * 0.015);
    const Blob& b = field->blobs[3];
    EXPECT_EQ(b.position.x,
              static_cast<float>(800 * std::sin((b.a + double(field->speeds[3])) * w)));
}

TEST(MetaballField, GridAndValuesInViewSpace) {
    EXPECT_EQ(grid_coordinate(0, -1000, 1000), -1000.0f);
    EXPECT_EQ(grid_coordinate(19, -1000, 1000), 1000.0f);
    EXPECT_NEAR(grid_coordinate(1, -1000, 1000) + 1000.0f, 2000.0f / 19, 1e-3);

    auto field = field_with({{0, 0, 0}});
    const GridPoint& corner = field->grid[grid_index(0, 0, 0)];
    EXPECT_EQ(corner.position.x, -1000.0f);
    EXPECT_EQ(corner.position.y, 1000.0f); // y falls as j grows
    EXPECT_EQ(corner.position.z, -1000.0f + 3200.0f);
    const GridPoint& far = field->grid[grid_index(19, 19, 19)];
    EXPECT_EQ(far.position.y, -1000.0f);
    EXPECT_EQ(far.position.z, 4200.0f);
    EXPECT_EQ(field->blobs[0].position.z, 3200.0f);
    // 62500 / d^2 from the blob at the origin (the parked blobs add ~1e-9).
    const GridPoint& p = field->grid[grid_index(9, 10, 9)];
    const double x = grid_coordinate(9, -1000, 1000), y = grid_coordinate(10, 1000, -1000);
    EXPECT_FLOAT_EQ(p.value, float(62500 / (2 * x * x + y * y)));
    EXPECT_GT(p.value, 1.0f);
}

// The field sampled only near the surface gives the mesh of the fully
// sampled field, bit for bit: over the blobs' paths, blobs on grid points or
// on a grid point's level-1.0 distance, merged at the origin and far away.
// The surfaces are reused from case to case, as frames reuse theirs.
TEST(MetaballField, SamplingNearTheSurfaceGivesTheSameMesh) {
    std::vector<std::vector<FloatVector>> cases = {
        {},
        {{0, 0, 0}},
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {{grid_coordinate(7, -1000, 1000), grid_coordinate(9, 1000, -1000),
          grid_coordinate(12, -1000, 1000)}},
        {{grid_coordinate(4, -1000, 1000) + 250, grid_coordinate(4, 1000, -1000),
          grid_coordinate(4, -1000, 1000)}},
        {{-1000, 1000, -1000}, {1000, -1000, 1000}, {3e4f, 0, 0}},
    };
    auto paths = std::make_unique<Field>();
    draw_blob_parameters(*paths);
    for (int32_t tick = 0; tick < 126000; tick += 211) {
        move_blobs(*paths, tick);
        std::vector<FloatVector> centres;
        for (const Blob& blob : paths->blobs)
            centres.push_back(blob.position);
        cases.push_back(centres);
    }
    OwnedSurface full, near;
    for (size_t c = 0; c < cases.size(); ++c) {
        auto field = field_with(cases[c]); // sampled in full
        auto near_field = std::make_unique<Field>();
        for (int b = 0; b < kBlobCount; ++b)
            near_field->blobs[b].position = blob_or_parked(cases[c], b);
        sample_field_near_surface(*near_field);
        full.extract(*field);
        near.extract(*near_field);
        const Surface &a = *full.surface, &b = *near.surface;
        ASSERT_EQ(a.vertex_total, b.vertex_total) << c;
        ASSERT_EQ(a.triangle_total, b.triangle_total) << c;
        for (int32_t n = 0; n < a.vertex_total; ++n) {
            const FloatVector &p = a.vertices[n].position, &q = b.vertices[n].position;
            ASSERT_TRUE(std::memcmp(&p, &q, sizeof p) == 0) << c << " " << n;
        }
        for (int32_t n = 0; n < a.triangle_total; ++n)
            for (int corner = 0; corner < 3; ++corner)
                ASSERT_EQ(a.triangles[n].corners[corner], b.triangles[n].corners[corner]) << c;
        // Extraction leaves its edge vertex cache empty for the next frame.
        ASSERT_TRUE(std::all_of(std::begin(b.edge_cache), std::end(b.edge_cache), [](int32_t slot) {
            return slot == kNoVertex;
        })) << c;
    }
}

TEST(MetaballSurface, EmptyWhereTheFieldNeverCrossesTheLevel) {
    OwnedSurface s;
    auto field = std::make_unique<Field>();
    for (float value : {0.0f, 0.999f, 1.0f, 50.0f}) {
        for (GridPoint& p : field->grid)
            p.value = value;
        s.extract(*field);
        EXPECT_EQ(s.surface->vertex_total, 0) << value;
        EXPECT_EQ(s.surface->triangle_total, 0) << value;
    }
    EXPECT_EQ(kEdgeTable[0], 0);
    EXPECT_EQ(kEdgeTable[255], 0);
    EXPECT_EQ(kEdgeTable[1], 0x109);
    EXPECT_EQ(kEdgeTable[2], 0x203);
}

// Every table row triangulates its cell's crossed edges: each triangle edge
// inside the cell is shared by two triangles in opposite directions, and
// each open edge runs along one face of the cube.
TEST(MetaballSurface, TableRowsAreConsistentPatches) {
    const int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                             {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5}};
    auto on_one_face = [&](int e1, int e2) {
        for (const auto& face : faces) {
            int inside = 0;
            for (int c : {kEdgeCorners[e1][0], kEdgeCorners[e1][1], kEdgeCorners[e2][0],
                          kEdgeCorners[e2][1]})
                inside += std::count(std::begin(face), std::end(face), c) > 0;
            if (inside == 4) return true;
        }
        return false;
    };
    for (int index = 0; index < 256; ++index) {
        uint16_t used = 0;
        std::map<std::pair<int, int>, int> directed;
        const int8_t* row = kTriangleTable[index];
        int n = 0;
        for (; row[n] != -1; n += 3)
            for (int e = 0; e < 3; ++e) {
                used |= uint16_t(1u << row[n + e]);
                ++directed[{row[n + e], row[n + (e + 1) % 3]}];
            }
        ASSERT_LE(n, 15);
        ASSERT_EQ(used, kEdgeTable[index]) << index;
        for (const auto& [edge, count] : directed) {
            ASSERT_EQ(count, 1) << index;
            if (!directed.count({edge.second, edge.first})) {
                ASSERT_TRUE(on_one_face(edge.first, edge.second)) << index;
            }
        }
    }
}

TEST(MetaballSurface, SingleBlobGivesAClosedSphereOfRadius250) {
    OwnedSurface s;
    auto field = field_with({{30, -40, 55}});
    s.extract(*field);
    const Surface& surface = *s.surface;
    ASSERT_GT(surface.triangle_total, 100);
    const FloatVector centre = field->blobs[0].position;
    std::vector<int> uses(surface.vertex_total, 0);
    for (int32_t n = 0; n < surface.triangle_total; ++n)
        for (int32_t c : surface.triangles[n].corners)
            ++uses[c];
    for (int32_t n = 0; n < surface.vertex_total; ++n) {
        // Linear interpolation of 1/d^2 along 105-unit grid edges errs by a
        // few percent.
        EXPECT_NEAR(distance(surface.vertices[n].position, centre), 250.0f, 20.0f);
        // A crossed edge belongs to four cells; its one vertex is shared.
        EXPECT_GE(uses[n], 3) << n;
    }
    // Closed: each mesh edge has exactly two triangles, wound oppositely, and
    // the Euler characteristic is that of a sphere.
    const auto edges = mesh_edges(surface);
    for (const auto& [edge, use] : edges) {
        ASSERT_EQ(use.forward, 1);
        ASSERT_EQ(use.backward, 1);
    }
    EXPECT_EQ(surface.vertex_total - int32_t(edges.size()) + surface.triangle_total, 2);
    // The cross product of the corner differences points out of the blob.
    for (int32_t n = 0; n < surface.triangle_total; ++n) {
        const MetaballTriangle& t = surface.triangles[n];
        const FloatVector& p0 = surface.vertices[t.corners[0]].position;
        const FloatVector normal =
            cross_product(vector_difference(surface.vertices[t.corners[1]].position, p0),
                          vector_difference(surface.vertices[t.corners[2]].position, p0));
        ASSERT_GT(dot_product(normal, vector_difference(p0, centre)), 0) << n;
    }
}

// Merging blobs, and a blob beyond the grid's edge: inside the grid the mesh
// stays closed, open edges lie only on the grid's border.
TEST(MetaballSurface, MergedBlobsStayClosedInsideTheGrid) {
    OwnedSurface s;
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> coord(-800, 800);
    for (int round = 0; round < 30; ++round) {
        std::vector<FloatVector> centres;
        for (int k = 0; k < kBlobCount; ++k)
            centres.push_back({coord(rng), coord(rng) * 0.625f, coord(rng) * 0.625f});
        if (round == 0) centres[0] = {990, 0, 0};
        auto field = field_with(centres);
        s.extract(*field);
        const Surface& surface = *s.surface;
        auto on_border = [&](int32_t v) {
            const FloatVector& p = surface.vertices[v].position;
            return std::fabs(p.x) == 1000.0f || std::fabs(p.y) == 1000.0f || p.z == 2200.0f ||
                   p.z == 4200.0f;
        };
        for (const auto& [edge, use] : mesh_edges(surface)) {
            if (use.forward == 1 && use.backward == 1) continue;
            ASSERT_TRUE(use.forward + use.backward == 1 && on_border(edge.first) &&
                        on_border(edge.second))
                << "round " << round << " edge " << edge.first << "-" << edge.second;
        }
    }
}

TEST(MetaballSurface, BlobOnAGridPointStillGivesFinitePositions) {
    OwnedSurface s;
    const float x = grid_coordinate(7, -1000, 1000), y = grid_coordinate(9, 1000, -1000),
                z = grid_coordinate(12, -1000, 1000);
    auto field = field_with({{x, y, z}, {x + 150, y, z}});
    EXPECT_TRUE(std::isinf(field->grid[grid_index(7, 9, 12)].value));
    s.extract(*field);
    ASSERT_GT(s.surface->vertex_total, 0);
    for (int32_t n = 0; n < s.surface->vertex_total; ++n) {
        const FloatVector& p = s.surface->vertices[n].position;
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << n;
    }
}

// A field that changes sign at every grid point needs far more vertices and
// triangles than the arrays hold: the mesh is cut short, never overrun.
TEST(MetaballSurface, OverfullFrameStaysWithinTheArrays) {
    auto field = field_with({});
    for (int i = 0; i < kGridSize; ++i)
        for (int j = 0; j < kGridSize; ++j)
            for (int k = 0; k < kGridSize; ++k)
                field->grid[grid_index(i, j, k)].value = ((i + j + k) & 1) ? 2.0f : 0.0f;
    for (auto [vertices, triangles] : {std::pair{kVertexCapacity, kTriangleCapacity},
                                       std::pair{100, 10000}, std::pair{10000, 37}}) {
        OwnedSurface s(vertices, triangles);
        s.extract(*field);
        const Surface& surface = *s.surface;
        EXPECT_EQ(surface.vertex_total, vertices);
        EXPECT_LE(surface.triangle_total, triangles);
        EXPECT_GT(surface.triangle_total, 0);
        for (int32_t n = 0; n < surface.triangle_total; ++n)
            for (int32_t c : surface.triangles[n].corners)
                ASSERT_TRUE(c >= 0 && c < surface.vertex_total);
        EXPECT_TRUE(s.spares_intact());
    }
}
