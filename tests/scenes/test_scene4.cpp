// Scene 4: the fill's pivot and angle from the tick, the depth-tested object
// over it frame after frame (the bias advancing and restarting), the flash
// over both, and the scene on its own data.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "effects/rotating_fill.h"
#include "render/depth.h"
#include "scene_test_support.h"
#include "scenes/scene4.h"
#include "square_mesh.h"

using namespace scene_test;

namespace {

constexpr uint32_t kObjectTexel = 0x00123456u; // the texture's centre, what a facing square shows

class Scene4Test : public ::testing::Test {
  protected:
    void SetUp() override {
        prepare_show();
        scene4 = Scene4{};
        scene4.texture = make_image(256, 256, [](int32_t u, int32_t v) {
            return u == 127 && v == 127 ? kObjectTexel : static_cast<uint32_t>(v << 8 | u);
        });
        square.attach(scene4.object);
        depth_buffer = static_cast<uint32_t*>(std::calloc(kFramePixels, sizeof(uint32_t)));
        depth_bias = 0;
    }
    void TearDown() override {
        scene4_release();
        sync_reset();
    }

    void render_at(int32_t tick) {
        tick_counter = tick;
        scene4_render(frame.data());
    }

    // Pixels showing the object's texel.
    int object_pixels() {
        int count = 0;
        for (int32_t p = 0; p < kFramePixels; ++p)
            count += frame.data()[p] == kObjectTexel;
        return count;
    }

    SquareMesh square{50, FillKind::depth_tested};
    GuardedFrame frame;
};

} // namespace

TEST_F(Scene4Test, TickZeroShowsTheUnturnedFillAndTheFacingObject) {
    render_at(0);
    EXPECT_EQ(scene4.pivot_x, 160);
    EXPECT_EQ(scene4.pivot_y, 120);
    EXPECT_EQ(scene4.fill_angle, 0.0);
    for (double angle : scene4.angles)
        EXPECT_EQ(angle, 0.0);
    // The square spans 100 x 100 pixels about the centre (bottom row and right
    // column excluded by the fillers).
    EXPECT_EQ(object_pixels(), 100 * 100);
    // Every other pixel is the unturned fill: the frame as pinned.
    EXPECT_EQ(frame_checksum(frame.data()), 0x096C1B0Cu);
    EXPECT_EQ(frame.at(110, 70), kObjectTexel);
    EXPECT_EQ(frame.at(209, 169), kObjectTexel);
    EXPECT_EQ(depth_bias, 65536);
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene4Test, PivotSwingsAlongItsLineAndTheFillAngleStaysWithinFour) {
    render_at(131); // sin(1.572) = 0.99999...: the sums truncate to 219 and 159
    EXPECT_EQ(scene4.pivot_x, 219);
    EXPECT_EQ(scene4.pivot_y, 159);
    render_at(393); // sin(4.716) = -0.99999...: 100.0001 and 80.00002
    EXPECT_EQ(scene4.pivot_x, 100);
    EXPECT_EQ(scene4.pivot_y, 80);
    for (int32_t tick = 0; tick < 1200; tick += 7) {
        render_at(tick);
        ASSERT_GE(scene4.pivot_x, 100);
        ASSERT_LE(scene4.pivot_x, 220);
        ASSERT_GE(scene4.pivot_y, 80);
        ASSERT_LE(scene4.pivot_y, 160);
        ASSERT_LE(std::abs(scene4.fill_angle), 4.0);
    }
}

TEST_F(Scene4Test, ObjectShowsOverEveryFrameAsTheBiasAdvancesAndRestarts) {
    for (int frame_number = 0; frame_number < 5; ++frame_number) {
        render_at(0);
        EXPECT_EQ(object_pixels(), 100 * 100) << frame_number;
        EXPECT_EQ(depth_bias, 65536 * (frame_number + 1));
    }
    // The last bias a frame can draw with: the next advance clears the buffer
    // and starts again at 0 instead of overflowing, and the object still shows.
    depth_bias = 32767 * 65536;
    render_at(0);
    EXPECT_EQ(object_pixels(), 100 * 100);
    EXPECT_EQ(depth_bias, 0);
    render_at(0);
    EXPECT_EQ(object_pixels(), 100 * 100);
    // Every other pixel is the unturned fill: the frame as pinned.
    EXPECT_EQ(frame_checksum(frame.data()), 0x096C1B0Cu);
    EXPECT_EQ(depth_bias, 65536);
}

TEST_F(Scene4Test, FlashWhitensObjectAndBackgroundAndFadesSlowly) {
    raise_sync_flag(1);
    render_at(50);
    EXPECT_FALSE(sync_flag(1));
    for (int32_t p = 0; p < kFramePixels; ++p)
        ASSERT_EQ(frame.data()[p] & 0x00FFFFFFu, 0x00FFFFFFu) << p;
    render_at(60);
    EXPECT_EQ(scene4.flash.amount, 236u);
    render_at(190);
    EXPECT_EQ(scene4.flash.amount, 0u);
    // The object is brightened too: its texel plus the amount applied.
    scene4.flash.amount = 16;
    scene4.flash.start_tick = 1000; // re-entered below the start: applied once
    render_at(0);
    EXPECT_EQ(frame.at(160, 120), add_reference(kObjectTexel, 0x00101010u));
    EXPECT_EQ(scene4.flash.amount, 0u);
}

TEST(Scene4Data, DrawsItsObjectOverTheFillAndReleasesTheDepthBuffer) {
    prepare_show();
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(VORN_TEST_DATA_DIR);
    scene4 = Scene4{};
    scene4_setup();
    std::filesystem::current_path(here);
    ASSERT_NE(depth_buffer, nullptr);
    EXPECT_EQ(depth_bias, 0);
    ASSERT_GT(scene4.object.face_count, 0);
    EXPECT_EQ(scene4.object.faces[0].material->fill_kind, FillKind::depth_tested);

    GuardedFrame frame, fill;
    std::vector<int> counts;
    for (int32_t tick : {0, 250, 700, 3000}) {
        tick_counter = tick;
        scene4_render(frame.data());
        rotating_texture_fill(fill.data(), scene4.texture, scene4.pivot_x, scene4.pivot_y,
                              scene4.fill_angle);
        int covered = 0;
        for (int32_t p = 0; p < kFramePixels; ++p)
            covered += frame.data()[p] != fill.data()[p];
        counts.push_back(covered);
        EXPECT_TRUE(frame.guards_intact());
    }
    // Pixels the object covers over the fill, pinned per tick.
    EXPECT_EQ(counts, (std::vector<int>{19599, 9896, 10560, 12020}));
    scene4_release();
    EXPECT_EQ(depth_buffer, nullptr);
}
