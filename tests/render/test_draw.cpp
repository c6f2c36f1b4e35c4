// Rotation, projection and the draw operations: where vertices land on
// screen, the distortion modes, vertices behind the eye, and the sprites.
#include <gtest/gtest.h>

#include <cmath>

#include "core/rand.h"
#include "render/depth.h"
#include "render/draw.h"
#include "render_fixture.h"

namespace {

constexpr double kQuarterTurn = 1.5707963267948966;

Vec3 apply(const Matrix3& r, Vec3 p) {
    return {p.x * r.m[0][0] + p.y * r.m[1][0] + p.z * r.m[2][0],
            p.x * r.m[0][1] + p.y * r.m[1][1] + p.z * r.m[2][1],
            p.x * r.m[0][2] + p.y * r.m[1][2] + p.z * r.m[2][2]};
}

void expect_near(Vec3 got, Vec3 want) {
    EXPECT_NEAR(got.x, want.x, 1e-12);
    EXPECT_NEAR(got.y, want.y, 1e-12);
    EXPECT_NEAR(got.z, want.z, 1e-12);
}

// One triangle: the origin, x = 100 at view z = 512, and y = 50 at z = 256.
TestMesh probe_triangle(FillKind fill_kind = FillKind::additive) {
    return TestMesh({{0, 0, 0}, {100, 0, 256}, {0, 50, 0}}, {face_of(0, 1, 2)}, fill_kind);
}

} // namespace

TEST(RotationMatrix, TurnsAboutXThenYThenZ) {
    const Matrix3 identity = rotation_matrix(0, 0, 0);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(identity.m[i][j], i == j ? 1.0 : 0.0);

    expect_near(apply(rotation_matrix(0, 0, kQuarterTurn), {1, 0, 0}), {0, 1, 0});
    expect_near(apply(rotation_matrix(kQuarterTurn, 0, 0), {0, 1, 0}), {0, 0, 1});
    expect_near(apply(rotation_matrix(0, kQuarterTurn, 0), {0, 0, 1}), {1, 0, 0});
    // y -> z under the x turn, then z -> x under the y turn: the order shows.
    expect_near(apply(rotation_matrix(kQuarterTurn, kQuarterTurn, 0), {0, 1, 0}), {1, 0, 0});
    expect_near(apply(rotation_matrix(0, kQuarterTurn, kQuarterTurn), {0, 0, 1}), {0, 1, 0});

    // The object keeps the turn as its orientation: its first row is where
    // the x axis goes, and a quarter turn about z takes it to y.
    Object object;
    set_orientation(object, rotation_matrix(0, 0, kQuarterTurn));
    expect_near({object.orientation[0][0], object.orientation[0][1], object.orientation[0][2]},
                {0, 1, 0});
}

TEST(DrawObject, ProjectsWithFocalLength256AndTheDepthBias) {
    TestMesh mesh = probe_triangle();
    GuardedFrame frame;
    UniformTexture tex(0x00010101u);
    depth_bias = 1000;
    draw_object(frame.data(), mesh.object, tex.image, 160, 120);
    depth_bias = 0;

    const ScreenFace& s = mesh.screen[0];
    EXPECT_EQ(s.x0, 160);
    EXPECT_EQ(s.y0, 120);
    EXPECT_EQ(s.depth0, 256 + 1000);
    EXPECT_EQ(s.x1, 210);
    EXPECT_EQ(s.y1, 120);
    EXPECT_EQ(s.depth1, 128 + 1000);
    EXPECT_EQ(s.x2, 160);
    EXPECT_EQ(s.y2, 170);
    EXPECT_EQ(mesh.view[1].z, 512.0);
    EXPECT_GT(frame.count_not(0), 0);

    // Truncation toward zero on both sides of the centre.
    TestMesh negative({{-1, -1, 0}, {1, 1, 0}, {0, 0, 0}}, {face_of(0, 1, 2)});
    negative.model[0] = {-0.5, -0.5, 0};
    draw_object(frame.data(), negative.object, tex.image, 0, 0);
    EXPECT_EQ(negative.screen[0].x0, 0);
    EXPECT_EQ(negative.screen[0].x1, 1);
}

