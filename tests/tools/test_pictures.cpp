// The generated pictures and the tools that make them: the PCX writer read
// back by our decoder and by ImageMagick, the colour reduction's promises
// about black and gradients, determinism of the generator, and what each
// scene needs from its pictures (sizes, black where light is added or where
// an overlay is keyed, seamless tiling, dark backgrounds).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "assets/pcx_decoder.h"
#include "common/canvas.h"
#include "common/pcx_writer.h"
#include "common/quantize.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> read_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A decoded picture whose pixels are freed with it.
struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[size_t(y) * w + x]; }
};

Picture decode(const std::vector<uint8_t>& bytes) {
    PcxResult r = decode_pcx(bytes.data(), bytes.size());
    Picture p;
    if (r.error != PcxError::none) return p;
    p.w = r.image.width;
    p.h = r.image.height;
    p.px.assign(r.image.pixels, r.image.pixels + size_t(p.w) * p.h);
    std::free(r.image.pixels);
    return p;
}

Picture load(const std::string& name) {
    return decode(read_bytes(fs::path(VORN_TEST_DATA_DIR) / name));
}

int red(uint32_t p) {
    return int(p >> 16 & 255);
}
int green(uint32_t p) {
    return int(p >> 8 & 255);
}
int blue(uint32_t p) {
    return int(p & 255);
}
int brightest(uint32_t p) {
    return std::max({red(p), green(p), blue(p)});
}
double luma(uint32_t p) {
    return 0.299 * red(p) + 0.587 * green(p) + 0.114 * blue(p);
}
int distance(uint32_t a, uint32_t b) {
    return std::abs(red(a) - red(b)) + std::abs(green(a) - green(b)) + std::abs(blue(a) - blue(b));
}

const char* const kPictures[] = {
    "a1txt.pcx",   "a1light1.pcx", "a1light2.pcx", "mulptext.pcx", "part1.pcx",    "part2.pcx",
    "backgr1.pcx", "backgr3.pcx",  "backgr4.pcx",  "qolonvrn.pcx", "kjetweak.pcx", "omla.pcx",
    "brisel2.pcx", "brisel.pcx",   "greets1.pcx",  "greets2.pcx",  "greets3.pcx",  "greets4.pcx",
    "qol.pcx",     "envmap.pcx",   "scroll.pcx",   "envmap3.pcx"};

Indexed make_indexed(int w, int h) {
    Indexed img;
    img.w = w;
    img.h = h;
    img.index.assign(size_t(w) * h, 0);
    for (int i = 0; i < 256; ++i) {
        img.palette[size_t(i) * 3] = uint8_t(i);
        img.palette[size_t(i) * 3 + 1] = uint8_t(255 - i);
        img.palette[size_t(i) * 3 + 2] = uint8_t(i * 7);
    }
    return img;
}

} // namespace

TEST(PcxWriter, DecodesBackToTheSameIndicesWithRunsLiteralsAndOddWidths) {
    // Odd width (rows padded to an even length), a run longer than the 63
    // a run byte can hold, indices at and above 0xC0 that must not be read
    // as run bytes, and a run that would continue into the next row.
    Indexed img = make_indexed(131, 5);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            uint8_t v = 0;
            if (y == 0)
                v = 7; // one run of 131 across the whole row
            else if (y == 1)
                v = uint8_t(0xC0 + x % 64); // literals that look like run bytes
            else if (y == 2)
                v = x < 70 ? 0xC1 : 0xFF; // long runs of high indices
            else
                v = uint8_t((x * 37 + y) & 255);
            img.index[size_t(y) * img.w + x] = v;
        }
    const std::vector<uint8_t> bytes = encode_pcx(img);
    ASSERT_GE(bytes.size(), 128u + 769u);
    EXPECT_EQ(bytes[bytes.size() - 769], 0x0C);
    const Picture p = decode(bytes);
    ASSERT_EQ(p.w, 131);
    ASSERT_EQ(p.h, 5);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const size_t k = img.index[size_t(y) * img.w + x];
            const uint32_t want = uint32_t(img.palette[k * 3]) << 16 |
                                  uint32_t(img.palette[k * 3 + 1]) << 8 | img.palette[k * 3 + 2];
            ASSERT_EQ(p.at(x, y), want) << x << "," << y;
        }
}

