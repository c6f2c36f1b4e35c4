// The float vectors and the additive polygon filler: coverage without gaps
// or double hits, texel mapping, blending, winding, and staying inside the
// frame whatever the corners.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "metaball/vector.h"
#include "metaball_test_support.h"

using namespace metaball_test;

TEST(MetaballVector, OperationsAndCrossOrientation) {
    const FloatVector a{1, 0, 0}, b{0, 1, 0};
    const FloatVector c = cross_product(a, b); // b x a
    EXPECT_EQ(c.x, 0.0f);
    EXPECT_EQ(c.y, 0.0f);
    EXPECT_EQ(c.z, -1.0f);
    EXPECT_EQ(vector_length({3, 4, 12}), 13.0f);
    const FloatVector n = normalise({3, 0, 4});
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
    const FloatVector d = vector_difference({5, 7, 9}, {1, 2, 3});
    EXPECT_EQ(d.x, 4.0f);
    EXPECT_EQ(d.y, 5.0f);
    EXPECT_EQ(d.z, 6.0f);
    // The dot product keeps the bits a float would lose.
    const float e = 1.0f + std::ldexp(1.0f, -23);
    const double dot = dot_product({e, 0, 0}, {e, 0, 0});
    EXPECT_EQ(dot, double(e) * double(e));
    EXPECT_NE(dot, double(e * e));
}

namespace {

class PolygonFill : public ::testing::Test {
  protected:
    PolygonFillBuffers buffers() { return {map.data(), frame.data()}; }
    void fill(std::initializer_list<MetaballVertex> corners) {
        std::vector<const MetaballVertex*> refs;
        for (const MetaballVertex& c : corners)
            refs.push_back(&c);
        fill_metaball_polygon(buffers(), refs.data(), static_cast<int>(refs.size()));
    }
    void use_solid_map(uint32_t texel) { map.assign(256 * 256, texel); }
    int32_t drawn_pixels() const {
        int32_t n = 0;
        for (int32_t i = 0; i < kFramePixels; ++i)
            n += frame.store[GuardedFrame::kGuard + i] != 0;
        return n;
    }

    std::vector<uint32_t> map = coordinate_map();
    GuardedFrame frame;
};

} // namespace

TEST_F(PolygonFill, ClockwiseTriangleCoversItsRowsAndReversedDrawsNothing) {
    use_solid_map(0x00000001u);
    fill({corner(0, 0), corner(10, 0), corner(0, 10)});
    // Row y covers columns 0 .. 9 - y.
    EXPECT_EQ(drawn_pixels(), 55);
    for (int32_t y = 0; y < 10; ++y) {
        EXPECT_EQ(frame.at(9 - y, y), 1u) << y;
        EXPECT_EQ(frame.at(10 - y, y), 0u) << y;
    }
    frame.fill(0);
    fill({corner(0, 0), corner(0, 10), corner(10, 0)});
    EXPECT_EQ(drawn_pixels(), 0);
    // Rows are pixel rows crossed by the edges: less than a pixel tall (no
    // whole row inside), or no area, draws nothing.
    fill({corner(5.1, 3.2), corner(40, 3.9), corner(20, 3.5)});
    fill({corner(0, 0), corner(10, 10), corner(20, 20)});
    EXPECT_EQ(drawn_pixels(), 0);
}

TEST_F(PolygonFill, TexelsFollowTheCornersAndWrapAt256) {
    // Environment coordinates equal to the pixel position (plus 256 texels on
    // u, which must wrap): each pixel shows its own coordinates.
    fill({corner(2, 3, 258, 3), corner(200, 3, 456, 3), corner(2, 180, 258, 180)});
    fill({corner(200, 3, 456, 3), corner(200, 180, 456, 180), corner(2, 180, 258, 180)});
    for (int32_t y = 3; y < 180; ++y)
        for (int32_t x = 2; x < 200; ++x)
            ASSERT_EQ(frame.at(x, y), (uint32_t(x) << 16) | (uint32_t(y) << 8) | 1u)
                << x << "," << y;
    EXPECT_EQ(drawn_pixels(), 198 * 177);
}

