// Full screen and back on an X server of its own (Xvfb), bare as on a
// machine that runs one program, and under a window manager (openbox): what
// shows on the screen, taken from screenshots of the whole screen.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "command_output.h"
#include "sdl/display_sdl.h"

namespace fs = std::filesystem;

namespace {

bool have(const std::string& program) {
    return run_command("command -v " + program + " >/dev/null 2>&1").status == 0;
}

// Calls `done` every tenth of a second until it is true, for at most a minute.
template <class Done> bool within_a_minute(Done done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

// The process has ended (a zombie nobody has reaped yet counts as ended).
bool gone(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string number, name, state;
    return !(stat >> number >> name >> state) || state == "Z";
}

// Xvfb of 1600 x 1000 on a display number it picks itself, with openbox if
// asked; both end with this object. DISPLAY names it meanwhile.
struct XServer {
    int server = 0, manager = 0;
    std::string display;
    std::string old_display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";

    XServer(const fs::path& dir, bool window_manager) {
        const fs::path number = dir / "display";
        fs::remove(number);
        server = std::atoi(run_command("Xvfb -displayfd 3 -nolisten tcp -noreset -br -screen 0 "
                                       "1600x1000x24 3>'" +
                                       number.string() + "' >/dev/null 2>&1 & echo $!")
                               .out.c_str());
        std::string n;
        if (!within_a_minute([&] { return (std::ifstream(number) >> n) && !n.empty(); })) return;
        display = ":" + n;
        setenv("DISPLAY", display.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        if (!window_manager) return;
        // openbox runs the --startup command once it manages windows.
        const fs::path ready = dir / "openbox-ready";
        fs::remove(ready);
        manager = std::atoi(run_command("openbox --startup 'touch \"" + ready.string() +
                                        "\"' >/dev/null 2>&1 & echo $!")
                                .out.c_str());
        if (!within_a_minute([&] { return fs::exists(ready); })) display.clear();
    }
    ~XServer() {
        for (int pid : {manager, server})
            if (pid > 0) {
                kill(pid, SIGTERM);
                within_a_minute([pid] { return gone(pid); });
            }
        unsetenv("SDL_VIDEODRIVER");
        if (old_display.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", old_display.c_str(), 1);
    }
};

} // namespace

// The frame is all green; where it shows is the green part of a screenshot,
// as WxH+X+Y. Full screen it must fill the screen's height at 4:3, centred;
// back in a window it must show whole at 960 x 720 (--scale 3), each time at
// the same place. Without a window manager the window used to keep its size
// while the picture was laid out for the whole screen.
TEST(SdlFullScreen, FillsTheScreenAndGoesBackToTheWindowWithAndWithoutAWindowManager) {
    if (!have("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    if (!have("import") || !have("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    struct Case {
        const char* name;
        bool window_manager, start_full;
    };
    const Case cases[] = {
        {"bare X server, started in a window", false, false},
        {"bare X server, started full screen", false, true},
        {"openbox, started in a window", true, false},
        {"openbox, started full screen", true, true},
    };
    const fs::path dir = fs::path(VORN_TEST_BINARY_DIR) / "test-scratch" / "full-screen";
    fs::create_directories(dir);
    const std::string shot = (dir / "screen.png").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.window_manager && !have("openbox")) {
            std::printf("openbox is not installed: %s is not tried\n", c.name);
            continue;
        }
        XServer x(dir, c.window_manager);
        ASSERT_FALSE(x.display.empty()) << "the X server or openbox did not start";
        DisplaySettings settings;
        settings.vsync = false;
        SdlDisplay d(settings);
        d.open("Vorn", c.start_full);
        std::string window; // where the window showed first
        bool full = c.start_full;
        for (int step = 0; step < 3; ++step, full = !full) {
            if (step > 0) d.toggle_fullscreen();
            std::string seen;
            const bool shown = within_a_minute([&] {
                d.key_waiting();
                std::fill_n(d.lock(), 320 * 240, 0x00ff00u);
                d.present();
                seen = run_command("import -window root '" + shot + "' 2>/dev/null && convert '" +
                                   shot +
                                   "' -fill black +opaque '#00ff00' -trim -format '%wx%h%X%Y' "
                                   "info: 2>/dev/null")
                           .out;
                if (full) return seen == "1333x1000+133+0";
                if (window.empty() && seen.rfind("960x720+", 0) == 0) window = seen;
                return !window.empty() && seen == window;
            });
            EXPECT_TRUE(shown) << (full ? "full screen" : "window") << " after " << step
                               << " switches showed the frame at " << seen;
        }
        d.destroy();
    }
}
