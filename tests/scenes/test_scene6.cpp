// Scene 6: the metaballs over the background, the one-frame picture of sync
// flag 5 (black leaves the frame alone) and the quick white flash of flag 1.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "metaball/metaball.h"
#include "scene_test_support.h"
#include "scenes/scene6.h"

using namespace scene_test;

namespace {

// The background with the metaballs alone, pinned at the ticks below.
constexpr uint32_t kPlain700 = 0x9B0AE740u, kPlain301 = 0x8B8047CFu, kPlain1036 = 0x05180B11u,
                   kPlain4 = 0xA67930B1u;

class Scene6Test : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prepare_show();
        const std::filesystem::path here = std::filesystem::current_path();
        std::filesystem::current_path(VORN_TEST_DATA_DIR);
        scene6_setup();
        std::filesystem::current_path(here);
        // The pictures from the files are replaced by known ones below.
        free_image(scene6.background);
        free_image(scene6.flash_picture);
    }
    static void TearDownTestSuite() { scene6_release(); }

    void SetUp() override {
        sync_reset();
        scene6.flash = Flash{Fade::Quick};
        scene6.background = make_image(kFrameWidth, kFrameHeight, [](int32_t x, int32_t y) {
            return pattern(x, y) & 0x007F7F7Fu;
        });
        scene6.flash_picture = make_image(kFrameWidth, kFrameHeight, [](int32_t x, int32_t y) {
            return x < 160 ? 0x00000000u : 0x11000000u | (pattern(y, x) & 0x00FFFFFFu);
        });
    }
    void TearDown() override {
        free_image(scene6.background);
        free_image(scene6.flash_picture);
        sync_reset();
    }

    void render_at(int32_t tick, GuardedFrame& frame) {
        tick_counter = tick;
        scene6_render(frame.data());
    }

    // The background with the metaballs of that tick, and nothing else: the
    // reference under the picture and the flash.
    GuardedFrame plain(int32_t tick) {
        GuardedFrame frame;
        std::memcpy(frame.data(), scene6.background.pixels, sizeof(uint32_t) * kFramePixels);
        tick_counter = tick;
        metaball_frame(frame.data());
        return frame;
    }
};

} // namespace

TEST_F(Scene6Test, BallsOverTheBackgroundNeverDarkenIt) {
    GuardedFrame frame;
    frame.fill(0x00FFFFFFu); // the previous frame must not show through
    render_at(700, frame);
    EXPECT_EQ(frame_checksum(frame.data()), kPlain700);
    EXPECT_TRUE(frame.guards_intact());
    int32_t brighter = 0;
    for (int32_t i = 0; i < kFramePixels; ++i) {
        const uint32_t b = scene6.background.pixels[i], f = frame.data()[i];
        for (int shift = 0; shift <= 16; shift += 8)
            ASSERT_GE((f >> shift) & 255, (b >> shift) & 255) << i;
        brighter += f != b;
    }
    EXPECT_GT(brighter, 2000);
    EXPECT_LT(brighter, kFramePixels / 2);
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene6Test, FlagFiveAddsThePictureForOneFrame) {
    raise_sync_flag(5);
    GuardedFrame frame;
    render_at(300, frame);
    EXPECT_FALSE(sync_flag(5));
    GuardedFrame reference = plain(300);
    for (int32_t y = 0; y < kFrameHeight; y += 3)
        for (int32_t x = 0; x < kFrameWidth; ++x) {
            const uint32_t under = reference.data()[y * kFrameWidth + x];
            const uint32_t p = scene6.flash_picture.pixels[y * kFrameWidth + x];
            const uint32_t expected = x < 160 ? under : add_reference(p, under);
            ASSERT_EQ(frame.at(x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(frame.at(200, 10) >> 24, 0x11u); // the picture's top byte
    render_at(301, frame);
    EXPECT_EQ(frame_checksum(frame.data()), kPlain301);
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene6Test, FlagOneFlashesWhiteAndFadesIn35Ticks) {
    raise_sync_flag(1);
    GuardedFrame frame;
    render_at(1000, frame);
    EXPECT_FALSE(sync_flag(1));
    for (int32_t i = 0; i < kFramePixels; ++i)
        ASSERT_EQ(frame.data()[i] & 0x00FFFFFFu, 0x00FFFFFFu) << i;

    // The amount a frame adds was set by the frame before: ten ticks after
    // the flag it is 255 - 10 x 510 / 70 = 183.
    render_at(1010, frame);
    EXPECT_EQ(scene6.flash.amount, 183u);
    render_at(1011, frame);
    GuardedFrame under = plain(1011);
    for (int32_t i = 0; i < kFramePixels; i += 7)
        ASSERT_EQ(frame.data()[i], add_reference(under.data()[i], 0x00B7B7B7u)) << i;
    render_at(1034, frame);
    EXPECT_EQ(scene6.flash.amount, 8u);
    render_at(1035, frame); // 35 ticks on: the last brightened frame
    EXPECT_EQ(scene6.flash.amount, 0u);
    render_at(1036, frame);
    EXPECT_EQ(frame_checksum(frame.data()), kPlain1036);
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene6Test, ReenteringBelowTheFlashStartEndsTheFlash) {
    raise_sync_flag(1);
    GuardedFrame frame;
    render_at(500, frame);
    render_at(3, frame); // the scene entered again: ticks restart
    EXPECT_EQ(scene6.flash.amount, 0u);
    render_at(4, frame);
    EXPECT_EQ(frame_checksum(frame.data()), kPlain4);
    EXPECT_TRUE(frame.guards_intact());
}