TEST(Quantizer, BlackStaysExactAndNothingElseTurnsBlack) {
    // Exact black beside the faintest non-black values and a busy rainbow:
    // the faint ones must keep a non-black entry, or keyed pictures get holes.
    Canvas c(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            if ((x + y) % 5 == 0)
                c.at(x, y) = {};
            else if ((x + y) % 5 == 1)
                c.at(x, y) = rgb8(x % 2, 0, 1);
            else
                c.at(x, y) = rgb8(x * 4, y * 4, (x * y) & 255);
        }
    for (bool dither : {false, true}) {
        QuantizeOptions opt;
        opt.dither = dither;
        const Indexed q = quantize(c, opt);
        EXPECT_EQ(q.palette[0] | q.palette[1] | q.palette[2], 0);
        for (int i = 1; i < 256; ++i)
            EXPECT_NE(q.palette[size_t(i) * 3] | q.palette[size_t(i) * 3 + 1] |
                          q.palette[size_t(i) * 3 + 2],
                      0)
                << "entry " << i;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                ASSERT_EQ(q.index[size_t(y) * 64 + x] == 0, (x + y) % 5 == 0)
                    << x << "," << y << " dither " << dither;
    }
}

TEST(Quantizer, AllBlackAndSingleColourPictures) {
    Canvas black(9, 7);
    const Indexed q = quantize(black);
    EXPECT_TRUE(std::all_of(q.index.begin(), q.index.end(), [](uint8_t i) { return i == 0; }));
    Canvas one(9, 7);
    for (Rgb& p : one.px)
        p = rgb8(200, 30, 90);
    const std::vector<uint8_t> rgb = expand(quantize(one));
    for (size_t i = 0; i < rgb.size(); i += 3)
        ASSERT_EQ((std::vector<uint8_t>{rgb[i], rgb[i + 1], rgb[i + 2]}),
                  (std::vector<uint8_t>{200, 30, 90}));
}

TEST(Quantizer, FewColoursComeOutExactAndGlowsKeepTheirSteps) {
    // Up to 255 colours (here 100) fit the palette exactly.
    Canvas few(50, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x)
            few.at(x, y) = rgb8(x / 5 * 25, y / 2 * 27, (x / 5 * 3 + y / 2 * 11) * 3);
    QuantizeOptions plain;
    plain.dither = false;
    const std::vector<uint8_t> got = expand(quantize(few, plain));
    const std::vector<uint8_t> want = to_rgb8(few);
    EXPECT_EQ(got, want);

    // A one-hue glow over many pixels: every step from dark to bright must
    // survive (a banded glow would collapse into a few rings).
    Canvas glow(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float r = std::hypot(x - 127.5f, y - 127.5f) / 128.f;
            float v = std::max(0.f, 1.f - r);
            glow.at(x, y) = Rgb{v, v * 0.8f, v * 0.5f + 0.1f * v * v};
        }
    const Indexed q = quantize(glow, plain);
    const std::vector<uint8_t> rgb = expand(q);
    const std::vector<uint8_t> exact = to_rgb8(glow);
    std::set<int> reds;
    int worst = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        reds.insert(rgb[i]);
        for (int k = 0; k < 3; ++k)
            worst = std::max(worst, std::abs(int(rgb[i + size_t(k)]) - int(exact[i + size_t(k)])));
    }
    EXPECT_GE(reds.size(), 200u);
    EXPECT_LE(worst, 3);
}

TEST(GeneratedPictures, SizesAsTheScenesReadThem) {
    const struct {
        const char* name;
        int w, min_h;
    } sizes[] = {
        {"a1txt.pcx", 320, 240},    {"a1light1.pcx", 320, 240}, {"a1light2.pcx", 320, 240},
        {"mulptext.pcx", 640, 240}, {"part1.pcx", 256, 256},    {"part2.pcx", 256, 256},
        {"backgr1.pcx", 320, 240},  {"backgr3.pcx", 320, 240},  {"backgr4.pcx", 320, 240},
        {"qolonvrn.pcx", 320, 240}, {"kjetweak.pcx", 320, 240}, {"omla.pcx", 320, 240},
        {"brisel2.pcx", 256, 256},  {"brisel.pcx", 256, 256},   {"greets1.pcx", 120, 40},
        {"greets2.pcx", 120, 40},   {"greets3.pcx", 120, 40},   {"greets4.pcx", 120, 40},
        {"qol.pcx", 120, 40},       {"envmap.pcx", 256, 256},   {"scroll.pcx", 100, 480},
        {"envmap3.pcx", 256, 256},
    };
    for (const auto& s : sizes) {
        const Picture p = load(s.name);
        EXPECT_EQ(p.w, s.w) << s.name;
        EXPECT_GE(p.h, s.min_h) << s.name;
    }
}

