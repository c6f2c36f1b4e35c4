// vorn: the show's entry point. Reads the options, finds the data folder,
// and either plays the show, records it, or renders a still.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <SDL.h>

#include "core/clock.h"
#include "core/sync.h"
#include "driver/data_dir.h"
#include "driver/dialogs_sdl.h"
#include "driver/display_sdl.h"
#include "driver/music_sdl.h"
#include "driver/options.h"
#include "driver/record.h"
#include "driver/show.h"
#include "driver/still.h"

namespace {
class SteadyClock : public Clock {
  public:
    int64_t now_ms() override { return clock_ms(); }
};
// For --or-record: why no window can be shown here, or "" when one can.
std::string no_display_reason() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!x || !*x) && (!wayland || !*wayland)) return "no display (DISPLAY is not set)";
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return std::string("no display (") + SDL_GetError() + ")";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return "";
}
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
    if (!o.or_record.empty() && o.record.empty() && o.frames.empty()) {
        const std::string why = no_display_reason();
        if (!why.empty()) {
            std::fprintf(stderr, "vorn: %s: recording the show to %s instead\n", why.c_str(),
                         o.or_record.c_str());
            o.record = o.or_record;
        }
    }
    RecordRequest recording{o.frames.empty() ? o.record : o.frames,
                            !o.frames.empty(),
                            FrameRate{o.fps_num, o.fps_den},
                            o.scale ? o.scale : 4,
                            o.from,
                            o.to};
    if (!recording.path.empty()) {
        if (!recording.frames && !check_record_target(recording.path, error)) {
            std::fprintf(stderr, "vorn: %s\n", error.c_str());
            return 2;
        }
        recording.path = std::filesystem::absolute(recording.path).string();
    }
    if (!enter_data_dir(choose_data_dir(o.data_dir), error)) {
        std::fprintf(stderr, "vorn: %s\n", error.c_str());
        return 2;
    }
    if (!o.still.empty()) return run_still(o.still, o.out);
    if (!recording.path.empty()) return run_recording(recording);

    SDL_SetMainReady();
    SDL_Init(0);
    int code;
    {
        SdlDialogs dialogs;
        SdlDisplay display(o.vsync);
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