TEST_F(PolygonFill, AddsWithSaturationAndTakesTheTexelsTopByte) {
    use_solid_map(0x00203040u);
    frame.fill(0xAAF0100Fu);
    fill({corner(0, 0), corner(20, 0), corner(0, 20)});
    EXPECT_EQ(frame.at(1, 1), 0x00FF404Fu);
    EXPECT_EQ(frame.at(30, 30), 0xAAF0100Fu);
    use_solid_map(0);
    frame.fill(0x00123456u);
    fill({corner(0, 0), corner(20, 0), corner(0, 20)});
    EXPECT_EQ(frame.at(1, 1), 0x00123456u);
}

// Triangles sharing edges, at random sub-pixel corners, touch every pixel of
// their union once: no cracks between them, no pixel brightened twice.
TEST_F(PolygonFill, SharedEdgesLeaveNoGapAndNoOverlap) {
    use_solid_map(0x00000001u);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> jitter(-0.49, 0.49);
    // A 12 x 9 mesh of quads over the frame, every grid point moved at random,
    // each quad split along a random diagonal; corners run clockwise.
    const int nx = 12, ny = 9;
    std::vector<MetaballVertex> points;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            const double x = 20 + i * 23.3 + (i > 0 && i < nx ? jitter(rng) * 20 : 0);
            const double y = 10 + j * 24.7 + (j > 0 && j < ny ? jitter(rng) * 20 : 0);
            points.push_back(corner(x, y));
        }
    auto at = [&](int i, int j) { return points[j * (nx + 1) + i]; };
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const MetaballVertex a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1),
                                 d = at(i, j + 1);
            if (rng() & 1) {
                fill({a, b, c});
                fill({a, c, d});
            } else {
                fill({a, b, d});
                fill({b, c, d});
            }
        }
    for (int32_t y = 0; y < kFrameHeight; ++y)
        for (int32_t x = 0; x < kFrameWidth; ++x) {
            const uint32_t p = frame.at(x, y);
            ASSERT_LE(p, 1u) << x << "," << y;
            // Well inside the mesh's border every pixel is covered.
            if (x >= 32 && x < 290 && y >= 22 && y < 230) {
                ASSERT_EQ(p, 1u) << x << "," << y;
            }
        }
}

TEST_F(PolygonFill, ClipsToTheFrameAndKeepsTheMappingOfClippedPixels) {
    // A triangle far larger than the frame, mapped so that texel = pixel.
    fill({corner(-1000, -900, -1000, -900), corner(2000, -900, 2000, -900),
          corner(-1000, 2000, -1000, 2000)});
    for (int32_t y = 0; y < kFrameHeight; ++y)
        for (int32_t x = 0; x < kFrameWidth; ++x)
            ASSERT_EQ(frame.at(x, y), ((uint32_t(x) & 255) << 16) | (uint32_t(y) << 8) | 1u)
                << x << "," << y;
    EXPECT_TRUE(frame.guards_intact());

    // Corners at the ends of the 32-bit range and coordinates that are no
    // numbers at all: nothing outside the frame is touched.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    MetaballVertex wild[3] = {corner(0, 0), corner(0, 0), corner(0, 0)};
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1,      -65536,   0, 239 << 16,
                                240 << 16, INT32_MAX - 0xFFFF, INT32_MAX};
    std::mt19937 rng(3);
    for (int n = 0; n < 4000; ++n) {
        for (MetaballVertex& c : wild) {
            // Each extreme or one step either side, wrapping around the range.
            c.screen_x = int32_t(uint32_t(extremes[rng() % 8]) + rng() % 3 - 1);
            c.screen_y = int32_t(uint32_t(extremes[rng() % 8]) + rng() % 3 - 1);
            c.env_u = (rng() & 1) ? nan : float(rng());
            c.env_v = (rng() & 1) ? 1e30f : -float(rng());
        }
        const MetaballVertex* refs[3] = {&wild[0], &wild[1], &wild[2]};
        fill_metaball_polygon(buffers(), refs, 3);
    }
    EXPECT_TRUE(frame.guards_intact());
}
