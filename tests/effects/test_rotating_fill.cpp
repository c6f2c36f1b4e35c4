// The rotating texture fill against its closed form, evaluated exactly in 64
// bits, for pivots inside and far outside the tables' range; and its corner
// points for the pivots the scene passes.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "effects/rotating_fill.h"
#include "scenes/scene_test_support.h"

using namespace scene_test;

namespace {

// Texel (u, v) holds 0x00vvuu plus a marker in red.
Image coordinate_texture() {
    return make_image(256, 256, [](int32_t u, int32_t v) {
        return 0x00800000u | static_cast<uint32_t>(v << 8 | u);
    });
}

uint32_t closed_form(const FillCorners& c, const Image& texture, int32_t x, int32_t y) {
    const int64_t k = y + 1, j = x + 1;
    auto blend = [&](const int32_t* p) {
        return (512 - 2 * k) * ((256 - j) * p[0] + j * p[2]) +
               2 * k * ((256 - j) * p[1] + j * p[3]);
    };
    const int64_t u = (blend(c.x) >> 18) & 255;
    const int64_t v = (blend(c.y) >> 18) & 255;
    return texture.pixels[v * 256 + u];
}

class RotatingFill : public ::testing::Test {
  protected:
    void SetUp() override {
        prepare_show();
        texture = coordinate_texture();
    }
    void TearDown() override { free_image(texture); }
    Image texture;
    GuardedFrame frame;
};

} // namespace

// The corners are pinned (as the corner function gave them when the fill was
// checked), so the pixels are judged against arithmetic that does not come
// from the code under test.
TEST_F(RotatingFill, EveryPixelMatchesTheClosedForm) {
    const struct {
        int32_t px, py;
        double angle;
        FillCorners corners;
    } cases[] = {
        {160, 120, 0.0, {{0, 0, 319, 320}, {0, 240, 0, 239}}},
        {220, 160, -3.7, {{491, 321, 118, -51}, {179, -92, 412, 140}}},
        {100, 80, 2.1, {{219, 81, 118, -19}, {34, -46, 206, 125}}},
        {137, 91, 0.5, {{60, -26, 300, 213}, {-54, 105, 76, 236}}},
        {-40, 300, -1.0, {{-270, 233, -313, 190}, {104, 428, 171, 495}}},
        {6399, 0, 0.25, {{198, 198, 12599, 12599}, {-1583, -1583, 1583, 1583}}},
        {5000, -7000, 0.3, {{-1845, 2292, 7707, 11845}, {-1790, -15164, 1164, -12209}}},
        {-100000, 70000, 4.0, {{-218339, -112388, -87611, 18340}, {40074, -51434, 191434, 99925}}},
        {INT32_MIN,
         INT32_MAX,
         1.0,
         {{INT32_MIN, -1690158934, INT32_MIN, -49260517},
          {1690158932, 49260559, INT32_MIN, INT32_MIN}}},
        {INT32_MAX,
         -3,
         -2.5,
         {{INT32_MIN, INT32_MIN, 427040715, 427040711},
          {1285209137, 1285209142, -1285208987, -1285208982}}},
        {INT32_MIN,
         INT32_MIN,
         0.7,
         {{INT32_MIN, INT32_MIN, -7825893, -1964315114},
          {INT32_MIN, -1964315314, INT32_MIN, -7825893}}},
    };
    for (const auto& c : cases) {
        const FillCorners corners = rotating_fill_corners(c.px, c.py, c.angle);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(corners.x[i], c.corners.x[i]) << c.px << "," << c.py << " C" << i + 1;
            EXPECT_EQ(corners.y[i], c.corners.y[i]) << c.px << "," << c.py << " C" << i + 1;
        }
        frame.fill(0xFFFFFFFFu);
        rotating_texture_fill(frame.data(), texture, c.px, c.py, c.angle);
        for (int32_t y = 0; y < kFrameHeight; ++y)
            for (int32_t x = 0; x < kFrameWidth; ++x)
                ASSERT_EQ(frame.at(x, y), closed_form(c.corners, texture, x, y))
                    << c.px << "," << c.py << " at " << x << "," << y;
        ASSERT_TRUE(frame.guards_intact());
    }
}

TEST_F(RotatingFill, CornersOfTheUnturnedRectangle) {
    const FillCorners c = rotating_fill_corners(160, 120, 0.0);
    EXPECT_EQ(c.x[0], 0);
    EXPECT_EQ(c.y[0], 0);
    EXPECT_EQ(c.x[2], 319); // the not-quite-pi constant leaves it just short of 320
    EXPECT_EQ(c.y[2], 0);
    EXPECT_EQ(c.x[3], 320);
    EXPECT_EQ(c.y[3], 239);

    rotating_texture_fill(frame.data(), texture, 160, 120, 0.0);
    for (int32_t x = 0; x < kFrameWidth; ++x) {
        const uint32_t u = static_cast<uint32_t>((163330LL * (x + 1)) >> 18);
        ASSERT_EQ(frame.at(x, 0), 0x00800000u | u) << x;
    }
    EXPECT_EQ(frame.at(0, 0) & 0xFF, 0u);
    EXPECT_EQ(frame.at(319, 0) & 0xFF, 199u);
}

TEST_F(RotatingFill, DistanceComesFromTheTablesTruncated) {
    // The root table gives 272 for (220, 160), whose exact distance is 272.03:
    // at angle 0 C4 sits at the pivot plus 272 along the pivot's direction.
    const FillCorners c = rotating_fill_corners(220, 160, 0.0);
    const double t = std::atan2(-160.0, -220.0) + 3.14159256;
    EXPECT_EQ(c.x[3], static_cast<int32_t>(220 + 272 * std::cos(t)));
    EXPECT_EQ(c.y[3], static_cast<int32_t>(160 + 272 * std::sin(t)));
}

TEST_F(RotatingFill, PivotAtTheOriginShowsTexelZeroEverywhere) {
    for (double angle : {0.0, 1.3, -3.9}) {
        frame.fill(0);
        rotating_texture_fill(frame.data(), texture, 0, 0, angle);
        for (int32_t p = 0; p < kFramePixels; ++p)
            ASSERT_EQ(frame.data()[p], texture.pixels[0]) << p;
    }
}
