// The triangle walker, the run routines and the three fillers: which pixels
// a triangle covers, which texels land there, clipping, and how each filler
// composes its pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "render/depth.h"
#include "render/fill.h"
#include "render/pixel.h"
#include "render/runs.h"
#include "render/small_divide.h"
#include "render_fixture.h"

namespace {

// A face with stored texture coordinates (MappingMode::stored) and its object.
struct StoredFace {
    Face face{};
    Object object;
    StoredFace(int u0, int v0, int u1, int v1, int u2, int v2) {
        face.texture_u[0] = u0, face.texture_v[0] = v0;
        face.texture_u[1] = u1, face.texture_v[1] = v1;
        face.texture_u[2] = u2, face.texture_v[2] = v2;
        object.mapping_mode = MappingMode::stored;
    }
};

ScreenFace corners(int x0, int y0, int x1, int y1, int x2, int y2, int d0 = 1, int d1 = 1,
                   int d2 = 1) {
    return {x0, x1, x2, y0, y1, y2, d0, d1, d2};
}

using Filler = void (*)(uint32_t*, ScreenFace, const Face&, const Image&, const Object&);

struct DepthBufferScope {
    GuardedFrame buffer{0};
    DepthBufferScope() { depth_buffer = buffer.data(); }
    ~DepthBufferScope() { depth_buffer = nullptr; }
};

} // namespace