TEST(GeneratedPictures, AddedPicturesAreBlackWhereNothingShouldShow) {
    // Sprites: black on and near the border, so the square never shows.
    for (const char* name : {"part1.pcx", "part2.pcx"}) {
        const Picture p = load(name);
        ASSERT_EQ(p.w, 256) << name;
        int lit_outside = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                if (std::hypot(x - 127.5, y - 127.5) > 124.0 && (p.at(x, y) & 0xFFFFFF))
                    ++lit_outside;
        EXPECT_EQ(lit_outside, 0) << name;
        EXPECT_GE(luma(p.at(128, 128)), 200) << name << " has a bright core";
    }
    // Light maps, flash picture, text: black corners, something bright inside.
    for (const char* name : {"a1txt.pcx", "mulptext.pcx", "omla.pcx", "greets1.pcx", "greets2.pcx",
                             "greets3.pcx", "greets4.pcx", "qol.pcx"}) {
        const Picture p = load(name);
        ASSERT_GT(p.w, 0) << name;
        EXPECT_EQ(p.at(0, 0) & 0xFFFFFF, 0u) << name;
        EXPECT_EQ(p.at(p.w - 1, p.h - 1) & 0xFFFFFF, 0u) << name;
        int bright = 0;
        for (uint32_t px : p.px)
            bright += brightest(px) >= 200;
        EXPECT_GT(bright, 40) << name;
    }
}

TEST(GeneratedPictures, OverlaysAreOpaqueWhereverTheyAreNotBlack) {
    // A keyed overlay shows the background only through exact black; a dark
    // anti-aliased edge would read as a dark fringe.
    for (const char* name : {"qolonvrn.pcx", "kjetweak.pcx"}) {
        const Picture p = load(name);
        ASSERT_EQ(p.w, 320) << name;
        int black = 0, dim = 0, shown = 0;
        for (uint32_t px : p.px) {
            if (!(px & 0xFFFFFF))
                ++black;
            else if (brightest(px) < 24)
                ++dim;
            else
                ++shown;
        }
        EXPECT_EQ(dim, 0) << name;
        EXPECT_GT(black, 76800 / 2) << name << " leaves most of the background visible";
        EXPECT_GT(shown, 3000) << name;
    }
}

TEST(GeneratedPictures, TilingPicturesJoinSeamlessly) {
    // Across the wrap the step between neighbours must look like any other
    // step inside the picture.
    // Compares the mean step across the wrap with the roughest pair of
    // neighbouring columns (or rows) inside: a pattern with grooves may put
    // one on the seam, but a mismatched edge stands out beyond all of them.
    auto seam_ratio = [](const Picture& p, bool vertical) {
        const int len = vertical ? p.w : p.h;
        const int across = vertical ? p.h : p.w;
        double worst_inside = 0, seam = 0;
        for (int b = 0; b < across; ++b) {
            const int b2 = (b + 1) % across;
            double sum = 0;
            for (int a = 0; a < len; ++a) {
                const uint32_t p1 = vertical ? p.at(a, b) : p.at(b, a);
                const uint32_t p2 = vertical ? p.at(a, b2) : p.at(b2, a);
                sum += distance(p1, p2);
            }
            sum /= len;
            if (b2 == 0)
                seam = sum;
            else
                worst_inside = std::max(worst_inside, sum);
        }
        return seam / (worst_inside + 1.0);
    };
    for (const char* name : {"brisel.pcx", "brisel2.pcx", "envmap.pcx"}) {
        const Picture p = load(name);
        ASSERT_EQ(p.w, 256) << name;
        EXPECT_LT(seam_ratio(p, false), 1.1) << name << " left-right";
        EXPECT_LT(seam_ratio(p, true), 1.1) << name << " top-bottom";
    }
    const Picture strip = load("mulptext.pcx");
    ASSERT_EQ(strip.w, 640);
    EXPECT_LT(seam_ratio(strip, false), 1.1) << "text strip from column 639 to 0";
}

