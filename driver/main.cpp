// vorn: the show's entry point. Reads the options, finds the data folder,
// and either plays the show or renders a still. Loading progress is printed
// in the live show (or with --verbose); load failures always are.
#include <cstdio>
#include <filesystem>

#include <SDL.h>

#include "assets/load_report.h"
#include "core/clock.h"
#include "core/sync.h"
#include "driver/data_dir.h"
#include "driver/dialogs_sdl.h"
#include "driver/display_probe.h"
#include "driver/display_sdl.h"
#include "driver/music_sdl.h"
#include "driver/options.h"
#include "driver/show.h"
#include "driver/still.h"
#include "driver/stop_signals.h"

namespace {
class SteadyClock : public Clock {
  public:
    int64_t now_ms() override { return clock_ms(); }
};

// The SDL display, with Ctrl+C and SIGTERM counting as a key from the moment
// its window opens (everything is loaded and answered by then).
class LiveDisplay : public SdlDisplay {
  public:
    using SdlDisplay::SdlDisplay;
    void open(const char* title, bool fullscreen) override {
        mark_show_started();
        SdlDisplay::open(title, fullscreen);
    }
    bool key_waiting() override { return stop_requested() || SdlDisplay::key_waiting(); }
};
} // namespace

int main(int argc, char** argv) {
    Options o;
    std::string error;
    if (!parse_options(argc, argv, o, error)) {
        std::fprintf(stderr, "vorn: %s (try vorn --help)\n", error.c_str());
        return 2;
    }
    if (o.help) {
        std::fputs(usage_text(), stdout);
        return 0;
    }
    if (o.version) {
        std::printf("vorn %s\n", VORN_VERSION);
        return 0;
    }
    // The still is written where the user asked, not inside the data folder.
    if (!o.out.empty()) o.out = std::filesystem::absolute(o.out).string();
    const bool live = o.still.empty();
    set_load_progress(live || o.verbose);
    if (live) {
        install_stop_signals();
        std::string why;
        if (!display_available(why)) {
            std::fprintf(stderr, "vorn: %s\n", why.c_str());
            return 1;
        }
    }
    if (!enter_data_dir(choose_data_dir(o.data_dir, program_dir()), error)) {
        std::fprintf(stderr, "vorn: %s\n", error.c_str());
        return 2;
    }
    if (!live) return run_still(o.still, o.out);

    SDL_SetMainReady();
    SDL_Init(0);
    int code;
    {
        SdlDialogs dialogs;
        LiveDisplay display(o.vsync);
        SdlMusic music(dialogs, o.no_sound, sync_callback);
        SteadyClock clock;
        ShowAnswers answers{o.auto_sound, o.fullscreen};
        if (o.no_sound && !answers.auto_sound) answers.auto_sound = true; // nothing to configure
        ShowPlatform p{display, music, dialogs, clock, scene_table(), answers};
        code = run_show(p);
    }
    SDL_Quit();
    return code;
}
