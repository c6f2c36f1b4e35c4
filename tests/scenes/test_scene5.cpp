// Scene 5: black frames with sprites until sync flag 4, then faces and
// trails; the ripple's order of steps; the sliding picture; the scroller's
// rows; the quick flash; and the scene on its own data.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "scene_test_support.h"
#include "scenes/scene5.h"
#include "square_mesh.h"

using namespace scene_test;

namespace {

constexpr uint32_t kFaceTexel = 0x00004000u;   // green
constexpr uint32_t kSpriteTexel = 0x00000040u; // blue
constexpr uint32_t kScrollMark = 0x00F00000u;  // red, plus the scroller row in the low bits

class Scene5Test : public ::testing::Test {
  protected:
    void SetUp() override {
        prepare_show();
        scene5 = Scene5{};
        scene5.texture = solid_image(256, 256, kFaceTexel);
        scene5.sprite = solid_image(256, 256, kSpriteTexel);
        scene5.scroller = make_image(kScrollerWidth, kScrollerRows, [](int32_t, int32_t row) {
            return kScrollMark | static_cast<uint32_t>(row);
        });
        // Kept left of the scroller: its corners stay within about 40 pixels
        // of the centre through the ripple.
        grid.attach(scene5.grid);
        scene5.grid.mapping_mode = MappingMode::stored;
        for (Face& face : grid.faces)
            for (int n = 0; n < 3; ++n)
                face.texture_u[n] = 10 * n;
    }
    void TearDown() override {
        scene5_release();
        free_image(scene5.texture);
        free_image(scene5.sprite);
        free_image(scene5.scroller);
        sync_reset();
    }

    void render_at(int32_t tick) {
        tick_counter = tick;
        scene5_render(frame.data());
    }

    int count(uint32_t value) {
        int n = 0;
        for (int32_t p = 0; p < kFramePixels; ++p)
            n += frame.data()[p] == value;
        return n;
    }
    int green() {
        int n = 0;
        for (int32_t p = 0; p < kFramePixels; ++p)
            n += (frame.data()[p] & 0x00FF00u) == kFaceTexel;
        return n;
    }

    SquareMesh grid{10, FillKind::depth_tested};
    GuardedFrame frame;
};

} // namespace

TEST_F(Scene5Test, BeforeFlagFourOnlySpritesOnBlack) {
    frame.fill(0x00777777u);
    render_at(0);
    EXPECT_EQ(count(0x00777777u), 0);
    EXPECT_EQ(green(), 0);
    int sprite = 0;
    for (int32_t p = 0; p < kFramePixels; ++p) {
        const uint32_t pixel = frame.data()[p];
        ASSERT_TRUE(pixel == 0 || (pixel & ~0x000000FFu) == 0) << p;
        sprite += pixel != 0;
    }
    EXPECT_GT(sprite, 4 * 8 * 8);
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene5Test, FlagFourShowsTheFacesAndStopsClearingForGood) {
    frame.fill(0x00777777u);
    raise_sync_flag(4);
    render_at(0);
    EXPECT_FALSE(sync_flag(4));
    EXPECT_TRUE(scene5.mesh_shown);
    EXPECT_GT(count(0x00777777u), kFramePixels / 2); // not cleared
    EXPECT_GT(green(), 100);
    // Sprites glow on top of the faces.
    EXPECT_GT(count(kFaceTexel + kSpriteTexel), 0);

    render_at(40); // turned and rippled: the old picture stays where not covered
    EXPECT_GT(count(0x00777777u), kFramePixels / 2);
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene5Test, RippleUsesEachStepsResultInTheNext) {
    // At t = 0 the vertex (-10, -10, 0): x' = -10 + 5 sin(-0.7),
    // y' = -10 + 5 cos(0.053 x'), z' = -40 (sin(0.03 x') + cos(0.026 y')).
    render_at(0);
    const double x = -10 + 5 * std::sin(-0.7);
    const double y = -10 + 5 * std::cos(0.053 * x);
    const double z = -40 * (std::sin(0.03 * x) + std::cos(0.026 * y));
    EXPECT_DOUBLE_EQ(scene5.grid.view_vertices[0].x, x);
    EXPECT_DOUBLE_EQ(scene5.grid.view_vertices[0].y, y);
    EXPECT_DOUBLE_EQ(scene5.grid.view_vertices[0].z, z + 256);
    // And from the model positions again each frame, never from the last result.
    render_at(0);
    EXPECT_DOUBLE_EQ(scene5.grid.view_vertices[0].x, x);
}