TEST(GeneratedPictures, BackgroundsAreDarkAndDistinct) {
    std::vector<Picture> bgs;
    for (const char* name : {"backgr1.pcx", "backgr3.pcx", "backgr4.pcx"}) {
        bgs.push_back(load(name));
        ASSERT_EQ(bgs.back().w, 320) << name;
        double sum = 0;
        for (uint32_t px : bgs.back().px)
            sum += luma(px);
        const double mean = sum / double(bgs.back().px.size());
        EXPECT_GT(mean, 4.0) << name << " is not empty";
        EXPECT_LT(mean, 70.0) << name << " leaves room for added light";
    }
    for (size_t a = 0; a < bgs.size(); ++a)
        for (size_t b = a + 1; b < bgs.size(); ++b) {
            double diff = 0;
            for (size_t i = 0; i < 76800; ++i)
                diff += distance(bgs[a].px[i], bgs[b].px[i]);
            EXPECT_GT(diff / 76800, 12.0) << a << " vs " << b;
        }
}

TEST(GeneratedPictures, MetaballReflectionIsBrightestFacingTheEye) {
    const Picture p = load("envmap3.pcx");
    ASSERT_EQ(p.w, 256);
    const double centre = luma(p.at(127, 127));
    EXPECT_GE(centre, 230);
    double rim = 0;
    int n = 0;
    for (int a = 0; a < 360; ++a) {
        const double t = a * 3.14159265 / 180;
        rim += luma(p.at(127 + int(120 * std::cos(t)), 127 + int(120 * std::sin(t))));
        ++n;
    }
    EXPECT_LT(rim / n, centre * 0.4);
}

TEST(GeneratedPictures, ImageMagickReadsTheSamePixels) {
    const char* convert = "/usr/bin/convert";
    if (!fs::exists(convert)) GTEST_SKIP() << "ImageMagick is not installed";
    const fs::path tmp = fs::temp_directory_path() / ("vorn_pictures_" + std::to_string(getpid()));
    fs::create_directories(tmp);
    for (const char* name : kPictures) {
        const Picture p = load(name);
        ASSERT_GT(p.w, 0) << name;
        const fs::path rgb = tmp / (std::string(name) + ".rgb");
        const std::string cmd = std::string(convert) + " " +
                                (fs::path(VORN_TEST_DATA_DIR) / name).string() +
                                " -depth 8 rgb:" + rgb.string();
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        const std::vector<uint8_t> im = read_bytes(rgb);
        ASSERT_EQ(im.size(), p.px.size() * 3) << name;
        int mismatches = 0;
        for (size_t i = 0; i < p.px.size(); ++i) {
            const uint32_t want =
                uint32_t(im[i * 3]) << 16 | uint32_t(im[i * 3 + 1]) << 8 | im[i * 3 + 2];
            mismatches += want != (p.px[i] & 0xFFFFFF);
        }
        EXPECT_EQ(mismatches, 0) << name;
    }
    fs::remove_all(tmp);
}

TEST(Generator, TwoRunsWriteTheSameBytes) {
    const fs::path base = fs::temp_directory_path() / ("vorn_gen_" + std::to_string(getpid()));
    const fs::path a = base / "a", b = base / "b";
    for (const fs::path& dir : {a, b}) {
        const std::string cmd =
            std::string(VORN_GEN_BINARY) + " --out " + dir.string() + " > /dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    int files = 0;
    for (const auto& entry : fs::directory_iterator(a)) {
        const std::string name = entry.path().filename().string();
        const std::vector<uint8_t> first = read_bytes(entry.path());
        EXPECT_EQ(first, read_bytes(b / name)) << name;
        // The build's own data folder came from the same generator.
        EXPECT_EQ(first, read_bytes(fs::path(VORN_TEST_DATA_DIR) / name)) << name;
        ++files;
    }
    EXPECT_GE(files, 27);
    fs::remove_all(base);
}

TEST(Generator, MissingFontsFailTheRunInsteadOfWritingBlankLettering) {
    const fs::path dir = fs::temp_directory_path() / ("vorn_nofont_" + std::to_string(getpid()));
    const std::string cmd = "VORN_FONT_DIR=/nonexistent " + std::string(VORN_GEN_BINARY) +
                            " --out " + dir.string() + " > /dev/null 2>&1";
    EXPECT_NE(std::system(cmd.c_str()), 0);
    EXPECT_FALSE(fs::exists(dir / "qolonvrn.pcx"));
    fs::remove_all(dir);
}
