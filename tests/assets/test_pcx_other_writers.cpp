// PCX files written by other programs. ImageMagick: our decoder must give
// exactly the pixels ImageMagick itself reads back from the same file.
// Pillow: it pads odd rows to an even length, which must not shear the
// picture. Each check is skipped when its program is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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

// Decodes `pcx` and compares it with ImageMagick's reading of the same file.
void expect_same_pixels(const std::string& convert, const std::string& pcx, const std::string& rgb,
                        int width, int height) {
    const std::string command = convert + " " + pcx + " -depth 8 rgb:" + rgb;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Bytes file = read_all(pcx);
    PcxResult r = decode_pcx(file.data(), file.size());
    ASSERT_EQ(r.error, PcxError::none);
    EXPECT_FALSE(r.pixel_data_cut_short);
    EXPECT_EQ(r.image.width, width);
    EXPECT_EQ(r.image.height, height);
    const Bytes expected = read_all(rgb);
    const size_t count = size_t(r.image.width) * size_t(r.image.height);
    ASSERT_EQ(expected.size(), count * 3);
    int mismatches = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t want = (uint32_t{expected[3 * i]} << 16) |
                              (uint32_t{expected[3 * i + 1]} << 8) | expected[3 * i + 2];
        if (r.image.pixels[i] != want && ++mismatches <= 5)
            ADD_FAILURE() << "pixel " << i << ": " << std::hex << r.image.pixels[i]
                          << " instead of " << want;
    }
    EXPECT_EQ(mismatches, 0);
    std::free(r.image.pixels);
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

        expect_same_pixels(convert, pcx, rgb, p.width, p.height);
    }
}

TEST(PcxImageMagick, ShowPicturesReadTheSameInImageMagick) {
    const std::string convert = find_convert();
    if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
    ScratchDir dir;
    for (const auto& entry : std::filesystem::directory_iterator(VORN_TEST_DATA_DIR)) {
        if (entry.path().extension() != ".pcx") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const Bytes file = read_all(entry.path().string());
        const PcxHeader h = read_pcx_header(file.data(), file.size());
        expect_same_pixels(convert, entry.path().string(), dir.file("picture.rgb"), h.width,
                           h.height);
    }
}

TEST(PcxPillow, OddWidthRowsPaddedToEvenLength) {
    const char* python = "/usr/bin/python3";
    if (access(python, X_OK) != 0 ||
        std::system((std::string(python) + " -c 'import PIL' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "Pillow is not installed";
    ScratchDir dir;
    const int width = 37, height = 5;
    auto index_at = [](int x, int y) { return (x * 7 + y * 13) % 256; };
    auto colour = [](int i) {
        return (uint32_t(i) << 16) | (uint32_t(255 - i) << 8) | uint32_t(i * 3 % 256);
    };
    const std::string script =
        "from PIL import Image\n"
        "im = Image.new('P', (37, 5))\n"
        "im.putpalette([v for i in range(256) for v in (i, 255 - i, i * 3 % 256)])\n"
        "im.putdata([(x * 7 + y * 13) % 256 for y in range(5) for x in range(37)])\n"
        "im.save('" +
        dir.file("pillow.pcx") + "')\n";
    dir.write("make.py", Bytes(script.begin(), script.end()));
    ASSERT_EQ(std::system((std::string(python) + " " + dir.file("make.py")).c_str()), 0);

    const Bytes file = read_all(dir.file("pillow.pcx"));
    PcxResult r = decode_pcx(file.data(), file.size());
    ASSERT_EQ(r.error, PcxError::none);
    EXPECT_FALSE(r.pixel_data_cut_short);
    EXPECT_EQ(r.header.bytes_per_line, width + 1); // the padding this check is about
    ASSERT_EQ(r.image.width, width);
    ASSERT_EQ(r.image.height, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(r.image.pixels[y * width + x], colour(index_at(x, y))) << x << "," << y;
    std::free(r.image.pixels);
}

} // namespace
