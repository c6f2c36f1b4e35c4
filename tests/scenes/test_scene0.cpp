// Scene 0: lights switched on by flag 4, the boost after flag 3 (held at 127
// instead of wrapping), the scrolling strip and its random text level.
#include <gtest/gtest.h>

#include <cmath>

#include "core/rand.h"
#include "scene_test_support.h"
#include "scenes/scene0.h"

using namespace scene_test;

namespace {

class Scene0Test : public ::testing::Test {
  protected:
    void SetUp() override {
        prepare_show();
        scene0 = Scene0{};
        for (int i = 0; i < kLightCount; ++i) {
            scene0.lights[i] = make_image(kFrameWidth, kFrameHeight, [i](int32_t x, int32_t y) {
                return pattern(x + 1000 * i, y);
            });
            scene0.speeds[i] = kLightSpeeds[i];
        }
        scene0.strip = make_image(kStripWidth, kFrameHeight, [](int32_t x, int32_t y) {
            return x < 320 ? pattern(x, y + 500) : pattern(x, y) & 0x003F3F3Fu;
        });
    }
    void TearDown() override {
        scene0_release();
        sync_reset();
    }

    void render_at(int32_t tick) {
        tick_counter = tick;
        scene0_render(frame.data());
    }

    // Expected strip-only pixel at tick t for the text level drawn with `seed`.
    uint32_t strip_pixel(int32_t tick, int32_t x, int32_t y, int32_t text_level) {
        const int32_t u = (tick / 4 + x) % kStripWidth;
        return shade_reference(scene0.strip.pixels[y * kStripWidth + u], text_level);
    }

    GuardedFrame frame;
};

} // namespace

TEST_F(Scene0Test, BeforeFlagFourOnlyTheStripShows) {
    frame.fill(0x00FFFFFFu); // last frame's content must not survive
    // Seed 7834's first value is 25621 (worked by hand from the generator's
    // constants): level 25621 / 512 + 30 = 80.
    const int32_t expected_level = 80;
    vorn::srand(7834);
    render_at(1234);
    EXPECT_EQ(scene0.text_level, expected_level);
    for (int32_t y = 0; y < kFrameHeight; y += 7)
        for (int32_t x = 0; x < kFrameWidth; ++x)
            ASSERT_EQ(frame.at(x, y), strip_pixel(1234, x, y, expected_level)) << x << "," << y;
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene0Test, TextLevelFlickersWithinItsRange) {
    int32_t low = 1000, high = -1;
    const uint64_t calls = vorn::rand_calls();
    for (int i = 0; i < 400; ++i) {
        render_at(i);
        low = std::min(low, scene0.text_level);
        high = std::max(high, scene0.text_level);
    }
    EXPECT_EQ(vorn::rand_calls() - calls, 400u); // one draw per frame
    EXPECT_GE(low, 30);
    EXPECT_LE(high, 93);
    EXPECT_LT(low, 40);
    EXPECT_GT(high, 83);
}

TEST_F(Scene0Test, StripScrollsLeftAndRepeatsEvery2560Ticks) {
    GuardedFrame at0;
    vorn::srand(5);
    tick_counter = 0;
    scene0_render(at0.data());
    vorn::srand(5);
    render_at(2560);
    EXPECT_EQ(frame.store, at0.store);

    vorn::srand(5);
    render_at(4 * 330); // column 330 at the left edge: the strip wraps at 640 inside the frame
    for (int32_t y = 0; y < kFrameHeight; y += 13)
        for (int32_t x = 0; x < kFrameWidth; ++x)
            ASSERT_EQ(frame.at(x, y), strip_pixel(4 * 330, x, y, scene0.text_level)) << x;
}

