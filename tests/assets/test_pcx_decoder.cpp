// The PCX decoder on hand-made files: run-length coding, row handling, the
// end of the data, and the files it refuses.
#include <gtest/gtest.h>

#include <cstdlib>

#include "assets/pcx_decoder.h"
#include "loader_test_support.h"

namespace {

struct Decoded {
    PcxResult result;
    explicit Decoded(const Bytes& file) : result(decode_pcx(file.data(), file.size())) {}
    ~Decoded() { std::free(result.image.pixels); }
    uint32_t at(int x, int y) const { return result.image.pixels[y * result.image.width + x]; }
};

PcxHeaderFields window(int width, int height) {
    PcxHeaderFields s;
    s.x_max = width - 1;
    s.y_max = height - 1;
    return s;
}

TEST(PcxDecoder, LiteralsAndShortRuns) {
    // A literal below 0xC0 and a run byte 0xC1 each store one pixel; 0xC3 stores three.
    Decoded d(make_pcx(window(5, 1), {0x05, 0xC1, 0xC7, 0xC3, 0x3F}));
    ASSERT_EQ(d.result.error, PcxError::none);
    EXPECT_EQ(d.result.image.width, 5);
    EXPECT_EQ(d.result.image.height, 1);
    EXPECT_EQ(d.at(0, 0), test_colour(0x05));
    EXPECT_EQ(d.at(1, 0), test_colour(0xC7));
    for (int x = 2; x < 5; ++x)
        EXPECT_EQ(d.at(x, 0), test_colour(0x3F));
}

TEST(PcxDecoder, RunOfLengthZeroStores256Pixels) {
    Bytes data(46, 0x01);
    data[0] = 0xC0;
    data[1] = 9;
    Decoded d(make_pcx(window(300, 1), data));
    ASSERT_EQ(d.result.error, PcxError::none);
    for (int x = 0; x < 256; ++x)
        ASSERT_EQ(d.at(x, 0), test_colour(9)) << x;
    for (int x = 256; x < 300; ++x)
        ASSERT_EQ(d.at(x, 0), test_colour(1)) << x;
}

TEST(PcxDecoder, RunsCrossRowEndsAndStopWhenFull) {
    // 4 x 2: a run of 6 fills row 0 and half of row 1; the last run of 63 is
    // cut off when the picture is full.
    Decoded d(make_pcx(window(4, 2), {0xC6, 2, 0xFF, 4}));
    ASSERT_EQ(d.result.error, PcxError::none);
    const uint32_t expected[8] = {2, 2, 2, 2, 2, 2, 4, 4};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(d.at(i % 4, i / 4), test_colour(expected[i])) << i;

    Decoded one(make_pcx(PcxHeaderFields{}, {0xC5, 3}));
    ASSERT_EQ(one.result.error, PcxError::none);
    EXPECT_EQ(one.result.image.width, 1);
    EXPECT_EQ(one.result.image.height, 1);
    EXPECT_EQ(one.at(0, 0), test_colour(3));
}

TEST(PcxDecoder, WindowMayStartAnywhere) {
    PcxHeaderFields s;
    s.x_min = -5;
    s.x_max = -3;
    s.y_min = 100;
    s.y_max = 101;
    Decoded d(make_pcx(s, {0xC6, 8}));
    ASSERT_EQ(d.result.error, PcxError::none);
    EXPECT_EQ(d.result.image.width, 3);
    EXPECT_EQ(d.result.image.height, 2);
    EXPECT_EQ(d.at(2, 1), test_colour(8));
}

TEST(PcxDecoder, DataRunsOnIntoThePaletteAndThenReadsAsFF) {
    // No pixel data at all: decoding reads the marker (12) and the 768
    // palette bytes as literals, then the end of the file gives 0xFF, a run
    // of 63 pixels of colour 255, until the picture is full.
    const int width = 1 + 768 + 63 * 2 + 10;
    Bytes file = make_pcx(window(width, 1), {});
    Decoded d(file);
    ASSERT_EQ(d.result.error, PcxError::none);
    EXPECT_EQ(d.at(0, 0), test_colour(12));
    for (int i = 0; i < 768; ++i)
        ASSERT_EQ(d.at(1 + i, 0), test_colour(file[file.size() - 768 + i])) << i;
    for (int x = 769; x < width; ++x)
        ASSERT_EQ(d.at(x, 0), test_colour(255)) << x;
}

TEST(PcxDecoder, PaddedRowsDropTheirExtraColumns) {
    // 3 pixels wide, rows padded to 4 bytes: the padding byte (99) is not shown.
    PcxHeaderFields s = window(3, 2);
    s.bytes_per_line = 4;
    Decoded d(make_pcx(s, {1, 2, 3, 99, 4, 5, 6, 99}));
    ASSERT_EQ(d.result.error, PcxError::none);
    EXPECT_EQ(d.result.image.width, 3);
    const uint32_t expected[6] = {1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(d.at(i % 3, i / 3), test_colour(expected[i])) << i;

    // A run that spans the padding continues into the next row.
    Decoded run(make_pcx(s, {0xC5, 7, 1, 2, 3}));
    ASSERT_EQ(run.result.error, PcxError::none);
    EXPECT_EQ(run.at(2, 0), test_colour(7));
    EXPECT_EQ(run.at(0, 1), test_colour(7));
    EXPECT_EQ(run.at(1, 1), test_colour(1));
    EXPECT_EQ(run.at(2, 1), test_colour(2));

    // A bytes-per-line field smaller than the width (or zero) is ignored:
    // rows are exactly `width` pixels.
    for (int bpl : {0, 2, 3}) {
        s.bytes_per_line = bpl;
        Decoded plain(make_pcx(s, {1, 2, 3, 4, 5, 6}));
        ASSERT_EQ(plain.result.error, PcxError::none);
        EXPECT_EQ(plain.at(0, 1), test_colour(4)) << bpl;
        EXPECT_EQ(plain.at(2, 1), test_colour(6)) << bpl;
    }
}

TEST(PcxDecoder, RefusesBadFiles) {
    auto error_of = [](const Bytes& file) {
        PcxResult r = decode_pcx(file.data(), file.size());
        std::free(r.image.pixels);
        EXPECT_EQ(r.image.pixels == nullptr, r.error != PcxError::none);
        return r.error;
    };
    PcxHeaderFields s = window(2, 2);
    const Bytes good = make_pcx(s, {0xC4, 1});
    EXPECT_EQ(error_of(good), PcxError::none);

    PcxHeaderFields v3 = s;
    v3.version = 3;
    EXPECT_EQ(error_of(make_pcx(v3, {0xC4, 1})), PcxError::bad_header);
    PcxHeaderFields four_bits = s;
    four_bits.bits_per_pixel = 4;
    EXPECT_EQ(error_of(make_pcx(four_bits, {0xC4, 1})), PcxError::bad_header);
    PcxHeaderFields true_colour = s;
    true_colour.planes = 3;
    EXPECT_EQ(error_of(make_pcx(true_colour, {0xC4, 1})), PcxError::bad_header);
    PcxHeaderFields no_marker = s;
    no_marker.palette_marker = 11;
    EXPECT_EQ(error_of(make_pcx(no_marker, {0xC4, 1})), PcxError::bad_palette);

    // Shorter than header + marker + palette, down to nothing at all.
    const Bytes no_data = make_pcx(s, {});
    EXPECT_EQ(no_data.size(), 128u + 769u);
    EXPECT_EQ(error_of(no_data), PcxError::none);
    // ...which decodes, but from the palette's bytes: the loader refuses it.
    PcxResult from_palette = decode_pcx(no_data.data(), no_data.size());
    EXPECT_TRUE(from_palette.pixel_data_cut_short);
    std::free(from_palette.image.pixels);
    PcxResult whole = decode_pcx(good.data(), good.size());
    EXPECT_FALSE(whole.pixel_data_cut_short);
    std::free(whole.image.pixels);
    for (size_t cut : {size_t{1}, size_t{500}, no_data.size()}) {
        Bytes shorter(no_data.begin() + static_cast<long>(cut), no_data.end());
        EXPECT_EQ(error_of(shorter), PcxError::too_short) << cut;
    }

    PcxHeaderFields backwards = s;
    backwards.x_min = 5;
    backwards.x_max = 4;
    EXPECT_EQ(error_of(make_pcx(backwards, {})), PcxError::empty_window);
    PcxHeaderFields upside = s;
    upside.y_min = 1;
    upside.y_max = -30000;
    EXPECT_EQ(error_of(make_pcx(upside, {})), PcxError::empty_window);

    PcxHeaderFields widest = window(kPcxMaxSide, 1);
    EXPECT_EQ(error_of(make_pcx(widest, {})), PcxError::none);
    PcxHeaderFields too_wide = window(kPcxMaxSide + 1, 1);
    EXPECT_EQ(error_of(make_pcx(too_wide, {})), PcxError::too_large);
    PcxHeaderFields huge;
    huge.x_min = huge.y_min = -32768;
    huge.x_max = huge.y_max = 32767;
    EXPECT_EQ(error_of(make_pcx(huge, {})), PcxError::too_large);
}

} // namespace
