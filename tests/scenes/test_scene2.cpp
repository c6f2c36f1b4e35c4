// Scene 2: phases and window, exact frame lines, greetings stepping through
// their slots, the overlay's span, the picture switch and the flash.
#include <gtest/gtest.h>

#include "core/rand.h"
#include "scene_test_support.h"
#include "scenes/scene2.h"

using namespace scene_test;

namespace {

constexpr uint32_t kBackground = 0x00203040u;

bool in_window_or_frame(int32_t x, int32_t y) {
    return x >= kWindowLeft - 1 && x <= kWindowRight + 1 && y >= kWindowTop - 1 &&
           y <= kWindowBottom + 1;
}

class Scene2Test : public ::testing::Test {
  protected:
    void SetUp() override {
        prepare_show();
        scene2 = Scene2{};
        scene2.pictures[0] = solid_image(256, 256, 0x00010101u);
        scene2.pictures[1] = solid_image(256, 256, 0x00020202u);
        for (int i = 0; i < kGreetingImages; ++i)
            scene2.greetings[i] = solid_image(kGreetingWidth, kGreetingRows, 0x00100000u * (i + 1));
        scene2.background = solid_image(kFrameWidth, kFrameHeight, kBackground);
        scene2.overlay = make_image(kFrameWidth, kFrameHeight, [](int32_t x, int32_t) {
            return x < 100 ? 0xFF000000u : 0x00605040u; // black (whatever the top byte) is the key
        });
    }
    void TearDown() override {
        scene2_release();
        for (Image& picture : scene2.pictures)
            free_image(picture);
        for (Image& greeting : scene2.greetings)
            free_image(greeting);
        sync_reset();
    }

    void render_at(int32_t tick) {
        tick_counter = tick;
        scene2_render(frame.data());
    }

    // The greeting drawn this frame: its slot's colour count and top-left corner.
    struct Found {
        int count = 0;
        uint32_t colour = 0;
        int32_t left = 1000, top = 1000;
    };
    Found greeting_pixels() {
        Found found;
        for (int32_t y = 0; y < kFrameHeight; ++y)
            for (int32_t x = 0; x < kFrameWidth; ++x) {
                if (in_window_or_frame(x, y) || frame.at(x, y) == kBackground) continue;
                ++found.count;
                found.colour = frame.at(x, y) - kBackground;
                found.left = std::min(found.left, x);
                found.top = std::min(found.top, y);
            }
        return found;
    }

    GuardedFrame frame;
};

} // namespace

TEST_F(Scene2Test, PhasesAtTickZero) {
    render_at(0);
    EXPECT_EQ(scene2.phase1, 26927);
    EXPECT_EQ(scene2.phase2, 28082);
}

TEST_F(Scene2Test, WindowAddsTheDisplacedPictureAndFrameLinesAreExact) {
    // A picture whose texel says where it came from, over a bright background
    // that the window's additions must not saturate.
    free_image(scene2.pictures[0]);
    scene2.pictures[0] = make_image(
        256, 256, [](int32_t u, int32_t v) { return static_cast<uint32_t>(u << 8 | v); });
    free_image(scene2.background);
    scene2.background = solid_image(kFrameWidth, kFrameHeight, 0x00FF0000u);
    raise_sync_flag(1); // the flash brightens the background before the window is added
    render_at(321);
    const int32_t s1 = scene2.phase1, s2 = scene2.phase2;
    for (int32_t y = kWindowTop; y <= kWindowBottom; ++y)
        for (int32_t x = kWindowLeft; x <= kWindowRight; ++x) {
            const int32_t step = 102 * (x - 170) - 136 * (y - 10);
            const int32_t du = sine_table[(s1 + step) & 65535] >> 9;
            const int32_t dv = sine_table[(s2 + step) & 65535] >> 9;
            ASSERT_GE(du, -64);
            ASSERT_LE(dv, 63);
            const uint32_t u = (x + du) & 255, v = (y + dv) & 255;
            ASSERT_EQ(frame.at(x, y), add_reference(0x00FFFFFFu, u << 8 | v)) << x << "," << y;
        }
    for (int32_t x = 0; x < kFrameWidth; ++x)
        for (int32_t y = 0; y < kFrameHeight; ++y) {
            const bool on_line =
                in_window_or_frame(x, y) && (x == kWindowLeft - 1 || x == kWindowRight + 1 ||
                                             y == kWindowTop - 1 || y == kWindowBottom + 1);
            if (on_line) {
                ASSERT_EQ(frame.at(x, y), 0x00DCDCFFu) << x << "," << y;
            } else if (!in_window_or_frame(x, y)) {
                ASSERT_EQ(frame.at(x, y), 0x00FFFFFFu) << x << "," << y;
            }
        }
}

