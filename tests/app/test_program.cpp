// The vorn program as a user runs it: options, the music failure on an empty
// folder, no display, a whole (short) show under Xvfb with SDL's dummy audio
// driver, and a show started at its last order position. (Signals and the
// installed program: stop_signal_test.sh and install_test.sh beside this file.)
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <cstdlib>
#include <iterator>
#include <vector>

#include "app/options.h"
#include "command_output.h"
#include "music/music_timeline.h"
#include "music/xmp_player.h"
#include "xm_builder.h"

namespace fs = std::filesystem;

namespace {

using Outcome = CommandResult;
Outcome run(const std::string& command) {
    return run_command(command);
}

std::string vorn() {
    return std::string("'") + VORN_BINARY + "'";
}

fs::path fresh_dir(const std::string& name) {
    fs::path d = fs::path(VORN_TEST_BINARY_DIR) / "test-scratch" / name;
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

// A copy of the generated data whose music walks every scene in a few
// seconds, raising some flags on the way, and ends with 31.
fs::path quick_show_dir(const std::string& name) {
    fs::path d = fresh_dir(name);
    for (const auto& e : fs::directory_iterator(VORN_TEST_DATA_DIR))
        if (e.path().extension() == ".pcx" || e.path().extension() == ".lwo")
            fs::copy_file(e.path(), d / e.path().filename());
    XmTestModule m;
    m.speed = 3;
    for (int scene = 0; scene < 8; ++scene) {
        int p = m.add_pattern(8);
        m.orders.push_back(static_cast<uint8_t>(p));
        m.cell(p, 0, 3) = {0, 0, 0, 0x20, static_cast<uint8_t>(scene)};
        m.cell(p, 2, 3) = {0, 0, 0, 0x20, 32};
        m.cell(p, 3, 3) = {0, 0, 0, 0x20, 35};
        m.cell(p, 4, 3) = {0, 0, 0, 0x20, 37};
        m.cell(p, 5, 3) = {0, 0, 0, 0x20, 36};
    }
    m.cell(7, 7, 3) = {0, 0, 0, 0x20, 31};
    const auto bytes = m.bytes();
    std::ofstream(d / "vorn.xm", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return d;
}

bool have(const char* program) {
    return run(std::string("command -v ") + program + " >/dev/null 2>&1").status == 0;
}

} // namespace

TEST(Program, HelpVersionAndBadOptions) {
    Outcome help = run(vorn() + " --help");
    EXPECT_EQ(help.status, 0);
    for (const char* option :
         {"--auto-sound", "--sound-setup", "--no-sound", "--fullscreen", "--windowed", "--no-vsync",
          "--data", "--still", "--verbose", "--version", "--integer-scale", "--scale", "--display",
          "--start", "--audio-offset", "--stats", "--timeline"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    Outcome version = run(vorn() + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("vorn ", 0), 0u);
    Outcome bad = run(vorn() + " --frobnicate 2>&1");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "vorn: unknown option '--frobnicate' (try vorn --help)\n");
    EXPECT_EQ(run(vorn() + " --data 2>&1").status, 2);
    EXPECT_EQ(run(vorn() + " --out x.png 2>&1").status, 2);
}

TEST(Program, EmptyFolderEndsWithTheMusicMessage) {
    fs::path empty = fresh_dir("empty");
    Outcome r = run("SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy " + vorn() +
                    " --auto-sound --windowed --data '" + empty.string() + "' 2>/dev/null");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Midas my ass!, somethings smelly..\n");
}

TEST(Program, WithoutADisplayItSaysSoAtOnceAndExitsOne) {
    fs::path d = quick_show_dir("no-display");
    // Questions unanswered or answered: one line before anything is loaded.
    for (const char* options : {"", " --auto-sound --windowed"}) {
        Outcome r = run("env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER= " + vorn() + options +
                        " --data '" + d.string() + "' 2>&1");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "vorn: cannot open a display: no display was found (DISPLAY is not set). "
                         "Start the show from a desktop session, or record it with --record "
                         "FILE.mp4\n");
    }
}

TEST(Program, PlaysAWholeShowUnderXvfbAndEndsOnSceneThirtyOne) {
    if (!have("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed";
    fs::path d = quick_show_dir("xvfb-show");
    for (const char* sound : {"--auto-sound", "--no-sound"}) {
        Outcome r = run("timeout 120 xvfb-run -a env SDL_AUDIODRIVER=dummy " + vorn() + " " +
                        sound + " --windowed --data '" + d.string() + "' 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
        // Every scene's set-up announced its pictures on the way.
        EXPECT_NE(r.out.find("a1txt.pcx"), std::string::npos);
    }
}

TEST(Program, StillIsWrittenWhereAskedEvenWithAnotherDataFolder) {
    fs::path here = fresh_dir("still-relative");
    Outcome r = run("cd '" + here.string() + "' && " + vorn() +
                    " --still 7:500 --out rel.png --data '" + VORN_TEST_DATA_DIR + "' 2>&1");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(fs::exists(here / "rel.png"));
    EXPECT_FALSE(fs::exists(fs::path(VORN_TEST_DATA_DIR) / "rel.png"));
}

// The show's texts are code page 437 bytes ("\x94" is the letter o-umlaut):
// a UTF-8 terminal gets the letters in UTF-8, a pipe or a terminal of
// another locale the bytes themselves.
TEST(Program, ShowTextsReadAsLettersOnAUtf8Terminal) {
    if (!have("script")) GTEST_SKIP() << "script (bsdutils) is not installed";
    fs::path here = fresh_dir("terminal-text");
    const std::string still = vorn() + " --verbose --still 0:0 --out s.png --data '" +
                              VORN_TEST_DATA_DIR + "' 2>/dev/null";
    const std::string in_terminal = "script -qec \"" + still + "\" /dev/null";
    const struct {
        const char* how;
        std::string command;
        const char* expected;
    } cases[] = {
        {"pipe, UTF-8 locale", "LC_ALL=C.UTF-8 " + still, "F\x94rs\x94ker \x94ppna"},
        {"terminal, UTF-8 locale", "LC_ALL= LC_CTYPE=C.UTF-8 " + in_terminal,
         "F\xC3\xB6rs\xC3\xB6ker \xC3\xB6ppna"},
        {"terminal, C locale", "LC_ALL=C " + in_terminal, "F\x94rs\x94ker \x94ppna"},
    };
    for (const auto& c : cases) {
        Outcome r = run("cd '" + here.string() + "' && " + c.command);
        EXPECT_EQ(r.status, 0) << c.how;
        EXPECT_NE(r.out.find(c.expected), std::string::npos) << c.how << ": " << r.out;
    }
}

TEST(Program, LiveOptionsRefuseValuesOutOfRangeWithOneLine) {
    const std::string data = std::string(" --data '") + VORN_TEST_DATA_DIR + "'";
    const std::pair<const char*, const char*> cases[] = {
        {"--scale 0", "option --scale takes a whole number from 1 to 10"},
        {"--scale 3x", "option --scale takes a whole number from 1 to 10"},
        {"--display -1", "option --display takes a whole number from 0 to 63"},
        {"--start two", "option --start takes an order position (12), a time (1:24, 84.5) or a "
                        "scene (scene:4)"},
        {"--audio-offset 1001", "option --audio-offset takes a whole number from -1000 to 1000"},
        {"--audio-offset", "option --audio-offset takes a whole number from -1000 to 1000"},
    };
    for (const auto& [args, line] : cases) {
        Outcome r = run(vorn() + " " + args + data + " 2>&1");
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, std::string("vorn: ") + line + " (try vorn --help)\n") << args;
    }
    Outcome past = run(vorn() + " --start 255" + data + " 2>&1");
    EXPECT_EQ(past.status, 2);
    EXPECT_EQ(past.out.rfind("vorn: --start 255: the music's order positions run from 0 to ", 0),
              0u)
        << past.out;
    EXPECT_NE(past.out.find("(vorn --timeline lists them)"), std::string::npos) << past.out;
    // Positions the music does not have name what it has.
    const std::pair<const char*, const char*> missing[] = {
        {"--start 9:00", "vorn: --start 9:00: the show ends at 3:3"},
        {"--start scene:9", "vorn: --start scene:9: the music never selects scene 9 (it selects "
                            "0, 1, 2, 3, 4, 5, 6, 7; vorn --timeline lists them)\n"},
    };
    for (const auto& [args, start] : missing) {
        Outcome r = run(vorn() + " " + args + data + " 2>&1");
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out.rfind(start, 0), 0u) << r.out;
    }
}

// Without a sound output the show plays silently and says so once.
TEST(Program, WithoutSoundOutputItPlaysSilentlyAndSaysSo) {
    fs::path d = quick_show_dir("no-sound-output");
    Outcome r = run("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=nonexistent " + vorn() +
                    " --auto-sound --windowed --data '" + d.string() + "' 2>&1 >/dev/null");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "vorn: no sound output is available (SDL_AUDIODRIVER=nonexistent: Audio "
                     "target 'nonexistent' not available), so the show plays silently. Choose "
                     "another driver with SDL_AUDIODRIVER (pulseaudio, pipewire, alsa), or start "
                     "with --no-sound to skip sound\n");
}

// --timeline reads the module the show would play. The quick show's rows
// last 3 ticks of 20 ms (speed 3, 125 BPM), its patterns 8 rows: 0.48 s.
TEST(Program, TimelineListsEachOrderWithItsTimeScenesAndFlags) {
    fs::path d = quick_show_dir("timeline");
    Outcome r = run(vorn() + " --timeline --data '" + d.string() + "' 2>&1");
    EXPECT_EQ(r.status, 0);
    std::string expected = "order  pattern     time  scene  flags raised\n";
    for (int p = 0; p < 8; ++p) {
        char line[80];
        std::snprintf(line, sizeof line, "%5d  %7d  0:0%d.%02d  %-5s  1 4 6 5\n", p, p,
                      p * 48 / 100, p * 48 % 100, p < 7 ? std::to_string(p).c_str() : "7 end");
        expected += line;
    }
    EXPECT_EQ(r.out, expected);
    Outcome missing =
        run(vorn() + " --timeline --data '" + fresh_dir("timeline-empty").string() + "' 2>&1");
    EXPECT_EQ(missing.status, 255);
    EXPECT_NE(missing.out.find("timeline-empty/vorn.xm"), std::string::npos) << missing.out;
}

// The show started at the order position where the music ends it lasts that
// order's playing time, and --stats reports on it; a display that does not
// exist is replaced by the first.
TEST(Program, StartAtTheLastOrderPlaysOnlyItAndPrintsStats) {
    if (!have("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed";
    // The quick show: the start plays the seven orders before the last
    // without output first, which takes little even in a sanitizer build.
    const fs::path d = quick_show_dir("start-last");
    std::ifstream f(d / "vorn.xm", std::ios::binary);
    const std::vector<uint8_t> module{std::istreambuf_iterator<char>(f),
                                      std::istreambuf_iterator<char>()};
    int order = -1;
    for (const SyncEvent& e : walk_sync_timeline(module, 3600000))
        if (e.value == 31) order = e.row > 0 ? e.position : e.position - 1;
    ASSERT_GE(order, 0);
    XmpPlayer player;
    ASSERT_TRUE(player.load(module));
    ASSERT_TRUE(player.start(44100, {order, 0}));
    double expected_s = -1;
    while (expected_s < 0 && player.play_tick())
        for (uint8_t v : player.row_sync())
            if (v == 31) expected_s = static_cast<double>(player.tick_start()) / 44100;
    ASSERT_GT(expected_s, 0);

    Outcome r =
        run("timeout 120 xvfb-run -a env SDL_AUDIODRIVER=dummy " + vorn() +
            " --auto-sound --windowed --integer-scale --scale 2 --display 5 --stats --start " +
            std::to_string(order) + " --data '" + d.string() + "' 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;
    double shown_s = -1;
    const size_t at = r.out.find(" shown in ");
    ASSERT_NE(at, std::string::npos) << r.out;
    shown_s = std::atof(r.out.c_str() + at + 10);
    EXPECT_NEAR(shown_s, expected_s, 1.0) << r.out;
    for (const char* figure :
         {"render ms:  p50 ", "present ms: p50 ", "missed the display's period: "})
        EXPECT_NE(r.out.find(figure), std::string::npos) << figure;
}

TEST(Options, TakeRatesScalesAndPositionsWithinBounds) {
    using Kind = PositionName::Kind;
    struct Case {
        std::vector<const char*> args;
        bool ok;
        int num = 0, den = 0, scale = 0;
        Kind from_kind = Kind::Order;
        int64_t from = -1; // -1: none given
    };
    const Case cases[] = {
        {{"--record", "a.mp4"}, true, 60, 1, 0},
        {{"--record", "a.mkv", "--fps", "60000/1001", "--scale", "2"}, true, 60000, 1001, 2},
        {{"--frames", "d", "--fps", "240", "--from", "3", "--to", "5"},
         true,
         240,
         1,
         0,
         Kind::Order,
         3},
        {{"--fps", "1"}, true, 1, 1, 0},
        {{"--from", "1:24"}, true, 60, 1, 0, Kind::Time, 84000},
        {{"--from", "0:05.25"}, true, 60, 1, 0, Kind::Time, 5250},
        {{"--from", "84.5"}, true, 60, 1, 0, Kind::Time, 84500},
        {{"--from", "90s"}, true, 60, 1, 0, Kind::Time, 90000},
        {{"--from", "scene:4"}, true, 60, 1, 0, Kind::Scene, 4},
        {{"--from", "1:60"}, false},
        {{"--from", "1:5"}, false},
        {{"--from", "scene:x"}, false},
        {{"--from", "999"}, true, 60, 1, 0, Kind::Order, 999}, // the module names its range
        {{"--from", "1000"}, false},
        {{"--from", "-1"}, false},
        {{"--from"}, false},
        {{"--fps", "241"}, false},
        {{"--fps", "0"}, false},
        {{"--fps", "1/2"}, false},
        {{"--fps", "24x"}, false},
        {{"--scale", "11"}, false},
        {{"--record", "a.mp4", "--frames", "d"}, false},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"vorn"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        Options o;
        std::string error;
        SCOPED_TRACE(c.args.back());
        ASSERT_EQ(parse_options(static_cast<int>(argv.size()), argv.data(), o, error), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(o.fps_num, c.num);
        EXPECT_EQ(o.fps_den, c.den);
        EXPECT_EQ(o.scale, c.scale);
        ASSERT_EQ(o.from.has_value(), c.from >= 0);
        if (o.from) {
            EXPECT_TRUE(o.from->kind == c.from_kind && o.from->value == c.from);
        }
    }
}
