// Thousands of random triangles, sprites and objects, many with coordinates
// far outside the frame or behind the eye: nothing may be written outside the
// 320 x 240 frame or the depth buffer, and no texel may be read from outside
// the texture. Run under AddressSanitizer (VORN_SANITIZE), this also catches
// stray reads and undefined arithmetic; without it the guard bands still see
// stray writes, and guard texels with a marked top byte show stray reads in
// the opaque fillers' output.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "render/depth.h"
#include "render/draw.h"
#include "render/triangle_walk.h"
#include "render_fixture.h"

namespace {

constexpr uint32_t kGuardTexel = 0x5A000000u;

// Mostly near the screen, sometimes far away, sometimes anywhere at all.
int32_t coordinate(TestRandom& random) {
    switch (random.next() % 8) {
    case 0:
        return random.between(-1000000, 1000000);
    case 1:
        return static_cast<int32_t>(random.next());
    case 2:
        return random.next() % 2 ? INT32_MAX : INT32_MIN;
    default:
        return random.between(-400, 700);
    }
}

// A 256 x 256 texture with guard texels on both sides.
struct GuardedTexture {
    std::vector<uint32_t> storage;
    Image image;
    GuardedTexture() : storage(256 * 256 + 2 * 65536, kGuardTexel) {
        uint32_t* p = storage.data() + 65536;
        for (int i = 0; i < 256 * 256; ++i)
            p[i] = (i * 2654435761u) & 0x00FFFFFFu;
        image = {p, 256, 256};
    }
};

bool no_guard_texels(GuardedFrame& frame) {
    for (int i = 0; i < kFramePixels; ++i)
        if ((frame.data()[i] & 0xFF000000u) == kGuardTexel) return false;
    return true;
}

} // namespace

TEST(RandomDraws, TrianglesWithWildCornersStayInsideTheFrame) {
    TestRandom rng(7);
    GuardedTexture tex;
    GuardedFrame frame, depth;
    depth_buffer = depth.data();
    Face face{};
    Object stored;
    stored.mapping_mode = MappingMode::stored;

    for (int n = 0; n < 3000; ++n) {
        ScreenFace c;
        c.x0 = coordinate(rng), c.x1 = coordinate(rng), c.x2 = coordinate(rng);
        c.y0 = coordinate(rng), c.y1 = coordinate(rng), c.y2 = coordinate(rng);
        c.depth0 = static_cast<int32_t>(rng.next());
        c.depth1 = static_cast<int32_t>(rng.next());
        c.depth2 = static_cast<int32_t>(rng.next());
        for (int k = 0; k < 3; ++k) {
            face.texture_u[k] = coordinate(rng);
            face.texture_v[k] = coordinate(rng);
        }
        switch (n % 3) {
        case 0:
            fill_additive_triangle(frame.data(), c, face, tex.image, stored);
            break;
        case 1:
            fill_textured_triangle(frame.data(), c, face, tex.image, stored);
            break;
        case 2:
            fill_depth_tested_triangle(frame.data(), c, face, tex.image, stored);
            break;
        }
        if (n % 64 == 0) std::fill(depth.data(), depth.data() + kFramePixels, 0u);
    }
    depth_buffer = nullptr;
    EXPECT_TRUE(frame.guards_intact());
    EXPECT_TRUE(depth.guards_intact());
    EXPECT_TRUE(no_guard_texels(frame));
}

TEST(RandomDraws, SpritesOfAnySizeAnywhereStayInsideTheFrame) {
    TestRandom rng(11);
    GuardedTexture tex;
    GuardedFrame frame;
    for (int n = 0; n < 3000; ++n) {
        const int32_t size = n % 4 == 0 ? coordinate(rng) : rng.between(-4, 600);
        const int32_t height = n % 5 == 0 ? coordinate(rng) : size;
        draw_additive_sprite(frame.data(), tex.image, size, height, coordinate(rng),
                             coordinate(rng));
    }
    EXPECT_TRUE(frame.guards_intact());
}

TEST(RandomDraws, ObjectsThroughAndAroundTheEyeStayInsideTheFrame) {
    TestRandom rng(13);
    GuardedTexture tex;
    GuardedFrame frame, depth;
    depth_buffer = depth.data();
    for (int n = 0; n < 60; ++n) {
        // Vertices mostly in front of the eye, some straddling or behind it,
        // and a few pressed against it (z barely above 0 after the offset).
        std::vector<Vec3> vertices(40);
        for (Vec3& v : vertices) {
            const double reach = n % 3 == 0 ? 600.0 : 200.0;
            v = {rng.real(-reach, reach), rng.real(-reach, reach), rng.real(-reach, reach)};
            if (rng.next() % 10 == 0) v.z = -256.0 + rng.real(0.0, 1e-6);
        }
        std::vector<Face> faces(60);
        for (Face& f : faces)
            f = face_of(rng.between(0, 39), rng.between(0, 39), rng.between(0, 39));
        TestMesh mesh(vertices, faces, n % 2 == 0 ? FillKind::depth_tested : FillKind::additive);
        set_orientation(mesh.object,
                        rotation_matrix(rng.real(0, 7), rng.real(0, 7), rng.real(0, 7)));
        draw_object(frame.data(), mesh.object, tex.image, 160, 120);
        draw_object_distorted(frame.data(), mesh.object, tex.image, 160, 120, rng.real(-2, 2),
                              rng.real(-2, 2), rng.real(-2, 2), static_cast<Distortion>(n % 3));
        draw_vertex_sprites(frame.data(), mesh.object, tex.image, 160, 120, rng.real(-3, 3),
                            rng.between(0, 64));
        advance_depth_bias();
    }
    depth_buffer = nullptr;
    depth_bias = 0;
    EXPECT_TRUE(frame.guards_intact());
    EXPECT_TRUE(depth.guards_intact());
}