// Every divisor and every numerator the reciprocal quotients take (every
// 97th for the plain one), against the divide instruction.
TEST(SmallDivide, GivesTheQuotientOfTheDivideInstruction) {
    int64_t wrong = 0;
    for (int64_t d = 1; d <= 1024; ++d) {
        for (int64_t a = -(1 << 16) + 1; a < (1 << 16); ++a)
            wrong += small_divide_16_16(a, d) != (a * 65536) / d;
        for (int64_t a = -(1 << 21) + 1; a < (1 << 21); a += 97)
            wrong += small_divide_plain(a, d) != a / d;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(TriangleFill, CoverageRulesHoldForEveryFiller) {
    for (Filler fill :
         {&fill_additive_triangle, &fill_textured_triangle, &fill_depth_tested_triangle}) {
        DepthBufferScope depth;
        UniformTexture tex(0x00102030u);
        StoredFace sf(0, 0, 0, 0, 0, 0);

        // All corners on one row: nothing.
        GuardedFrame flat;
        fill(flat.data(), corners(10, 50, 200, 50, 100, 50), sf.face, tex.image, sf.object);
        EXPECT_EQ(flat.count_not(0), 0);

        // Two corners on the top row: only the lower part, rows 0..9, each
        // row ending one short of the right edge; row 10 and column 10 stay.
        GuardedFrame lower;
        fill(lower.data(), corners(0, 0, 10, 0, 0, 10), sf.face, tex.image, sf.object);
        EXPECT_EQ(lower.count_not(0), 55);
        for (int y = 0; y < 10; ++y) {
            EXPECT_NE(lower.at(9 - y, y), 0u) << y;
            EXPECT_EQ(lower.at(10 - y, y), 0u) << y;
        }
        EXPECT_EQ(lower.at(0, 10), 0u);
        EXPECT_TRUE(lower.guards_intact());

        // The same triangle with its corners in another order covers the same.
        std::fill(depth_buffer, depth_buffer + kFramePixels, 0u);
        GuardedFrame reordered;
        fill(reordered.data(), corners(0, 10, 0, 0, 10, 0), sf.face, tex.image, sf.object);
        EXPECT_EQ(reordered.store, lower.store);
    }
}

TEST(TriangleFill, UpperAndLowerPartsMeetAtTheMiddleCorner) {
    CoordTexture tex;
    StoredFace sf(0, 0, 0, 0, 0, 0);
    GuardedFrame frame;
    // Apex at the top, middle corner on the left, bottom corner on the right.
    fill_textured_triangle(frame.data(), corners(20, 0, 0, 20, 40, 40), sf.face, tex.image,
                           sf.object);
    // Row 10 lies between the edges 0 -> 1 (x = 10) and 0 -> 2 (x = 25); row 20
    // starts exactly at the middle corner and runs to x = 30; row 40 is the
    // bottom row and stays empty.
    auto row_run = [&](int y) {
        int first = -1, last = -1;
        for (int x = 0; x < kFrameWidth; ++x)
            if (frame.at(x, y) != 0) {
                if (first < 0) first = x;
                last = x;
            }
        return std::pair<int, int>(first, last);
    };
    EXPECT_EQ(row_run(0), std::make_pair(-1, -1));
    EXPECT_EQ(row_run(10), std::make_pair(10, 24));
    EXPECT_EQ(row_run(20), std::make_pair(0, 29));
    EXPECT_EQ(row_run(39), std::make_pair(38, 38));
    EXPECT_EQ(row_run(40), std::make_pair(-1, -1));
}

TEST(TriangleFill, CornersFarOutsideTheFrameClipExactly) {
    UniformTexture tex(0x00FFFFFFu);
    StoredFace sf(0, 0, 0, 0, 0, 0);
    GuardedFrame frame;
    // The long edge is the line x = y; each row is covered from the left
    // border up to, not including, that line.
    fill_textured_triangle(frame.data(),
                           corners(-1000000, -1000000, 1000000, 1000000, -1000000, 1000000),
                           sf.face, tex.image, sf.object);
    EXPECT_TRUE(frame.guards_intact());
    for (int y = 0; y < kFrameHeight; ++y) {
        if (y > 0) {
            EXPECT_EQ(frame.at(y - 1, y), 0x00FFFFFFu) << y;
        }
        EXPECT_EQ(frame.at(y, y), 0u) << y;
    }
}

TEST(TriangleFill, TextureCoordinatesInterpolateAndWrap) {
    CoordTexture tex;
    GuardedFrame frame;
    // u runs 0 -> 300 across a 300-pixel-wide top row; v fixed at -1 (row 255).
    StoredFace sf(0, -1, 300, -1, 0, -1);
    fill_textured_triangle(frame.data(), corners(0, 0, 300, 0, 0, 300), sf.face, tex.image,
                           sf.object);
    EXPECT_EQ(frame.at(0, 0), tex.texel(0, 255));
    EXPECT_EQ(frame.at(100, 0), tex.texel(100, 255));
    EXPECT_EQ(frame.at(299 - 1, 1), tex.texel(298, 255));

    // A run whose texture coordinate is 300 throughout reads column 44.
    GuardedFrame wide;
    StoredFace at300(300, 5, 300, 5, 300, 5);
    fill_textured_triangle(wide.data(), corners(0, 0, 50, 0, 0, 50), at300.face, tex.image,
                           at300.object);
    EXPECT_EQ(wide.at(10, 10), tex.texel(44, 5));
}

TEST(ClippedRun, ClipsAndStartsWithTheCoordinatesAtTheBorder) {
    CoordTexture tex;
    GuardedFrame frame;
    // From x = -10 to 5 with u 0 -> 150: 10 texels per pixel, so column 0
    // shows u = 100 and column 4 shows u = 140; column 5 is the end.
    opaque_run(frame.data(), {-10, 0, 7, 0}, {5, 150, 7, 0}, 3, tex.pixels.data());
    EXPECT_EQ(frame.at(0, 3), tex.texel(100, 7));
    EXPECT_EQ(frame.at(4, 3), tex.texel(140, 7));
    EXPECT_EQ(frame.at(5, 3), 0u);

    // Ends given right to left are exchanged with their coordinates.
    GuardedFrame reversed;
    opaque_run(reversed.data(), {5, 150, 7, 0}, {-10, 0, 7, 0}, 3, tex.pixels.data());
    EXPECT_EQ(reversed.store, frame.store);

    GuardedFrame other;
    const uint32_t* t = tex.pixels.data();
    opaque_run(other.data(), {3, 0, 0, 0}, {3, 9, 0, 0}, 10, t); // no length
    opaque_run(other.data(), {0, 0, 0, 0}, {50, 9, 0, 0}, -1, t);
    opaque_run(other.data(), {0, 0, 0, 0}, {50, 9, 0, 0}, 240, t);
    opaque_run(other.data(), {-50, 0, 0, 0}, {-1, 9, 0, 0}, 10, t);
    opaque_run(other.data(), {320, 0, 0, 0}, {400, 9, 0, 0}, 10, t);
    EXPECT_EQ(other.count_not(0), 0);

    // A run past the right border stops at column 319 of its own row.
    opaque_run(other.data(), {300, 0, 0, 0}, {400, 100, 0, 0}, 239, t);
    EXPECT_EQ(other.count_not(0), 20);
    EXPECT_NE(other.at(319, 239), 0u);
    EXPECT_TRUE(other.guards_intact());
}

TEST(AdditiveFill, AddsEachColourByteWithSaturationAndKeepsTheTopByte) {
    EXPECT_EQ(add_saturate(0x00F01010u, 0x00201010u), 0x00FF2020u);
    EXPECT_EQ(add_saturate(0x7AF01010u, 0xC5201010u), 0x7AFF2020u);
    EXPECT_EQ(add_saturate(0x00FFFFFFu, 0x00010101u), 0x00FFFFFFu);
    EXPECT_EQ(add_saturate(0x0000FF01u, 0x000001FFu), 0x0000FFFFu);
    EXPECT_EQ(add_saturate_portable(0x7AF01010u, 0xC5201010u), 0x7AFF2020u);
    // Against a byte-by-byte sum over many pixel pairs.
    TestRandom random(12345);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t a = random.next(), b = random.next();
        const uint32_t want = add_reference(a, b);
        ASSERT_EQ(add_saturate(a, b), want) << std::hex << a << " " << b;
        ASSERT_EQ(add_saturate_portable(a, b), want) << std::hex << a << " " << b;
    }

    UniformTexture tex(0x00201010u);
    StoredFace sf(0, 0, 0, 0, 0, 0);
    GuardedFrame frame(0x55F01010u);
    fill_additive_triangle(frame.data(), corners(0, 0, 100, 0, 0, 100), sf.face, tex.image,
                           sf.object);
    EXPECT_EQ(frame.at(5, 5), 0x55FF2020u);
    EXPECT_EQ(frame.at(200, 5), 0x55F01010u);
}

TEST(EnvironmentMapping, TextureCoordinatesComeFromTheVertexNormals) {
    CoordTexture tex;
    Vec3 normals[3];
    Face face{};
    face.vertex_index[0] = 0, face.vertex_index[1] = 1, face.vertex_index[2] = 2;
    Object object;
    object.mapping_mode = MappingMode::from_normals;
    object.vertex_normals = normals;

    for (double z : {1.0, -1.0}) {
        normals[0] = normals[1] = normals[2] = {0, 0, z};
        GuardedFrame frame;
        fill_textured_triangle(frame.data(), corners(0, 0, 60, 0, 0, 60), face, tex.image, object);
        EXPECT_EQ(frame.at(10, 10), tex.texel(127, 127));
    }
    normals[0] = normals[1] = normals[2] = {1, 0, 0};
    GuardedFrame frame;
    fill_textured_triangle(frame.data(), corners(0, 0, 60, 0, 0, 60), face, tex.image, object);
    EXPECT_EQ(frame.at(10, 10), tex.texel(255, 127));

    // A degenerate face's 0/0 normal must neither crash nor stray outside.
    const double nan = std::nan("");
    normals[0] = normals[1] = normals[2] = {nan, nan, nan};
    fill_textured_triangle(frame.data(), corners(0, 0, 60, 0, 0, 60), face, tex.image, object);
    EXPECT_TRUE(frame.guards_intact());
}

TEST(DepthFill, DrawsOnlyWhereStrictlyNearerAndPositive) {
    CoordTexture tex;
    DepthBufferScope depth;
    GuardedFrame frame;
    const uint32_t* t = tex.pixels.data();

    depth_run(frame.data(), depth_buffer, {0, 0, 0, 0}, {10, 0, 0, 0}, 0, t);
    depth_run(frame.data(), depth_buffer, {0, 0, 0, -500}, {10, 0, 0, -5}, 1, t);
    EXPECT_EQ(frame.count_not(0), 0);

    depth.buffer.at(5, 2) = 100;
    depth_run(frame.data(), depth_buffer, {0, 0, 0, 100}, {10, 0, 0, 100}, 2, t);
    EXPECT_EQ(frame.at(5, 2), 0u); // equal depth keeps the old pixel
    EXPECT_EQ(frame.at(4, 2), tex.texel(0, 0));
    EXPECT_EQ(depth.buffer.at(4, 2), 100u);

    // Depth interpolates along the run: 0 .. 90 over ten pixels, so only the
    // pixels whose depth exceeds 45 win against a buffer of 45.
    for (int x = 0; x < 10; ++x)
        depth.buffer.at(x, 3) = 45;
    depth_run(frame.data(), depth_buffer, {0, 0, 0, 0}, {10, 0, 0, 100}, 3, t);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(frame.at(x, 3) != 0, x * 10 > 45) << x;
    EXPECT_EQ(depth.buffer.at(9, 3), 90u);

    // A run whose two ends are both behind the buffer is skipped whole, even
    // where its middle would be nearer. The far end is judged at the run's
    // exclusive end column (10 here), not at its last drawn column.
    for (int x = 0; x <= 10; ++x)
        depth.buffer.at(x, 4) = x == 0 || x == 10 ? 1000 : 1;
    depth_run(frame.data(), depth_buffer, {0, 0, 0, 500}, {10, 0, 0, 500}, 4, t);
    EXPECT_EQ(frame.at(5, 4), 0u);
    for (int x = 0; x <= 10; ++x)
        depth.buffer.at(x, 5) = x == 0 || x == 9 ? 1000 : 1;
    depth_run(frame.data(), depth_buffer, {0, 0, 0, 500}, {10, 0, 0, 500}, 5, t);
    EXPECT_EQ(frame.at(5, 5), tex.texel(0, 0));
    EXPECT_EQ(frame.at(9, 5), 0u);
    EXPECT_EQ(depth.buffer.at(10, 5), 1u);
}

// A run reaching the right border is judged at the next row's first entry; on
// the last row, where that entry would lie past the buffer, at the buffer's
// last entry instead, never at memory beyond it.
TEST(DepthFill, RejectionAtTheRightBorder) {
    CoordTexture tex;
    const uint32_t* t = tex.pixels.data();
    struct Case {
        int row;
        uint32_t next_row_first, last_entry, past_buffer;
        bool drawn;
    } cases[] = {
        {100, 0xFFFFFF00u, 0, 0, false},
        {100, 1, 0xFFFFFF00u, 0xFFFFFF00u, true},
        {239, 0, 1, 0xFFFFFF00u, true},
        {239, 0, 0xFFFFFF00u, 0, false},
    };
    for (const Case& c : cases) {
        DepthBufferScope depth;
        GuardedFrame frame;
        depth.buffer.at(0, c.row) = 0xFFFFFF00u;
        if (c.row < 239) depth.buffer.at(0, c.row + 1) = c.next_row_first;
        depth.buffer.at(319, 239) = c.last_entry;
        std::fill(depth.buffer.store.end() - GuardedFrame::kGuard, depth.buffer.store.end(),
                  c.past_buffer);
        depth_run(frame.data(), depth_buffer, {0, 0, 0, 50}, {320, 0, 0, 50}, c.row, t);
        EXPECT_EQ(frame.at(100, c.row) != 0, c.drawn) << c.row << " " << c.last_entry;
    }
}

TEST(DepthFill, DrawsNothingWithoutADepthBuffer) {
    CoordTexture tex;
    StoredFace sf(0, 0, 0, 0, 0, 0);
    GuardedFrame frame;
    depth_buffer = nullptr;
    fill_depth_tested_triangle(frame.data(), corners(0, 0, 100, 0, 0, 100, 9, 9, 9), sf.face,
                               tex.image, sf.object);
    EXPECT_EQ(frame.count_not(0), 0);
}
