// The depth bias across many frames of a depth-tested object: each frame's
// object shows over the last one's depths, and the bias restarts instead of
// overflowing.
#include <gtest/gtest.h>

#include "render/depth.h"
#include "render/draw.h"
#include "render_fixture.h"

namespace {

constexpr int32_t kLastBias = 32767 * 65536; // largest bias a frame may draw with

struct DepthScene {
    GuardedFrame depth{0};
    DepthScene() {
        depth_buffer = depth.data();
        depth_bias = 0;
    }
    ~DepthScene() {
        depth_buffer = nullptr;
        depth_bias = 0;
    }
};

TestMesh square_facing_the_eye() {
    return TestMesh({{-50, -50, 0}, {50, -50, 0}, {50, 50, 0}, {-50, 50, 0}},
                    {face_of(0, 1, 2), face_of(0, 2, 3)}, FillKind::depth_tested);
}

} // namespace

TEST(DepthBias, AdvancesOneStepPerFrameAndRestartsBeforeOverflowing) {
    DepthScene scene;
    advance_depth_bias();
    EXPECT_EQ(depth_bias, 65536);

    depth_bias = kLastBias - 65536;
    scene.depth.at(7, 7) = 123;
    advance_depth_bias();
    EXPECT_EQ(depth_bias, kLastBias);
    EXPECT_EQ(scene.depth.at(7, 7), 123u);

    advance_depth_bias();
    EXPECT_EQ(depth_bias, 0);
    EXPECT_EQ(scene.depth.count_not(0), 0);
    EXPECT_TRUE(scene.depth.guards_intact());

    depth_buffer = nullptr; // not allocated: only the bias restarts
    depth_bias = kLastBias;
    advance_depth_bias();
    EXPECT_EQ(depth_bias, 0);
}

TEST(DepthBias, EachFramesObjectShowsAcrossTheRestart) {
    DepthScene scene;
    TestMesh mesh = square_facing_the_eye();
    GuardedFrame frame;
    const UniformTexture colours[2] = {UniformTexture(0x00112233u), UniformTexture(0x00445566u)};

    depth_bias = kLastBias - 2 * 65536;
    for (int n = 0; n < 6; ++n) {
        const UniformTexture& tex = colours[n % 2];
        draw_object(frame.data(), mesh.object, tex.image, 160, 120);
        ASSERT_GT(mesh.screen[0].depth0, 0) << n;
        EXPECT_EQ(frame.at(160, 120), tex.pixels[0]) << n;
        EXPECT_EQ(frame.at(130, 100), tex.pixels[0]) << n;
        advance_depth_bias();
    }
    EXPECT_EQ(depth_bias, 3 * 65536); // three frames before the restart, three after
    EXPECT_TRUE(frame.guards_intact());
    EXPECT_TRUE(scene.depth.guards_intact());

    // Within one frame the nearer face wins and an equal depth does not
    // overwrite: drawing again at the same bias changes nothing.
    draw_object(frame.data(), mesh.object, colours[0].image, 160, 120);
    const uint32_t shown = frame.at(160, 120);
    draw_object(frame.data(), mesh.object, colours[1].image, 160, 120);
    EXPECT_EQ(frame.at(160, 120), shown);
}
