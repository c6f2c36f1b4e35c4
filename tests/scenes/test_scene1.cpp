// Scene 1: where the two objects sit in each layout and the flag that swaps
// them, the one-frame jitter, the overlay's span, the quick flash and the
// scene on its own data.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "core/rand.h"
#include "render/draw.h"
#include "scene_test_support.h"
#include "scenes/scene1.h"
#include "square_mesh.h"

using namespace scene_test;

namespace {

constexpr uint32_t kBackground = 0x00101010u;
constexpr uint32_t kMeshTexel = 0x00000040u;   // blue
constexpr uint32_t kSpriteTexel = 0x00400000u; // red

struct Box {
    int left = 1000, right = -1, top = 1000, bottom = -1, count = 0;
    void add(int x, int y) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
        ++count;
    }
};

class Scene1Test : public ::testing::Test {
  protected:
    void SetUp() override {
        prepare_show();
        scene1 = Scene1{};
        scene1.sprite = solid_image(256, 256, kSpriteTexel);
        scene1.texture = solid_image(256, 256, kMeshTexel);
        scene1.background = solid_image(kFrameWidth, kFrameHeight, kBackground);
        scene1.overlay = make_image(kFrameWidth, kFrameHeight, [](int32_t x, int32_t) {
            return x < 100 ? 0xFF000000u : 0x00605040u; // black (whatever the top byte) is the key
        });
        scene1.ring.vertex_count = 1;
        scene1.ring.model_vertices = &ring_point;
        scene1.ring.view_vertices = &ring_view;
        square.attach(scene1.mesh);
    }
    void TearDown() override {
        scene1_release();
        free_image(scene1.background);
        sync_reset();
    }

    void render_at(int32_t tick) {
        tick_counter = tick;
        scene1_render(frame.data());
    }

    // Pixels carrying the mesh's blue and the sprite's red, over the background.
    Box mesh_box() {
        Box box;
        for (int32_t y = 0; y < kFrameHeight; ++y)
            for (int32_t x = 0; x < kFrameWidth; ++x)
                if ((frame.at(x, y) & 0xFF) > (kBackground & 0xFF)) box.add(x, y);
        return box;
    }
    Box sprite_box() {
        Box box;
        for (int32_t y = 0; y < kFrameHeight; ++y)
            for (int32_t x = 0; x < kFrameWidth; ++x)
                if ((frame.at(x, y) >> 16 & 0xFF) > (kBackground >> 16 & 0xFF)) box.add(x, y);
        return box;
    }

    Vec3 ring_point{0, 0, 0};
    Vec3 ring_view{};
    SquareMesh square{50, FillKind::additive};
    GuardedFrame frame;
};

} // namespace

TEST_F(Scene1Test, FirstFrameShowsTheStretchedMeshInTheCentreAndSmallRingsInTheCorner) {
    render_at(0);
    EXPECT_EQ(scene1.pulse, 2.0);
    EXPECT_EQ(scene1.mesh.orientation[0][0], 1.0);
    // Layout 1 stretches the mesh's y by sin(0) + 1 + 1 = 2 about the centre.
    const Box mesh = mesh_box();
    EXPECT_EQ(mesh.left, 110);
    EXPECT_EQ(mesh.right, 209);
    EXPECT_EQ(mesh.top, 20);
    EXPECT_EQ(mesh.bottom, 219);
    EXPECT_EQ(frame.at(160, 120), kBackground + kMeshTexel);
    // Sprite size 16 at zoom 0.6 around (280, 200).
    const Box sprite = sprite_box();
    EXPECT_EQ(sprite.count, 16 * 16);
    EXPECT_EQ(sprite.left, 272);
    EXPECT_EQ(sprite.top, 192);
    EXPECT_EQ(frame.at(0, 0), kBackground);
    EXPECT_TRUE(frame.guards_intact());
}

TEST_F(Scene1Test, FlagSixSwapsTheObjectsAndTheLayoutStays) {
    raise_sync_flag(6);
    render_at(0);
    EXPECT_FALSE(sync_flag(6));
    EXPECT_EQ(scene1.layout, kRingInCentre);
    for (int repeat = 0; repeat < 2; ++repeat) {
        render_at(0);
        const Box sprite = sprite_box();
        EXPECT_EQ(sprite.count, 32 * 32);
        EXPECT_EQ(sprite.left, 144);
        EXPECT_EQ(sprite.top, 104);
        const Box mesh = mesh_box(); // unstretched, around (280, 200), cut by the frame
        EXPECT_EQ(mesh.left, 230);
        EXPECT_EQ(mesh.right, 319);
        EXPECT_EQ(mesh.top, 150);
        EXPECT_EQ(mesh.bottom, 239);
        EXPECT_TRUE(frame.guards_intact());
    }
    raise_sync_flag(6);
    render_at(0);
    EXPECT_EQ(scene1.layout, kMeshInCentre);
}

TEST_F(Scene1Test, FlagFourJittersTheCornerMeshForOneFrameOnly) {
    scene1.layout = kRingInCentre;
    render_at(0);
    const std::vector<uint32_t> still = frame.store;

    raise_sync_flag(4);
    const uint64_t calls = vorn::rand_calls();
    render_at(0);
    EXPECT_EQ(vorn::rand_calls() - calls, 2u * 3u * 3u); // three per face corner
    EXPECT_FALSE(sync_flag(4));
    EXPECT_NE(frame.store, still);
    // Corners only grow away from the centre, by up to their own distance.
    const Box mesh = mesh_box();
    EXPECT_GE(mesh.left, 230 - 50);
    EXPECT_LE(mesh.top, 150);

    render_at(0);
    EXPECT_EQ(frame.store, still);
}

