// load_pcx and load_picture as the show sees them: the exact bytes written
// to standard output, the exit code, and the pixels handed back.
#include <gtest/gtest.h>

#include <cstdlib>

#include "assets/pcx.h"
#include "loader_test_support.h"

namespace {

const std::string kTrying = "F\x94rs\x94ker \x94ppna: ";
const std::string kCannotOpen = "gick ej \x94ppna ";

PcxHeaderFields window(int width, int height) {
    PcxHeaderFields s;
    s.x_max = width - 1;
    s.y_max = height - 1;
    return s;
}

// Loads in a child process and reports the picture's size and first pixel.
Captured load_in_child(const ScratchDir& dir, const char* name) {
    return run_captured(dir.path, [name] {
        Image image = load_pcx(name);
        std::printf("<%d x %d %06x>", image.width, image.height, image.pixels[0]);
        std::free(image.pixels);
    });
}

TEST(PcxLoader, AnnouncesAndReturnsThePicture) {
    ScratchDir dir;
    dir.write("ok.pcx", make_pcx(window(3, 2), {0xC6, 17}));
    const Captured c = load_in_child(dir, "ok.pcx");
    EXPECT_EQ(c.exit_code, 0);
    char pixel[16];
    std::snprintf(pixel, sizeof pixel, "%06x", test_colour(17));
    EXPECT_EQ(c.out, kTrying + "ok.pcx\n<3 x 2 " + pixel + ">");
}

TEST(PcxLoader, FailuresPrintTheirMessageAndExitMinusOne) {
    ScratchDir dir;
    PcxHeaderFields v3 = window(2, 2);
    v3.version = 3;
    dir.write("v3.pcx", make_pcx(v3, {0xC4, 1}));
    PcxHeaderFields bpp = window(2, 2);
    bpp.bits_per_pixel = 1;
    dir.write("bpp.pcx", make_pcx(bpp, {0xC4, 1}));
    PcxHeaderFields marker = window(2, 2);
    marker.palette_marker = 0x0D;
    dir.write("marker.pcx", make_pcx(marker, {0xC4, 1}));
    Bytes short_file = make_pcx(window(2, 2), {});
    short_file.pop_back();
    dir.write("short.pcx", short_file);
    dir.write("empty.pcx", {});
    PcxHeaderFields backwards;
    backwards.x_min = 10;
    backwards.x_max = 9;
    backwards.y_max = 4;
    dir.write("backwards.pcx", make_pcx(backwards, {}));
    dir.write("huge.pcx", make_pcx(window(20000, 3), {}));
    PcxHeaderFields rgb = window(2, 2);
    rgb.planes = 3;
    dir.write("rgb.pcx", make_pcx(rgb, {0xC4, 1, 0xC4, 2, 0xC4, 3}));
    dir.write("cut.pcx", make_pcx(window(40, 30), {0xC0 | 63, 1}));

    const struct {
        const char* name;
        std::string message;
    } cases[] = {
        {"missing.pcx", kCannotOpen + "missing.pcx\n"},
        {".", kCannotOpen + ".\n"}, // a folder opens but cannot be read
        {"v3.pcx", kCannotOpen + "v3.pcx\n"},
        {"bpp.pcx", kCannotOpen + "bpp.pcx\n"},
        {"marker.pcx", kCannotOpen + "marker.pcx\n"},
        {"short.pcx", kCannotOpen + "short.pcx\n"},
        {"empty.pcx", kCannotOpen + "empty.pcx\n"},
        {"backwards.pcx", "backwards.pcx: the picture window 10..9 x 0..4 is empty\n"},
        {"rgb.pcx", kCannotOpen + "rgb.pcx\n"},
        {"cut.pcx", kCannotOpen + "cut.pcx\n"},
        {"huge.pcx", "huge.pcx: the picture is 20000 x 3 pixels, larger than 16384 x 16384\n"},
    };
    for (const auto& k : cases) {
        const Captured c = load_in_child(dir, k.name);
        EXPECT_EQ(c.exit_code, 255) << k.name;
        EXPECT_EQ(c.out, kTrying + k.name + "\n" + k.message);
    }
}

TEST(PcxLoader, PictureSizeIsCheckedAgainstWhatTheSceneIndexes) {
    ScratchDir dir;
    dir.write("pic.pcx", make_pcx(window(8, 5), {0xC0 | 40, 3}));
    auto load = [&](int width, int min_height) {
        return run_captured(dir.path, [=] {
            Image image = load_picture("pic.pcx", width, min_height);
            std::printf("<%d x %d>", image.width, image.height);
            std::free(image.pixels);
        });
    };
    const std::string announce = kTrying + "pic.pcx\n";
    Captured exact = load(8, 5);
    EXPECT_EQ(exact.exit_code, 0);
    EXPECT_EQ(exact.out, announce + "<8 x 5>");
    Captured taller = load(8, 4);
    EXPECT_EQ(taller.exit_code, 0);
    EXPECT_EQ(taller.out, announce + "<8 x 5>");

    Captured narrow = load(9, 5);
    EXPECT_EQ(narrow.exit_code, 255);
    EXPECT_EQ(narrow.out, announce +
                              "pic.pcx: the picture is 8 x 5 pixels; it must be 9 pixels wide "
                              "and at least 5 high\n");
    Captured wide = load(7, 5);
    EXPECT_EQ(wide.exit_code, 255);
    Captured low = load(8, 6);
    EXPECT_EQ(low.exit_code, 255);
    EXPECT_EQ(low.out, announce +
                           "pic.pcx: the picture is 8 x 5 pixels; it must be 8 pixels wide and "
                           "at least 6 high\n");
}

} // namespace
