// Scene 3: grey noise from one rand() per pixel, the slow white flash over the
// noise only, and the sprite cloud placed by the tick's rotation.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "core/rand.h"
#include "render/draw.h"
#include "scene_test_support.h"
#include "scenes/scene3.h"

using namespace scene_test;

namespace {

class Scene3Test : public ::testing::Test {
  protected:
    void SetUp() override {
        prepare_show();
        scene3 = Scene3{};
        scene3.sprite = solid_image(256, 256, 0x00400000u); // red 64
        scene3.object.model_vertices = points.data();
        scene3.object.view_vertices = view;
    }
    void TearDown() override {
        scene3_release();
        sync_reset();
    }

    void use_points(std::vector<Vec3> p) {
        points = std::move(p);
        scene3.object.model_vertices = points.data();
        scene3.object.vertex_count = static_cast<int32_t>(points.size());
    }

    void render_at(int32_t tick) {
        tick_counter = tick;
        scene3_render(frame.data());
    }

    std::vector<Vec3> points;
    Vec3 view[8] = {};
    GuardedFrame frame;
};

bool grey(uint32_t p) {
    return ((p >> 16) & 0xFF) == (p & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF);
}

} // namespace

TEST_F(Scene3Test, NoiseIsGreyBelowFortyWithOneRandPerPixel) {
    frame.fill(0xFFFFFFFFu);
    const uint64_t calls = vorn::rand_calls();
    render_at(5);
    EXPECT_EQ(vorn::rand_calls() - calls, static_cast<uint64_t>(kFramePixels));
    int seen[kNoiseLevels] = {};
    for (int32_t p = 0; p < kFramePixels; ++p) {
        const uint32_t pixel = frame.data()[p];
        ASSERT_TRUE(grey(pixel)) << p;
        ASSERT_LT(pixel & 0xFF, 40u) << p;
        ++seen[pixel & 0xFF];
    }
    for (int g = 0; g < kNoiseLevels; ++g)
        EXPECT_GT(seen[g], kFramePixels / kNoiseLevels / 2) << g;
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene3Test, FlashWhitensTheNoiseAndFadesOverTwoSeconds) {
    raise_sync_flag(1);
    render_at(100);
    EXPECT_FALSE(sync_flag(1));
    for (int32_t p = 0; p < kFramePixels; ++p)
        ASSERT_EQ(frame.data()[p] & 0x00FFFFFFu, 0x00FFFFFFu) << p;

    const struct {
        int32_t tick;
        uint32_t next;
    } fade[] = {{110, 236}, {239, 1}, {240, 0}};
    for (const auto& step : fade) {
        const uint32_t applied = scene3.flash.amount;
        render_at(step.tick);
        EXPECT_EQ(scene3.flash.amount, step.next) << step.tick;
        for (int32_t p = 0; p < kFramePixels; p += 11) {
            const uint32_t g = frame.data()[p] & 0xFF;
            ASSERT_GE(g, std::min(applied, 255u)) << step.tick;
            ASSERT_LT(g, std::min(applied + 40, 256u)) << step.tick;
        }
    }
    render_at(241); // idle again: plain noise
    for (int32_t p = 0; p < kFramePixels; ++p)
        ASSERT_LT(frame.data()[p] & 0xFF, 40u) << p;
}

TEST_F(Scene3Test, SpriteCloudTurnsWithTheTickAndIsAddedOverTheNoise) {
    // At tick 0 only the rock about z (0.2 rad) is non-zero: a vertex at
    // x = 100 lands near (160 + 100 cos 0.2, 120 + 100 sin 0.2) = (258, 139).
    use_points({{0, 0, 0}, {100, 0, 0}});
    render_at(0);
    EXPECT_EQ(scene3.angles[0], 0.0);
    EXPECT_EQ(scene3.angles[1], 0.0);
    EXPECT_DOUBLE_EQ(scene3.angles[2], 0.2);
    int left = 1000, right = -1, top = 1000, bottom = -1, lit = 0;
    for (int32_t y = 0; y < kFrameHeight; ++y)
        for (int32_t x = 0; x < kFrameWidth; ++x) {
            const uint32_t p = frame.at(x, y);
            const int32_t excess = static_cast<int32_t>((p >> 16) & 0xFF) - (p & 0xFF);
            ASSERT_TRUE(excess == 0 || excess == 64) << x << "," << y;
            ASSERT_EQ((p >> 8) & 0xFF, p & 0xFF);
            if (excess == 0) continue;
            ++lit;
            const bool centre_sprite = x < 200;
            if (centre_sprite) {
                ASSERT_TRUE(x >= 144 && x < 176 && y >= 104 && y < 136) << x << "," << y;
            } else {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    EXPECT_EQ(lit, 2 * 32 * 32);
    EXPECT_EQ(left, 258 - 16);
    EXPECT_EQ(right, 258 + 15);
    EXPECT_EQ(top, 139 - 16);
    EXPECT_EQ(bottom, 139 + 15);

    // Half a turn of the spin later (ry = -1.1 a = pi at tick 163.6...), the
    // vertex has swung to the other side of the centre.
    render_at(164);
    int on_left = 0;
    for (int32_t y = 0; y < kFrameHeight; ++y)
        for (int32_t x = 0; x < 120; ++x)
            on_left += ((frame.at(x, y) >> 16) & 0xFF) != (frame.at(x, y) & 0xFF);
    EXPECT_GT(on_left, 0);
}

TEST(Scene3Data, ShowsItsCloudOverTheNoise) {
    prepare_show();
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(VORN_TEST_DATA_DIR);
    scene3 = Scene3{};
    scene3_setup();
    std::filesystem::current_path(here);
    EXPECT_GT(scene3.object.vertex_count, 0);
    EXPECT_EQ(scene3.object.face_count, 0);

    GuardedFrame frame;
    std::vector<int> counts;
    vorn::srand(1); // the same noise and jitter whichever tests ran before
    for (int32_t tick : {0, 400, 2000}) {
        tick_counter = tick;
        scene3_render(frame.data());
        int bright = 0;
        for (int32_t p = 0; p < kFramePixels; ++p)
            bright += (frame.data()[p] & 0xFF) >= 40 || ((frame.data()[p] >> 16) & 0xFF) >= 40;
        counts.push_back(bright);
        EXPECT_TRUE(frame.guards_intact());
    }
    // Pixels brighter than the noise can be, pinned per tick.
    EXPECT_EQ(counts, (std::vector<int>{39170, 20632, 35708}));
    scene3_release();
}

TEST_F(Scene3Test, AnglesStayInDoublePrecision) {
    use_points({{0, 0, 0}});
    render_at(1234);
    // Worked out in Python with a = 1234 x 3.14159256 / 180: 0.2 sin(12.34),
    // -1.1 a (never narrowed to single precision, unlike scene 1's turn) and
    // 0.2 cos(8.638).
    EXPECT_EQ(scene3.angles[0], -0x1.6fb9e3c189094p-5);
    EXPECT_EQ(scene3.angles[1], -0x1.7b0ebd5d4f2ddp+4);
    EXPECT_EQ(scene3.angles[2], -0x1.213b24c806283p-3);
    // Pinned orientation entries at those angles.
    EXPECT_EQ(scene3.object.orientation[0][0], 0x1.052558323b5b8p-3);
    EXPECT_EQ(scene3.object.orientation[1][2], -0x1.7ac3447a1201ep-8);
    EXPECT_EQ(scene3.object.orientation[2][1], -0x1.85311eb1f6f58p-4);
}