TEST_F(Scene5Test, PictureSlidesTwoTexelsPerTickAndBackOnReentry) {
    render_at(10);
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(scene5.grid.faces[1].texture_u[n], 10 * n + 20);
    render_at(4); // entered again: the difference is negative once
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(scene5.grid.faces[0].texture_u[n], 10 * n + 8);
    EXPECT_EQ(scene5.previous_tick, 4);
    // A column that would pass the 32-bit range wraps instead.
    scene5.grid.faces[0].texture_u[0] = INT32_MAX;
    render_at(5);
    EXPECT_EQ(scene5.grid.faces[0].texture_u[0], INT32_MIN + 1);
}

TEST_F(Scene5Test, ScrollerRisesFromTheBottomEdgeAndLeavesAtTheTop) {
    auto scroller_rows = [&](int& first_frame_row, int& first_strip_row, int& rows) {
        rows = 0;
        first_frame_row = -1;
        for (int32_t y = 0; y < kFrameHeight; ++y) {
            const uint32_t left = frame.at(kScrollerLeft, y), right = frame.at(309, y);
            if ((left & 0xFF0000u) != kScrollMark) continue;
            EXPECT_EQ(left, right) << y;
            EXPECT_EQ(frame.at(kScrollerLeft - 1, y) & 0xFF0000u, 0u) << y;
            EXPECT_EQ(frame.at(310, y) & 0xFF0000u, 0u) << y;
            if (first_frame_row < 0) {
                first_frame_row = y;
                first_strip_row = static_cast<int>(left & 0xFFFF);
            }
            ++rows;
        }
    };
    int frame_row = 0, strip_row = 0, rows = 0;
    render_at(0);
    scroller_rows(frame_row, strip_row, rows);
    EXPECT_EQ(rows, 0);

    render_at(70); // 27 rows up after a second
    scroller_rows(frame_row, strip_row, rows);
    EXPECT_EQ(rows, 27);
    EXPECT_EQ(frame_row, 213);
    EXPECT_EQ(strip_row, 0);

    render_at(1000); // s = 394: rows 154.. of the strip from the top
    scroller_rows(frame_row, strip_row, rows);
    EXPECT_EQ(rows, 240);
    EXPECT_EQ(frame_row, 0);
    EXPECT_EQ(strip_row, 154);

    EXPECT_EQ(scroller_top(1824), 240 - 719);
    render_at(1825); // s = 720: gone
    scroller_rows(frame_row, strip_row, rows);
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene5Test, QuickFlashWhitensEverythingAndEndsAfterThirtyFiveTicks) {
    raise_sync_flag(1);
    render_at(200);
    EXPECT_FALSE(sync_flag(1));
    EXPECT_EQ(count(0x00FFFFFFu), kFramePixels);
    render_at(234);
    EXPECT_EQ(scene5.flash.amount, 8u);
    render_at(235);
    EXPECT_EQ(scene5.flash.amount, 0u);
    render_at(236);
    EXPECT_EQ(frame.at(0, 0), 0u);
}

TEST(Scene5Data, GridTakesItsPictureCoordinatesFromItsModel) {
    prepare_show();
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(VORN_TEST_DATA_DIR);
    scene5 = Scene5{};
    scene5_setup();
    std::filesystem::current_path(here);
    ASSERT_GT(scene5.grid.face_count, 0);
    EXPECT_EQ(scene5.grid.mapping_mode, MappingMode::stored);
    // Three texels per model unit, truncated toward zero: the model's x and y
    // of -136.5, -118.3 and -81.9 (as floats, a hair off) give -409, -354
    // (not -355) and -245.
    ASSERT_EQ(scene5.grid.face_count, 450);
    const struct {
        int32_t face, corner, u, v;
    } corners[] = {{0, 0, -409, 409}, {0, 1, -354, 409},   {0, 2, -354, 354},
                   {4, 1, -245, 409}, {449, 0, 354, -354}, {449, 1, 409, -409}};
    for (const auto& c : corners) {
        EXPECT_EQ(scene5.grid.faces[c.face].texture_u[c.corner], c.u) << c.face << "," << c.corner;
        EXPECT_EQ(scene5.grid.faces[c.face].texture_v[c.corner], c.v) << c.face << "," << c.corner;
    }

    GuardedFrame frame;
    std::vector<int> counts;
    for (int flag : {0, 4}) {
        if (flag) raise_sync_flag(flag);
        for (int32_t tick : {0, 100, 1000, 3000}) {
            tick_counter = tick;
            scene5_render(frame.data());
            int lit = 0;
            for (int32_t p = 0; p < kFramePixels; ++p)
                lit += frame.data()[p] != 0;
            counts.push_back(lit);
            EXPECT_TRUE(frame.guards_intact());
        }
    }
    // Lit pixels, pinned per flag and tick: the grid, then the grid and its
    // picture.
    EXPECT_EQ(counts, (std::vector<int>{27001, 25156, 23957, 22092, 66581, 70408, 58891, 71890}));
    scene5_release();
    for (Image* image : {&scene5.texture, &scene5.sprite, &scene5.scroller}) {
        std::free(image->pixels);
        *image = Image{};
    }
}
