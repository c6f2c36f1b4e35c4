// The metaball frame: projection, environment coordinates, the back-face
// test and whole frames drawn from the show's own environment map.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "metaball/frame.h"
#include "metaball/metaball.h"
#include "metaball_test_support.h"

namespace {

struct SmallSurface {
    MetaballVertex vertices[8];
    MetaballTriangle triangles[4];
    std::unique_ptr<Surface> surface = std::make_unique<Surface>();
    SmallSurface() {
        surface->vertices = vertices;
        surface->triangles = triangles;
        surface->vertex_capacity = 8;
        surface->triangle_capacity = 4;
    }
};

int64_t screen_winding(const Surface& s, const MetaballTriangle& t) {
    const MetaballVertex& a = s.vertices[t.corners[0]];
    const MetaballVertex& b = s.vertices[t.corners[1]];
    const MetaballVertex& c = s.vertices[t.corners[2]];
    // Positive when the corners run clockwise with y pointing down.
    return (int64_t(b.screen_x - a.screen_x) >> 8) * (int64_t(c.screen_y - a.screen_y) >> 8) -
           (int64_t(b.screen_y - a.screen_y) >> 8) * (int64_t(c.screen_x - a.screen_x) >> 8);
}

} // namespace

TEST(MetaballFrame, ProjectionAndEnvironmentCoordinates) {
    scene_test::prepare_show();
    SmallSurface s;
    s.surface->vertex_total = 3;
    s.vertices[0].position = {0, 0, 2500};
    s.vertices[1].position = {0, 0, 4000};
    s.vertices[2].position = {100, -50, 3200};
    project_vertices(*s.surface);
    for (int n = 0; n < 2; ++n) {
        EXPECT_EQ(s.vertices[n].screen_x, 160 << 16);
        EXPECT_EQ(s.vertices[n].screen_y, 120 << 16);
    }
    EXPECT_EQ(s.vertices[2].screen_x, 170 << 16);
    EXPECT_EQ(s.vertices[2].screen_y, 115 << 16);

    // Looking straight at a surface facing the eye: the middle of the map.
    s.surface->vertex_total = 1;
    s.vertices[0].position = {0, 0, 3000};
    s.vertices[0].normal = {0, 0, -0.004f};
    environment_coordinates(*s.surface);
    EXPECT_EQ(s.vertices[0].env_u, 8355840.0f);
    EXPECT_EQ(s.vertices[0].env_v, 8355840.0f);
    // A normal tilted right reflects to the right half of the map.
    s.vertices[0].normal = {1, 0, -1};
    environment_coordinates(*s.surface);
    EXPECT_GT(s.vertices[0].env_u, 8355840.0f);
    EXPECT_EQ(s.vertices[0].env_v, 8355840.0f);
}

TEST(MetaballFrame, BackFaceTestCountsPerpendicularAsFacing) {
    SmallSurface s;
    s.surface->vertex_total = 3;
    s.surface->triangle_total = 1;
    s.vertices[0].position = {0, 0, 1000};
    s.vertices[1].position = {0, 100, 1000};
    s.vertices[2].position = {0, 0, 2000};
    s.triangles[0].corners[0] = 0, s.triangles[0].corners[1] = 1, s.triangles[0].corners[2] = 2;
    face_normals(*s.surface);
    EXPECT_EQ(dot_product(s.vertices[0].position, s.triangles[0].face_normal), 0.0);
    EXPECT_EQ(s.triangles[0].hidden, 0);
    // A triangle in the plane z = 1000, wound either way.
    s.vertices[2].position = {100, 0, 1000};
    face_normals(*s.surface);
    const int32_t one_way = s.triangles[0].hidden;
    std::swap(s.triangles[0].corners[1], s.triangles[0].corners[2]);
    face_normals(*s.surface);
    EXPECT_EQ(one_way + s.triangles[0].hidden, 1);
}

// Around a lone blob: normals point away from it, the near side faces the eye
// and runs clockwise on the screen (the filler's order), the far side is
// hidden and runs the other way.
TEST(MetaballFrame, NearSideIsClockwiseAndFarSideHidden) {
    scene_test::prepare_show();
    auto field = std::make_unique<Field>();
    for (int k = 0; k < kBlobCount; ++k)
        field->blobs[k].position = k == 0 ? FloatVector{-200, 120, 300} : FloatVector{1e7f, 0, 0};
    sample_field(*field);
    std::vector<MetaballVertex> vertices(kVertexCapacity);
    std::vector<MetaballTriangle> triangles(kTriangleCapacity);
    auto surface = std::make_unique<Surface>();
    surface->vertices = vertices.data();
    surface->triangles = triangles.data();
    surface->vertex_capacity = kVertexCapacity;
    surface->triangle_capacity = kTriangleCapacity;
    clear_edge_cache(*surface);
    extract_surface(*field, *surface);
    vertex_normals(*surface, *field);
    face_normals(*surface);
    project_vertices(*surface);

    const FloatVector centre = field->blobs[0].position;
    for (int32_t n = 0; n < surface->vertex_total; ++n) {
        const FloatVector& v = vertices[n].position;
        ASSERT_GT(dot_product(vertices[n].normal, vector_difference(v, centre)), 0);
    }
    int visible = 0, hidden = 0;
    for (int32_t n = 0; n < surface->triangle_total; ++n) {
        const int64_t winding = screen_winding(*surface, triangles[n]);
        if (triangles[n].hidden) {
            ++hidden;
            ASSERT_LE(winding, 0) << n;
        } else {
            ++visible;
            ASSERT_GE(winding, 0) << n;
        }
    }
    EXPECT_GT(visible, 40);
    EXPECT_GT(hidden, 40);
}

