// The shared colour operations and the two flash fades.
#include <gtest/gtest.h>

#include <vector>

#include "core/colour.h"
#include "core/rand.h"
#include "core/screen.h"
#include "test_support.h"

TEST(Colour, SaturatingAddMatchesPerChannelSums) {
    // Channel values around the carry boundary, in every combination of
    // channels, plus random pairs; the top byte is always the first operand's.
    const uint32_t values[] = {0x00, 0x01, 0x7F, 0x80, 0x81, 0xFE, 0xFF};
    for (uint32_t a : values)
        for (uint32_t b : values)
            for (uint32_t mask : {0x0000FFu, 0x00FF00u, 0xFF0000u, 0xFFFFFFu, 0x00FF00FFu}) {
                const uint32_t pa = (a * 0x010101u & mask) | 0xAB000000u;
                const uint32_t pb = (b * 0x010101u & (mask ^ 0x00FF00u)) | 0x12000000u;
                ASSERT_EQ(add_saturate(pa, pb), add_reference(pa, pb))
                    << std::hex << pa << " " << pb;
            }
    TestRandom random(7);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t a = random.next(), b = random.next();
        ASSERT_EQ(add_saturate(a, b), add_reference(a, b)) << std::hex << a << " " << b;
    }
}

TEST(Colour, BrightenSaturatesAndKeepsTopByte) {
    std::vector<uint32_t> frame(kFramePixels);
    TestRandom random(3);
    for (uint32_t& p : frame)
        p = random.next();
    const std::vector<uint32_t> before = frame;
    for (uint32_t amount : {0u, 1u, 100u, 255u}) {
        frame = before;
        brighten(frame.data(), amount);
        for (int32_t p = 0; p < kFramePixels; ++p)
            ASSERT_EQ(frame[p], add_reference(before[p], amount * 0x010101u)) << amount << " " << p;
    }
}

TEST(Colour, KeyedOverlayTakesBackgroundOnlyWhereOverlayIsBlack) {
    std::vector<uint32_t> frame(kFramePixels, 0x77777777u), overlay(kFramePixels),
        background(kFramePixels);
    for (int32_t p = 0; p < kFramePixels; ++p) {
        background[p] = 0x00102030u + static_cast<uint32_t>(p);
        switch (p % 4) {
        case 0:
            overlay[p] = 0x00000000u;
            break;
        case 1:
            overlay[p] = 0xFF000000u;
            break; // black with a top byte: still the key
        case 2:
            overlay[p] = 0x00000001u;
            break;
        default:
            overlay[p] = 0x5A010000u;
            break; // taken whole, top byte included
        }
    }
    keyed_overlay(frame.data(), overlay.data(), background.data());
    for (int32_t p = 0; p < kFramePixels; ++p)
        ASSERT_EQ(frame[p], p % 4 < 2 ? background[p] : overlay[p]) << p;
}

TEST(Colour, QuickFadeLastsThirtyFiveTicks) {
    EXPECT_EQ(flash_fade(Fade::Quick, 100, 100), 255u);
    EXPECT_EQ(flash_fade(Fade::Quick, 110, 100), 183u);
    EXPECT_EQ(flash_fade(Fade::Quick, 134, 100), 8u);
    EXPECT_EQ(flash_fade(Fade::Quick, 135, 100), 0u);
    EXPECT_EQ(flash_fade(Fade::Quick, 5000, 100), 0u);
    // A start tick above the current tick: the unsigned difference is huge.
    EXPECT_EQ(flash_fade(Fade::Quick, 3, 100), 0u);
}

TEST(Colour, SlowFadeLastsOneHundredFortyTicks) {
    EXPECT_EQ(flash_fade(Fade::Slow, 50, 50), 255u);
    EXPECT_EQ(flash_fade(Fade::Slow, 60, 50), 236u);
    EXPECT_EQ(flash_fade(Fade::Slow, 189, 50), 1u);
    EXPECT_EQ(flash_fade(Fade::Slow, 190, 50), 0u);
    EXPECT_EQ(flash_fade(Fade::Slow, 0, 50), 0u);
}

TEST(Colour, FlashFrameRunsFromTriggerToIdle) {
    std::vector<uint32_t> frame(kFramePixels, 0x00102030u);
    Flash flash; // quick fade
    EXPECT_FALSE(flash_frame(flash, frame.data(), 0, false));
    EXPECT_EQ(frame[0], 0x00102030u);

    EXPECT_TRUE(flash_frame(flash, frame.data(), 40, true));
    EXPECT_EQ(frame[0], 0x00FFFFFFu);
    EXPECT_EQ(flash.amount, 255u);

    std::fill(frame.begin(), frame.end(), 0u);
    EXPECT_TRUE(flash_frame(flash, frame.data(), 50, false)); // still 255 from the frame before
    EXPECT_EQ(frame[kFramePixels - 1], 0x00FFFFFFu);
    EXPECT_EQ(flash.amount, 183u);
    EXPECT_TRUE(flash_frame(flash, frame.data(), 75, false));
    EXPECT_EQ(flash.amount, 0u);
    std::fill(frame.begin(), frame.end(), 0u);
    EXPECT_FALSE(flash_frame(flash, frame.data(), 76, false));
    EXPECT_EQ(frame[0], 0u);

    // Entered again with a running flash whose start lies above the new tick:
    // applied once, then over.
    Flash slow{Fade::Slow};
    flash_frame(slow, frame.data(), 500, true);
    flash_frame(slow, frame.data(), 510, false);
    EXPECT_EQ(slow.amount, 236u);
    std::fill(frame.begin(), frame.end(), 0u);
    EXPECT_TRUE(flash_frame(slow, frame.data(), 0, false));
    EXPECT_EQ(frame[0], 0x00ECECECu);
    EXPECT_EQ(slow.amount, 0u);
}