TEST_F(Scene2Test, GreetingsStepThroughTheirSlotsAndStopAfterTheEighth) {
    uint64_t calls = vorn::rand_calls();
    render_at(0);
    EXPECT_EQ(vorn::rand_calls(), calls); // no greeting, no rand
    EXPECT_EQ(greeting_pixels().count, 0);

    const uint32_t slot_colour[kGreetingSlots] = {0x100000, 0x500000, 0x200000, 0x500000,
                                                  0x300000, 0x500000, 0x400000, 0x500000};
    for (int32_t index = 0; index < kGreetingSlots; ++index) {
        raise_sync_flag(6);
        for (int repeat = 0; repeat < 3; ++repeat) {
            calls = vorn::rand_calls();
            render_at(10 + index);
            EXPECT_EQ(vorn::rand_calls() - calls, 2u);
            EXPECT_FALSE(sync_flag(6));
            EXPECT_EQ(scene2.greeting_index, index);
            const Found found = greeting_pixels();
            EXPECT_EQ(found.count, kGreetingWidth * kGreetingRows) << index;
            EXPECT_EQ(found.colour, slot_colour[index]) << index;
            EXPECT_LT(found.left, 30);
            EXPECT_GE(found.top, 20 * index);
            EXPECT_LT(found.top, 20 * index + 30);
            EXPECT_LE(found.left + kGreetingWidth - 1, 148);
        }
    }
    for (int extra = 0; extra < 3; ++extra) {
        raise_sync_flag(6);
        calls = vorn::rand_calls();
        render_at(50);
        EXPECT_EQ(vorn::rand_calls(), calls);
        EXPECT_EQ(greeting_pixels().count, 0);
    }
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene2Test, OverlayRunsFromItsStartToTheFirstFrameAboveStartPlusFive) {
    raise_sync_flag(5);
    for (int32_t tick : {20, 22, 25, 26}) {
        render_at(tick);
        EXPECT_EQ(scene2.overlay_start, tick == 26 ? 0u : 20u);
        EXPECT_EQ(frame.at(50, 5), kBackground) << tick;  // keyed through
        EXPECT_EQ(frame.at(150, 5), 0x00605040u) << tick; // overlay shown
    }
    EXPECT_FALSE(sync_flag(5));
    render_at(27);
    EXPECT_EQ(frame.at(150, 5), kBackground);

    // Entered again below a running overlay's start tick: shown once, then over.
    raise_sync_flag(5);
    render_at(100);
    render_at(3);
    EXPECT_EQ(frame.at(150, 5), 0x00605040u);
    EXPECT_FALSE(sync_flag(5));
    EXPECT_EQ(scene2.overlay_start, 0u);
}

TEST_F(Scene2Test, FlagFourSwitchesThePicture) {
    render_at(0);
    EXPECT_EQ(frame.at(200, 100), kBackground + 0x00010101u);
    raise_sync_flag(4);
    render_at(1);
    EXPECT_FALSE(sync_flag(4));
    EXPECT_EQ(frame.at(200, 100), kBackground + 0x00020202u);
    raise_sync_flag(4);
    render_at(2);
    EXPECT_EQ(frame.at(200, 100), kBackground + 0x00010101u);
}

TEST_F(Scene2Test, FlashFadesOverThirtyFiveTicks) {
    raise_sync_flag(1);
    render_at(100);
    EXPECT_FALSE(sync_flag(1));
    EXPECT_EQ(frame.at(5, 235), 0x00FFFFFFu);
    render_at(110);
    EXPECT_EQ(scene2.flash.amount, 183u);
    render_at(135);
    EXPECT_EQ(scene2.flash.amount, 0u);
    render_at(136);
    EXPECT_EQ(frame.at(5, 235), kBackground);
}

TEST_F(Scene2Test, GreetingIsShakenRightByTheFirstDrawAndDownByTheSecond) {
    for (int flag = 0; flag < 4; ++flag) {
        raise_sync_flag(6);
        render_at(flag);
    }
    ASSERT_EQ(scene2.greeting_index, 3);
    vorn::srand(4243);
    const int32_t xo = vorn::rand() % 30;
    const int32_t yo = vorn::rand() % 30;
    ASSERT_NE(xo, yo);
    vorn::srand(4243);
    render_at(10);
    const Found found = greeting_pixels();
    EXPECT_EQ(found.count, kGreetingWidth * kGreetingRows);
    EXPECT_EQ(found.left, xo);
    EXPECT_EQ(found.top, yo + 20 * 3);
}
