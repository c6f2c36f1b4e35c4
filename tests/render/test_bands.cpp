// Two bands drawing one list of depth-tested faces on two threads at once must
// leave exactly the frame and depth buffer one pass leaves, wherever the frame
// is split: a run that reaches the right border on the upper band's last row
// judges its far end by the lower band's first entry, which it gets through
// the seam. Faces are large, overlapping and often cross the right border, so
// that the seam entry changes many times while the upper band reads it.
// Sprites likewise, each band placing its own. (Built into the
// ThreadSanitizer target as well.)
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "core/bands.h"
#include "core/image.h"
#include "core/screen.h"
#include "render/depth.h"
#include "render/depth_seam.h"
#include "render/draw.h"
#include "render/face_corners.h"
#include "test_support.h"

TEST(Bands, DepthTestedFacesInTwoBandsMatchOnePass) {
    TestRandom random(99);
    std::vector<uint32_t> texture(256 * 256);
    for (size_t i = 0; i < texture.size(); ++i)
        texture[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFFu;
    const uint32_t* tex = texture.data();
    for (const int32_t split : {1, 61, 119, 120, 200, 239}) {
        // Faces anywhere, and slivers across the whole width on the two rows
        // around the split, with depths that rise or fall along each row.
        std::vector<FaceCorners> faces(800);
        for (size_t f = 0; f < faces.size(); ++f) {
            for (Corner& c : faces[f].c)
                c = {random.between(0, 1) ? kFrameWidth : random.between(-60, 380),
                     random.between(-30, 270), random.between(0, 255), random.between(0, 255),
                     random.between(-1000, 1 << 16)};
            if (f % 2) {
                faces[f].c[0].x = random.between(-30, 0), faces[f].c[0].y = split - 1;
                faces[f].c[1].x = random.between(kFrameWidth, 400), faces[f].c[1].y = split - 1;
                faces[f].c[2].x = random.between(-30, 400), faces[f].c[2].y = split + 1;
            }
        }
        std::vector<uint32_t> frame_one(kFramePixels, 7), depth_one(kFramePixels);
        std::vector<uint32_t> frame_two(kFramePixels, 7), depth_two(kFramePixels);
        // Far entries everywhere but column 0, which no face can pass, except
        // on the lower band's top row: so the upper band's runs along the
        // split start behind, and whether they draw rests on the seam entry.
        for (int32_t i = 0; i < kFramePixels; ++i) {
            const bool wall = i % kFrameWidth == 0 && i != split * kFrameWidth;
            depth_one[static_cast<size_t>(i)] = depth_two[static_cast<size_t>(i)] =
                wall ? 1u << 20 : static_cast<uint32_t>(random.between(0, 1000));
        }

        depth_buffer = depth_one.data();
        for (const FaceCorners& fc : faces)
            fill_depth_tested_corners(frame_one.data(), fc, tex);

        depth_buffer = depth_two.data();
        DepthSeam seam;
        seam.start(depth_two.data(), split, static_cast<int32_t>(faces.size()));
        auto draw_band = [&](const Band band) {
            for (int32_t f = 0; f < static_cast<int32_t>(faces.size()); ++f) {
                fill_depth_tested_corners(frame_two.data(), faces[static_cast<size_t>(f)], tex,
                                          band, &seam, f);
                if (band.has_band_above()) seam.faces_done(f + 1);
            }
        };
        std::thread lower(draw_band, Band{split, kFrameHeight, 1, 2});
        draw_band(Band{0, split, 0, 2});
        lower.join();
        depth_buffer = nullptr;

        EXPECT_TRUE(frame_one == frame_two) << "split " << split;
        EXPECT_TRUE(depth_one == depth_two) << "split " << split;
    }
}

// The helper hands over each band and each part exactly once, and the caller
// sees everything the helper wrote once for_each_band has returned.
TEST(Bands, EveryRowAndEveryIndexOnce) {
    const int32_t bands_before = band_count();
    set_band_count(2);
    for (int round = 0; round < 50; ++round) {
        const int32_t split = 1 + round * 4;
        std::vector<int32_t> rows(kFrameHeight, 0), indices(1000, 0);
        for_each_band(
            [&rows](const Band& band) {
                for (int32_t y = band.top; y < band.bottom; ++y)
                    rows[static_cast<size_t>(y)] += 1 + 10 * band.index;
            },
            split);
        for_each_part(static_cast<int32_t>(indices.size()), [&indices](int32_t first, int32_t end) {
            for (int32_t i = first; i < end; ++i)
                ++indices[static_cast<size_t>(i)];
        });
        const int32_t lower = band_count() == 2 ? 11 : 1;
        for (int32_t y = 0; y < kFrameHeight; ++y)
            ASSERT_EQ(rows[static_cast<size_t>(y)], y < split ? 1 : lower) << split << " " << y;
        for (const int32_t n : indices)
            ASSERT_EQ(n, 1);
    }
    set_band_count(bands_before);
}

// Sprites: both bands place the sprites that may reach them, at once; the
// frame must be the one-band frame, for sprites of every size, partly or
// wholly off screen and larger than the kept copies.
TEST(Bands, SpritesInTwoBandsMatchOneBand) {
    TestRandom random(7);
    std::vector<uint32_t> texels(256 * 256);
    for (size_t i = 0; i < texels.size(); ++i)
        texels[i] = i % 7 == 0 ? 0 : static_cast<uint32_t>(i * 2654435761u) & 0x3F3F3Fu;
    const Image sprite{texels.data(), 256, 256};
    std::vector<SpriteBatch::Place> places(600);
    for (SpriteBatch::Place& p : places) {
        p.width = random.between(0, 180);
        p.height = random.between(0, 180);
        p.centre_x = random.between(-100, 420);
        p.centre_y = random.between(-100, 340);
    }
    std::vector<uint32_t> frames[2];
    for (const int32_t bands : {1, 2}) {
        set_band_count(bands);
        SpriteBatch batch(sprite);
        std::vector<uint32_t>& frame = frames[bands - 1];
        frame.assign(kFramePixels, 0x10203040u);
        batch.draw_all(frame.data(), places);
        batch.draw_all(frame.data(), places); // again, with every copy made
    }
    set_band_count(2);
    EXPECT_EQ(frames[0], frames[1]);
}