TEST(DrawObject, StretchModeHalvingZDoublesTheSizeAboutTheCentre) {
    TestMesh plain = probe_triangle(), stretched = probe_triangle();
    GuardedFrame a, b;
    UniformTexture tex(0x00010101u);
    draw_object(a.data(), plain.object, tex.image, 160, 120);
    draw_object_distorted(b.data(), stretched.object, tex.image, 160, 120, 0, 0, 0.5,
                          Distortion::stretch);
    const ScreenFace &p = plain.screen[0], &s = stretched.screen[0];
    EXPECT_EQ(s.x1 - 160, 2 * (p.x1 - 160));
    EXPECT_EQ(s.y2 - 120, 2 * (p.y2 - 120));
    EXPECT_EQ(s.depth0, 2 * p.depth0);
    EXPECT_GT(b.count_not(0), a.count_not(0));
}

TEST(DrawObject, JitterWithZeroAmountsDrawsThePlainObjectAndUsesThreeRandomsPerCorner) {
    // Two faces sharing an edge, so shared vertices are redone per face.
    std::vector<Vec3> v = {{-40, -40, 10}, {40, -40, -10}, {40, 40, 0}, {-40, 40, 5}};
    std::vector<Face> f = {face_of(0, 1, 2), face_of(0, 2, 3)};
    TestMesh plain(v, f), jittered(v, f);
    set_orientation(plain.object, rotation_matrix(0.4, 0.5, 0.6));
    set_orientation(jittered.object, rotation_matrix(0.4, 0.5, 0.6));
    CoordTexture tex;
    GuardedFrame a, b;
    draw_object(a.data(), plain.object, tex.image, 160, 120);
    const uint64_t before = vorn::rand_calls();
    draw_object_distorted(b.data(), jittered.object, tex.image, 160, 120, 0, 0, 0,
                          Distortion::jitter);
    EXPECT_EQ(vorn::rand_calls() - before, 2u * 3u * 3u);
    EXPECT_EQ(a.store, b.store);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(plain.screen[i].x2, jittered.screen[i].x2);
        EXPECT_EQ(plain.screen[i].depth1, jittered.screen[i].depth1);
    }

    // With an amount, the jitter only ever pushes a coordinate outward.
    TestMesh moved(v, f);
    draw_object_distorted(b.data(), moved.object, tex.image, 160, 120, 0.5, 0, 0,
                          Distortion::jitter);
    for (int i = 0; i < 4; ++i) {
        EXPECT_GE(std::fabs(moved.view[i].x), std::fabs(v[i].x)) << i;
        EXPECT_LE(std::fabs(moved.view[i].x), 1.5 * std::fabs(v[i].x)) << i;
    }

    // Other modes leave the view vertices as transformed.
    TestMesh unchanged(v, f);
    draw_object_distorted(b.data(), unchanged.object, tex.image, 160, 120, 9, 9, 9,
                          Distortion::none);
    EXPECT_EQ(unchanged.view[2].z, 256.0);
}