namespace {

class MetaballFrames : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        scene_test::prepare_show();
        const auto here = std::filesystem::current_path();
        std::filesystem::current_path(VORN_TEST_DATA_DIR);
        metaball_setup();
        std::filesystem::current_path(here);
    }
    static void TearDownTestSuite() { metaball_release(); }

    void draw(int32_t tick, uint32_t* frame) {
        tick_counter = tick;
        metaball_frame(frame);
    }
};

} // namespace

TEST_F(MetaballFrames, AtTickZeroOneBallSitsInTheMiddle) {
    GuardedFrame frame;
    frame.fill(0x00101010u);
    draw(0, frame.data());
    EXPECT_NE(frame.at(160, 120), 0x00101010u);
    // All eight blobs at the origin: a ball of radius 250 x sqrt(8) = 707 at
    // depth 3200, about 71 pixels across the screen.
    for (int32_t d : {-60, 60}) {
        EXPECT_NE(frame.at(160 + d, 120), 0x00101010u) << d;
        EXPECT_NE(frame.at(160, 120 + d), 0x00101010u) << d;
    }
    for (int32_t d : {-80, 80}) {
        EXPECT_EQ(frame.at(160 + d, 120), 0x00101010u) << d;
        EXPECT_EQ(frame.at(160, 120 + d), 0x00101010u) << d;
    }
    EXPECT_EQ(frame.at(0, 0), 0x00101010u);
    EXPECT_TRUE(frame.guards_intact());
}

// Many ticks over half an hour of the scene, and ticks the show never reaches:
// frames only brighten, stay inside the buffers, repeat for the same tick,
// and need far less than the arrays.
TEST_F(MetaballFrames, FramesOnlyBrightenAndStayInside) {
    GuardedFrame frame, again;
    int32_t most_vertices = 0, most_triangles = 0;
    std::vector<int32_t> ticks = {-1, -70000, INT32_MIN, INT32_MAX};
    for (int32_t tick = 0; tick < 126000; tick += 997)
        ticks.push_back(tick);
    for (int32_t tick : ticks) {
        frame.fill(0);
        for (int32_t y = 0; y < kFrameHeight; ++y)
            for (int32_t x = 0; x < kFrameWidth; ++x)
                frame.at(x, y) = scene_test::pattern(x, y) & 0x007F7F7Fu;
        const std::vector<uint32_t> before = frame.store;
        draw(tick, frame.data());
        ASSERT_TRUE(frame.guards_intact()) << tick;
        for (int32_t i = 0; i < kFramePixels; ++i) {
            const uint32_t a = before[GuardedFrame::kGuard + i] & 0x00FFFFFFu;
            const uint32_t b = frame.data()[i] & 0x00FFFFFFu;
            for (int shift = 0; shift <= 16; shift += 8)
                ASSERT_GE((b >> shift) & 255, (a >> shift) & 255) << tick << " " << i;
        }
        most_vertices = std::max(most_vertices, metaballs.surface.vertex_total);
        most_triangles = std::max(most_triangles, metaballs.surface.triangle_total);
        if (tick % 9 == 0) {
            again.store = before;
            draw(tick, again.data());
            ASSERT_EQ(again.store, frame.store) << tick;
        }
    }
    EXPECT_LT(most_vertices, kVertexCapacity / 2);
    EXPECT_LT(most_triangles, kTriangleCapacity / 2);
    RecordProperty("most_vertices", most_vertices);
    RecordProperty("most_triangles", most_triangles);
}

TEST(MetaballFrameReleased, DrawsNothingWithoutItsArrays) {
    Metaballs saved = metaballs; // the renderer is released outside the suite above
    metaballs.surface.vertices = nullptr;
    metaballs.surface.triangles = nullptr;
    metaballs.environment_map = Image{};
    GuardedFrame frame;
    frame.fill(0x00050505u);
    const std::vector<uint32_t> before = frame.store;
    metaball_frame(frame.data());
    EXPECT_EQ(frame.store, before);
    metaballs = saved;
}

// Each blob's share is added to the normal and rounded to float one blob at a
// time. Vertex 2 at tick 207 is one where keeping the sum in double across the
// blobs (as g++ 12's vectorizer once did at -O3) changes the last bit of x.
TEST_F(MetaballFrames, VertexNormalsRoundAfterEveryBlob) {
    Metaballs& m = metaballs;
    clear_edge_cache(m.surface);
    move_blobs(m.field, 207);
    sample_field(m.field);
    extract_surface(m.field, m.surface);
    vertex_normals(m.surface, m.field);
    struct Pinned {
        int32_t vertex;
        float x, y, z;
    } pinned[] = {
        {2, -0x1.d540acp-11f, 0x1.01bf84p-8f, 0x1.ef2638p-8f},
        {3, 0x1.056d46p-12f, 0x1.e1b31ep-9f, 0x1.fa223ep-8f},
        {100, 0x1.003564p-8f, -0x1.0dd972p-8f, 0x1.81fb8p-8f},
        {1000, -0x1.89f83ep-10f, -0x1.84a476p-8f, -0x1.433dbp-8f},
    };
    ASSERT_GT(m.surface.vertex_total, 1000);
    for (const Pinned& p : pinned) {
        const FloatVector& n = m.surface.vertices[p.vertex].normal;
        EXPECT_EQ(n.x, p.x) << p.vertex;
        EXPECT_EQ(n.y, p.y) << p.vertex;
        EXPECT_EQ(n.z, p.z) << p.vertex;
    }
}