TEST_F(Scene1Test, FlagFourInTheOtherLayoutIsClearedUnseen) {
    render_at(0);
    const std::vector<uint32_t> still = frame.store;
    raise_sync_flag(4);
    render_at(0);
    EXPECT_FALSE(sync_flag(4));
    EXPECT_EQ(frame.store, still);
}

TEST_F(Scene1Test, OverlayRunsFromItsStartToTheFirstFrameAboveStartPlusFive) {
    raise_sync_flag(5);
    for (int32_t tick : {20, 22, 25, 26}) {
        render_at(tick);
        EXPECT_EQ(scene1.overlay_start, tick == 26 ? 0u : 20u);
        EXPECT_EQ(frame.at(50, 5), kBackground) << tick;  // keyed through
        EXPECT_EQ(frame.at(150, 5), 0x00605040u) << tick; // overlay shown
    }
    EXPECT_FALSE(sync_flag(5));
    render_at(27);
    EXPECT_EQ(frame.at(150, 5), kBackground);

    // Entered again below a running overlay's start tick: shown once, then over.
    scene1.overlay_start = 90;
    raise_sync_flag(5);
    render_at(3);
    EXPECT_EQ(frame.at(150, 5), 0x00605040u);
    EXPECT_FALSE(sync_flag(5));
    EXPECT_EQ(scene1.overlay_start, 0u);
}

TEST_F(Scene1Test, QuickFlashBrightensTheBackgroundAndFadesInHalfASecond) {
    raise_sync_flag(1);
    render_at(100);
    EXPECT_FALSE(sync_flag(1));
    EXPECT_EQ(frame.at(0, 0), 0x00FFFFFFu);
    render_at(110);
    EXPECT_EQ(frame.at(0, 0), 0x00FFFFFFu); // 255 again: the amount set after the first frame
    EXPECT_EQ(scene1.flash.amount, 183u);
    render_at(111);
    EXPECT_EQ(frame.at(0, 0), add_reference(kBackground, 183u * 0x010101u));
    // Objects are added over the brightened background.
    EXPECT_EQ(frame.at(160, 120), add_reference(kBackground, 183u * 0x010101u + kMeshTexel));
    render_at(135);
    EXPECT_EQ(scene1.flash.amount, 0u);
    render_at(136);
    EXPECT_EQ(frame.at(0, 0), kBackground);
}

TEST(Scene1Data, BothLayoutsStayInsideTheFrame) {
    prepare_show();
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(VORN_TEST_DATA_DIR);
    scene1 = Scene1{};
    scene1_setup();
    std::filesystem::current_path(here);
    EXPECT_EQ(scene1.ring.face_count, 0);
    ASSERT_GT(scene1.mesh.face_count, 0);
    EXPECT_EQ(scene1.mesh.faces[0].material->fill_kind, FillKind::additive);
    EXPECT_EQ(scene1.layout, kMeshInCentre);

    GuardedFrame frame;
    std::vector<int> counts;
    vorn::srand(1); // the same noise and jitter whichever tests ran before
    for (int flags : {0, 6, 4}) {
        if (flags) raise_sync_flag(flags);
        for (int32_t tick : {0, 123, 900, 5000}) {
            tick_counter = tick;
            scene1_render(frame.data());
            int changed = 0;
            for (int32_t p = 0; p < kFramePixels; ++p)
                changed += frame.data()[p] != scene1.background.pixels[p];
            counts.push_back(changed);
            EXPECT_TRUE(frame.guards_intact());
        }
    }
    // Pixels that differ from the background, pinned per flag and tick.
    EXPECT_EQ(counts, (std::vector<int>{7657, 4384, 4236, 4163, 21064, 22743, 17266, 10554, 25511,
                                        22743, 17266, 10554}));
    scene1_release();
    std::free(scene1.background.pixels);
    scene1.background = Image{};
}

TEST_F(Scene1Test, AnglesComeFromASinglePrecisionTurnAndThePulseFromTheBeat) {
    render_at(1234);
    // Pinned orientations at tick 1234. The turn is narrowed to single
    // precision before the three angles are taken: kept in double precision
    // the ring's first entry would be -0x1.fb9cb33f2b23ap-4 instead.
    const struct {
        int r, c;
        double ring, mesh;
    } pinned[] = {{0, 0, -0x1.fb9d8834e8b38p-4, 0x1.2aeb695a1be9fp-1},
                  {1, 2, 0x1.7e08e72dd372fp-4, -0x1.46843ecdba0aap-1},
                  {2, 1, 0x1.c41ace0369d78p-1, 0x1.1855aa95f8e5bp-1}};
    for (const auto& p : pinned) {
        EXPECT_EQ(scene1.ring.orientation[p.r][p.c], p.ring) << p.r << "," << p.c;
        EXPECT_EQ(scene1.mesh.orientation[p.r][p.c], p.mesh) << p.r << "," << p.c;
    }
    // 0.5 cos(1234 x 278 x 3.14159256 / 4200) + 1.5, worked out in Python.
    EXPECT_EQ(scene1.pulse, 0x1.c442e71c14bb3p+0);
}