namespace {

// Every run the walk hands its pixel loop, with its row.
std::vector<std::pair<DrawnRun, int64_t>> runs_of(const Corner (&c)[3], Clip clip) {
    std::vector<std::pair<DrawnRun, int64_t>> runs;
    auto collect = [&runs](const DrawnRun& run, int64_t y) { runs.push_back({run, y}); };
    using namespace triangle_walk_detail;
    if (clip == Clip::No)
        walk_sorted<Clip::No>(c[0], c[1], c[2], {0, kFrameHeight}, collect);
    else
        walk_sorted<Clip::Yes>(c[0], c[1], c[2], {0, kFrameHeight}, collect);
    return runs;
}

} // namespace

// Triangles inside the frame take the walk without clipping: it must hand
// over exactly the runs the clipping walk does, whatever the corners' order,
// texture coordinates and depths within its bounds.
TEST(TriangleWalk, OnScreenWalkGivesTheRunsOfTheClippingWalk) {
    TestRandom rng(23);
    int on_screen = 0;
    for (int i = 0; i < 20000; ++i) {
        Corner c[3];
        const int32_t texel = i % 2 ? 255 : (1 << 15) - 1;
        // Depths anywhere in the 32-bit range but 2^21 from either end.
        const int32_t base = rng.between(INT32_MIN + (1 << 21), INT32_MAX - (1 << 21));
        for (Corner& k : c)
            k = {rng.between(0, kFrameWidth), rng.between(0, kFrameHeight),
                 rng.between(-texel, texel), rng.between(-texel, texel),
                 base + rng.between(0, (1 << 21) - 1) * (i % 3 == 0 ? 1 : -1)};
        if (c[1].y < c[0].y) std::swap(c[0], c[1]);
        if (c[2].y < c[0].y) std::swap(c[0], c[2]);
        if (c[2].y < c[1].y) std::swap(c[1], c[2]);
        if (!triangle_walk_detail::on_screen(c[0], c[1], c[2])) continue;
        ++on_screen;
        const auto fast = runs_of(c, Clip::No), clipped = runs_of(c, Clip::Yes);
        ASSERT_EQ(fast.size(), clipped.size()) << i;
        for (size_t r = 0; r < fast.size(); ++r) {
            ASSERT_EQ(fast[r].second, clipped[r].second) << i << " run " << r;
            const DrawnRun &f = fast[r].first, &k = clipped[r].first;
            ASSERT_TRUE(f.x_start == k.x_start && f.x_end == k.x_end && f.u == k.u && f.v == k.v &&
                        f.u_step == k.u_step && f.v_step == k.v_step &&
                        f.depth_start == k.depth_start && f.depth_end == k.depth_end &&
                        f.depth_step == k.depth_step)
                << i << " run " << r;
        }
    }
    EXPECT_GT(on_screen, 15000);
}

// A batch kept over many sprites of repeated sizes draws exactly what single
// sprites draw, also where its copies are trimmed to their lit box and meet
// the frame's edges: a sprite image lit only inside a disc (black margins,
// top bytes set) over a frame with varied pixels and top bytes.
TEST(RandomDraws, KeptSpriteBatchDrawsWhatSingleSpritesDraw) {
    TestRandom rng(17);
    std::vector<uint32_t> texels(256 * 256);
    for (int32_t v = 0; v < 256; ++v)
        for (int32_t u = 0; u < 256; ++u) {
            const int32_t du = u - 120, dv = v - 136;
            texels[v * 256 + u] = (du * du + dv * dv < 90 * 90 ? rng.next() & 0x001F3F7Fu : 0u) |
                                  (rng.next() & 0xFF000000u);
        }
    const Image sprite{texels.data(), 256, 256};
    GuardedFrame batched, single;
    for (int32_t p = 0; p < kFramePixels; ++p)
        batched.data()[p] = single.data()[p] = rng.next();
    SpriteBatch batch(sprite);
    // Few enough, and dim enough, that most pixels do not saturate.
    for (int n = 0; n < 400; ++n) {
        const int32_t width = rng.between(-2, 140);
        const int32_t height = n % 3 == 0 ? rng.between(-2, 140) : width;
        const int32_t x = rng.between(-80, 400), y = rng.between(-80, 320);
        batch.draw(batched.data(), width, height, x, y);
        draw_additive_sprite(single.data(), sprite, width, height, x, y);
    }
    for (int32_t p = 0; p < kFramePixels; ++p)
        ASSERT_EQ(batched.data()[p], single.data()[p]) << p;
    EXPECT_TRUE(batched.guards_intact());
}
