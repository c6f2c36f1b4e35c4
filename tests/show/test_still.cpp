// Stills: argument checking, a missing data folder, and PNGs of real scenes
// rendered from the generated data.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "command_output.h"
#include "show/png_write.h"
#include "show/still.h"

namespace fs = std::filesystem;

namespace {

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

bool read_png(const std::string& path, Picture& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    out.width = static_cast<int32_t>(image.width);
    out.height = static_cast<int32_t>(image.height);
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    const bool ok = png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

// Runs the vorn program with `arguments`, capturing standard output and error.
struct Program {
    int status = -1;
    std::string output;
};
Program run_vorn(const std::string& arguments) {
    const CommandResult r =
        run_command(std::string("'") + VORN_BINARY + "' " + arguments + " 2>&1");
    return {r.status, r.out};
}

class StillTest : public ::testing::Test {
  protected:
    void SetUp() override {
        start_dir = fs::current_path();
        work = fs::temp_directory_path() /
               ("vorn-still-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(work);
        fs::create_directories(work);
    }
    void TearDown() override {
        fs::current_path(start_dir);
        fs::remove_all(work);
    }
    // Changes into the generated data folder, or says why the test cannot run.
    bool enter_data() {
        const fs::path data = VORN_TEST_DATA_DIR;
        if (!fs::exists(data / "a1txt.pcx") || !fs::exists(data / "kjetweak.pcx")) return false;
        fs::current_path(data);
        return true;
    }
    Picture still(const std::string& shot) {
        const std::string out = (work / "still.png").string();
        EXPECT_EQ(run_still(shot, out), 0) << shot;
        Picture picture;
        EXPECT_TRUE(read_png(out, picture)) << shot;
        return picture;
    }

    fs::path start_dir, work;
};

} // namespace

TEST_F(StillTest, BadArgumentsExitWithTwoBeforeLoadingAnything) {
    // The working folder holds no data: any loading would end the process.
    fs::current_path(work);
    for (const char* shot :
         {"", "7", "8:0", "-1:0", "x:1", "2:", "2:-1", "2:1.5", "2:2147483648", "2:40:", "2:40:0",
          "2:40:10", "2:40:1,,6", "2:40:1,", "2:40:a", "2:40:1:6", " 2:40", "2:40 "}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(run_still(shot, (work / "x.png").string()), 2) << '"' << shot << '"';
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("--still"), std::string::npos) << message;
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(run_still("7:500", ""), 2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("--out"), std::string::npos);
    EXPECT_FALSE(fs::exists(work / "x.png"));
}

TEST_F(StillTest, EmptyDataFolderEndsWithTheLoaderStatus) {
    fs::current_path(work);
    const std::string out = (work / "x.png").string();
    EXPECT_EXIT(run_still("7:500", out), ::testing::ExitedWithCode(255), "");
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(StillTest, WritesPngsOfScenesWithFlags) {
    if (!enter_data()) GTEST_SKIP() << "no generated data in " << VORN_TEST_DATA_DIR;
    const Picture seven = still("7:500");
    ASSERT_EQ(seven.width, 320);
    ASSERT_EQ(seven.height, 240);
    bool lit = false;
    for (uint8_t c : seven.rgb)
        lit = lit || c != 0;
    EXPECT_TRUE(lit);
    // Stills repeat exactly, even within one process.
    EXPECT_EQ(still("7:500").rgb, seven.rgb);

    // Flag 4 turns scene 0's lights on; flag 1 flashes scene 2 white.
    const Picture dark = still("0:100"), lights = still("0:100:4");
    EXPECT_NE(dark.rgb, lights.rgb);
    const Picture plain = still("2:40"), flash = still("2:40:1,6");
    EXPECT_NE(plain.rgb, flash.rgb);
    EXPECT_EQ(flash.rgb[0], 255); // top-left corner: flashed background, no greeting there
}

TEST_F(StillTest, UnwritableOutputIsReportedNotIgnored) {
    if (!enter_data()) GTEST_SKIP() << "no generated data in " << VORN_TEST_DATA_DIR;
    const std::string out = (work / "missing-folder" / "x.png").string();
    testing::internal::CaptureStderr();
    EXPECT_EQ(run_still("0:0", out), 2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("missing-folder"), std::string::npos);
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(StillTest, ProgramWritesStillsAndReportsFailures) {
    const std::string out = (work / "x.png").string();
    const fs::path empty = work / "empty";
    fs::create_directories(empty);
    Program r = run_vorn("--still 7:500 --out '" + out + "' --data '" + empty.string() + "'");
    EXPECT_EQ(r.status, 255) << r.output;
    EXPECT_NE(r.output.find("gick ej \x94ppna a1txt.pcx"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(out));

    r = run_vorn("--still 9:500 --out '" + out + "' --data '" + empty.string() + "'");
    EXPECT_EQ(r.status, 2) << r.output;
    // A name that does not say PNG is refused, as --record's names are.
    r = run_vorn("--still 7:500 --out '" + (work / "s5").string() + "'");
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_FALSE(fs::exists(work / "s5"));

    if (!fs::exists(fs::path(VORN_TEST_DATA_DIR) / "a1txt.pcx"))
        GTEST_SKIP() << "no generated data in " << VORN_TEST_DATA_DIR;
    r = run_vorn("--still 7:500 --out '" + out + "' --data '" + VORN_TEST_DATA_DIR + "'");
    EXPECT_EQ(r.status, 0) << r.output;
    Picture picture;
    ASSERT_TRUE(read_png(out, picture));
    EXPECT_EQ(picture.width, 320);
    EXPECT_EQ(picture.height, 240);
}

TEST(PngWrite, RoundTripsPixelsAndDropsTheTopByte) {
    const fs::path path =
        fs::temp_directory_path() / ("vorn-png-" + std::to_string(getpid()) + ".png");
    std::vector<uint32_t> pixels(7 * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xAB000000u | static_cast<uint32_t>(i * 0x030507);
    std::string error;
    ASSERT_TRUE(write_png_rgb(path.string(), pixels.data(), 7, 3, error)) << error;
    Picture picture;
    ASSERT_TRUE(read_png(path.string(), picture));
    ASSERT_EQ(picture.width, 7);
    ASSERT_EQ(picture.height, 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        EXPECT_EQ(picture.rgb[3 * i], (pixels[i] >> 16) & 0xFF);
        EXPECT_EQ(picture.rgb[3 * i + 1], (pixels[i] >> 8) & 0xFF);
        EXPECT_EQ(picture.rgb[3 * i + 2], pixels[i] & 0xFF);
    }
    fs::remove(path);
}