TEST(DrawObject, FacesWithACornerBehindTheEyeAreSkipped) {
    // The first face reaches z = -44 after the +256 offset; the second is fine.
    TestMesh mesh({{0, 0, -300}, {50, 0, 0}, {0, 50, 0}, {-50, 0, 0}},
                  {face_of(0, 1, 2), face_of(1, 2, 3)});
    GuardedFrame frame;
    UniformTexture tex(0x00FFFFFFu);
    draw_object(frame.data(), mesh.object, tex.image, 160, 120);
    EXPECT_EQ(mesh.screen[0].y0, 0);
    EXPECT_EQ(mesh.screen[0].y1, 0);
    EXPECT_EQ(mesh.screen[0].y2, 0);
    EXPECT_EQ(frame.at(0, 0), 0u);
    EXPECT_GT(frame.count_not(0), 0); // the second face is drawn
    EXPECT_TRUE(frame.guards_intact());

    // A stretch that pushes z through the eye skips everything.
    GuardedFrame other;
    draw_object_distorted(other.data(), mesh.object, tex.image, 160, 120, 0, 0, 1.0,
                          Distortion::stretch);
    EXPECT_EQ(other.count_not(0), 0);
    EXPECT_TRUE(other.guards_intact());
}

TEST(AdditiveSprite, CoversCentreMinusHalfToCentrePlusHalf) {
    UniformTexture tex(0x00010101u);
    GuardedFrame frame;
    draw_additive_sprite(frame.data(), tex.image, 5, 5, 100, 50);
    EXPECT_EQ(frame.count_not(0), 16); // an odd size covers one pixel less
    EXPECT_NE(frame.at(98, 48), 0u);
    EXPECT_NE(frame.at(101, 51), 0u);
    EXPECT_EQ(frame.at(102, 50), 0u);

    GuardedFrame none;
    draw_additive_sprite(none.data(), tex.image, 0, 5, 100, 50);
    draw_additive_sprite(none.data(), tex.image, 5, -3, 100, 50);
    draw_additive_sprite(none.data(), tex.image, 1, 1, 100, 50); // covers nothing
    EXPECT_EQ(none.count_not(0), 0);
}

TEST(AdditiveSprite, ClippedAtTheTopLeftStartsInsideTheImage) {
    CoordTexture tex;
    GuardedFrame frame;
    draw_additive_sprite(frame.data(), tex.image, 256, 256, 0, 0);
    EXPECT_EQ(frame.count_not(0), 128 * 128);
    EXPECT_EQ(frame.at(0, 0), tex.texel(128, 128));
    EXPECT_EQ(frame.at(127, 127), tex.texel(255, 255));
    EXPECT_EQ(frame.at(10, 3), tex.texel(138, 131));

    // Scaled: a 512-wide sprite steps half a texel per pixel.
    GuardedFrame big;
    draw_additive_sprite(big.data(), tex.image, 512, 512, 256, 256);
    EXPECT_EQ(big.at(0, 0), tex.texel(0, 0));
    EXPECT_EQ(big.at(3, 5), tex.texel(1, 2));
    EXPECT_TRUE(big.guards_intact());
}

TEST(VertexSprites, ShrinkWithDistanceAndVanishWhenTooSmallOrBehind) {
    UniformTexture tex(0x00010101u);
    // View z 256, 512, 4256 (size 16 * 256 / 4256 < 1) and -44 (behind).
    TestMesh mesh({{-100, 0, 0}, {100, 0, 256}, {0, 0, 4000}, {0, 0, -300}}, {});
    GuardedFrame frame;
    draw_vertex_sprites(frame.data(), mesh.object, tex.image, 160, 120, 1.0, 16);
    EXPECT_EQ(frame.count_not(0), 16 * 16 + 8 * 8);
    EXPECT_NE(frame.at(60 - 8, 120 - 8), 0u);  // x = -100 at z = 256
    EXPECT_NE(frame.at(210 - 4, 120 - 4), 0u); // x = 100 at z = 512
    EXPECT_EQ(mesh.view[3].z, -44.0);
    EXPECT_TRUE(frame.guards_intact());

    // Zoom scales positions, not sizes.
    GuardedFrame zoomed;
    draw_vertex_sprites(zoomed.data(), mesh.object, tex.image, 160, 120, 0.5, 16);
    EXPECT_NE(zoomed.at(110 - 8, 120 - 8), 0u);
    EXPECT_EQ(zoomed.count_not(0), 16 * 16 + 8 * 8);
}
