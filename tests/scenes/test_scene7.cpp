// Scene 7: a pure function of the tick counter that never brightens a light
// map beyond its painted colours.
#include <gtest/gtest.h>

#include "scene_test_support.h"
#include "scenes/scene7.h"

using namespace scene_test;

namespace {

class Scene7Test : public ::testing::Test {
  protected:
    void SetUp() override {
        prepare_show();
        scene7 = Scene7{};
        for (int i = 0; i < kLightCount; ++i) {
            scene7.lights[i] = make_image(kFrameWidth, kFrameHeight, [i](int32_t x, int32_t y) {
                return pattern(x, y + 300 * i);
            });
            scene7.speeds[i] = kLightSpeeds[i];
        }
    }
    void TearDown() override { scene7_release(); }

    void render_at(GuardedFrame& frame, int32_t tick) {
        tick_counter = tick;
        scene7_render(frame.data());
    }
};

} // namespace

TEST_F(Scene7Test, SameTickSameFrame) {
    GuardedFrame first, second;
    first.fill(0x00FFFFFFu); // every pixel is written, whatever was there
    render_at(first, 777);
    render_at(second, 12);
    render_at(second, 777);
    EXPECT_EQ(first.store, second.store);
    EXPECT_TRUE(first.guards_intact());
}

TEST_F(Scene7Test, TickZeroShadesEveryLightAt63) {
    GuardedFrame frame;
    render_at(frame, 0);
    for (int i = 0; i < kLightCount; ++i)
        EXPECT_EQ(scene7.levels[i], 63);
    for (int32_t p = 0; p < kFramePixels; p += 37) {
        const uint32_t expected =
            add_reference(add_reference(shade_reference(scene7.lights[1].pixels[p], 63),
                                        shade_reference(scene7.lights[2].pixels[p], 63)),
                          shade_reference(scene7.lights[0].pixels[p], 63));
        ASSERT_EQ(frame.data()[p], expected) << p;
    }
}

TEST_F(Scene7Test, NoChannelExceedsItsPaintedValue) {
    // One light at a time, the others black: every channel stays at or below
    // the painted one, across the lights' whole cycles.
    for (int lit = 0; lit < kLightCount; ++lit) {
        for (int i = 0; i < kLightCount; ++i) {
            free_image(scene7.lights[i]);
            scene7.lights[i] = i == lit ? make_image(kFrameWidth, kFrameHeight, pattern)
                                        : solid_image(kFrameWidth, kFrameHeight, 0u);
        }
        GuardedFrame frame;
        for (int32_t tick = 0; tick < 1800; tick += 29) {
            render_at(frame, tick);
            for (int i = 0; i < kLightCount; ++i)
                ASSERT_LE(scene7.levels[i], 127);
            for (int32_t p = 0; p < kFramePixels; p += 5) {
                const uint32_t got = frame.data()[p], painted = scene7.lights[lit].pixels[p];
                for (int shift = 0; shift <= 16; shift += 8)
                    ASSERT_LE((got >> shift) & 0xFF, (painted >> shift) & 0xFF)
                        << "light " << lit << " tick " << tick << " pixel " << p;
            }
        }
    }
}

TEST_F(Scene7Test, LevelsComeFromSinglePrecisionAngles) {
    // At these ticks a double-precision speed or angle moves one light's level
    // by one: tick 2493 light 1 and tick 12326 light 2 (speed), tick 10088
    // light 1 (angle), tick 5966 light 0 (both).
    const struct {
        int32_t tick;
        int32_t levels[kLightCount];
    } expected[] = {
        {2493, {25, 52, 18}},
        {5966, {36, 6, 117}},
        {10088, {1, 27, 91}},
        {12326, {120, 74, 20}},
    };
    GuardedFrame frame;
    for (const auto& e : expected) {
        render_at(frame, e.tick);
        for (int i = 0; i < kLightCount; ++i)
            EXPECT_EQ(scene7.levels[i], e.levels[i]) << "tick " << e.tick << " light " << i;
    }
}

// The vector shading of the light maps against the shade table, for every
// level and every channel value in every byte of a pixel (top byte included,
// which comes out 0 as shade() gives it).
TEST(LightMaps, VectorShadingMatchesTheShadeTableEverywhere) {
    prepare_show();
    for (int32_t level = 0; level < 256; ++level) {
        ShadeLevel s;
        make_shade_level(s, level);
        for (uint32_t c = 0; c < 256; ++c) {
            // c in every byte, beside itself and beside its complement.
            const uint32_t d = 255 - c;
            const uint32_t in[4] = {c * 0x01010101u, d * 0x01010101u,
                                    c * 0x00010001u + d * 0x01000100u,
                                    d * 0x00010001u + c * 0x01000100u};
            uint32_t out[4];
            px4::to_array(shade4(s, px4::load(in)), out);
            for (int k = 0; k < 4; ++k)
                ASSERT_EQ(out[k], shade(s, in[k])) << "level " << level << " pixel " << in[k];
        }
    }
}