TEST_F(Scene0Test, FlagFourLightsTheMapsAndIsNeverCleared) {
    raise_sync_flag(4);
    vorn::srand(9);
    render_at(0);
    for (int i = 0; i < kLightCount; ++i)
        EXPECT_EQ(scene0.levels[i], 63);
    for (int32_t y = 0; y < kFrameHeight; y += 11)
        for (int32_t x = 0; x < kFrameWidth; x += 3) {
            const int32_t p = y * kFrameWidth + x;
            const uint32_t lights =
                add_reference(add_reference(shade_reference(scene0.lights[1].pixels[p], 63),
                                            shade_reference(scene0.lights[2].pixels[p], 63)),
                              shade_reference(scene0.lights[0].pixels[p], 63));
            ASSERT_EQ(frame.at(x, y),
                      add_reference(lights, strip_pixel(0, x, y, scene0.text_level)));
        }
    EXPECT_TRUE(sync_flag(4));
    render_at(100);
    EXPECT_TRUE(sync_flag(4));
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene0Test, FlagThreeAtTickZeroIsNoBoost) {
    raise_sync_flag(3);
    raise_sync_flag(4);
    render_at(0);
    EXPECT_FALSE(sync_flag(3));
    EXPECT_TRUE(sync_flag(4));
    EXPECT_EQ(scene0.boost_start, 0);
    EXPECT_EQ(scene0.boost, 0);
    render_at(300);
    EXPECT_EQ(scene0.boost, 0);
}

TEST_F(Scene0Test, BoostRampsToWhiteAndStaysThere) {
    raise_sync_flag(4);
    render_at(10);
    raise_sync_flag(3);
    render_at(40);
    EXPECT_FALSE(sync_flag(3));
    EXPECT_EQ(scene0.boost_start, 40);
    EXPECT_EQ(scene0.boost, 0);
    render_at(100);
    EXPECT_EQ(scene0.boost, 63); // 60 * 127 / 120
    render_at(160);
    EXPECT_EQ(scene0.boost, 127);

    // Long after, where an 8-bit ramp would have wrapped negative; after a
    // re-entry that restarts the tick counter below the boost's start; and
    // after a re-entry, 0 to 120 ticks past the start, where the ramp runs
    // again although the frame before was white. Levels worked by hand:
    // (tick - 40) * 127 / 120, truncated.
    const struct {
        int32_t tick, boost;
    } after[] = {{161, 127},    {168, 127},     {200, 127}, {281, 127}, {1000, 127}, {33000, 127},
                 {100000, 127}, {2000000, 127}, {0, 127},   {5, 127},   {39, 127},   {40, 0},
                 {41, 1},       {100, 63},      {159, 125}, {160, 127}, {0, 127},    {130, 95}};
    for (const auto& c : after) {
        render_at(c.tick);
        EXPECT_EQ(scene0.boost, c.boost) << c.tick;
        for (int i = 0; i < kLightCount; ++i) {
            EXPECT_GE(scene0.levels[i], c.boost) << c.tick;
            EXPECT_LE(scene0.levels[i], 127 + c.boost) << c.tick;
        }
    }
    EXPECT_TRUE(frame.guards_intact());

    // A new flag 3 starts the ramp again from 0.
    raise_sync_flag(3);
    render_at(500);
    EXPECT_EQ(scene0.boost, 0);
    render_at(560);
    EXPECT_EQ(scene0.boost, 63);
}

TEST_F(Scene0Test, BoostedLightAtTheTopOfItsSineReaches254) {
    EXPECT_EQ(boost_after(120), 127);
    EXPECT_EQ(boost_after(0xFFFFFFFFu), 127); // tick counter restarted below the start
    // A level is trunc((sin + 1) * 63.5) + boost: at the very top of the sine
    // (sin == 1.0) with the full boost it is 254; it never goes past that.
    int32_t top = 0;
    for (int32_t tick = 0; tick < 200000; ++tick)
        for (float speed : kLightSpeeds)
            top = std::max(top, light_level(tick * speed, 127));
    EXPECT_GE(top, 253);
    EXPECT_LE(top, 254);
    EXPECT_EQ(light_level(0.0f, 127), 63 + 127);
}
