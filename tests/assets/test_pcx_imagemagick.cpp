// PCX files written by ImageMagick: our decoder must give exactly the pixels
// ImageMagick itself reads back from the same file. Skipped when ImageMagick
// is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "assets/pcx_decoder.h"
#include "loader_test_support.h"

namespace {

std::string find_convert() {
    for (const char* path : {"/usr/bin/convert-im6.q16", "/usr/bin/convert"})
        if (access(path, X_OK) == 0) return path;
    return "";
}

Bytes read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(PcxImageMagick, DecodesExactlyWhatImageMagickReadsBack) {
    const std::string convert = find_convert();
    if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
    ScratchDir dir;
    // Sources: built-in pictures, an odd width, a seeded fractal with many
    // colours to quantise, and a single pixel.
    const struct {
        const char* name;
        const char* source;
        int width, height;
    } pictures[] = {
        {"rose", "rose:", 70, 46},
        {"granite", "granite: -crop 37x29+5+3 +repage", 37, 29},
        {"plasma", "-seed 7 -size 101x57 plasma:", 101, 57},
        {"gradient", "-size 3x250 gradient:red-blue", 3, 250},
        {"dot", "-size 1x1 xc:#123456", 1, 1},
    };
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.name);
        const std::string png = dir.file(std::string(p.name) + ".png");
        const std::string pcx = dir.file(std::string(p.name) + ".pcx");
        const std::string rgb = dir.file(std::string(p.name) + ".rgb");
        const std::string commands = convert + " " + p.source + " " + png + " && " + convert + " " +
                                     png + " -colors 256 -type Palette " + pcx + " && " + convert +
                                     " " + pcx + " -depth 8 rgb:" + rgb;
        ASSERT_EQ(std::system(commands.c_str()), 0) << commands;

        const Bytes file = read_all(pcx);
        PcxResult r = decode_pcx(file.data(), file.size());
        ASSERT_EQ(r.error, PcxError::none);
        EXPECT_EQ(r.image.width, p.width);
        EXPECT_EQ(r.image.height, p.height);
        const Bytes expected = read_all(rgb);
        ASSERT_EQ(expected.size(), size_t(p.width) * p.height * 3);
        int mismatches = 0;
        for (size_t i = 0; i < size_t(p.width) * p.height && r.image.width == p.width; ++i) {
            const uint32_t want = (uint32_t{expected[3 * i]} << 16) |
                                  (uint32_t{expected[3 * i + 1]} << 8) | expected[3 * i + 2];
            if (r.image.pixels[i] != want && ++mismatches <= 5)
                ADD_FAILURE() << "pixel " << i << ": " << std::hex << r.image.pixels[i]
                              << " instead of " << want;
        }
        EXPECT_EQ(mismatches, 0);
        std::free(r.image.pixels);
    }
}

} // namespace
