// Start-up, main loop and shutdown of the show (see show.h).
//
// The tick counter is the only time base the scenes get: 70 ticks per second
// of clock time since the current scene's loop began, restarting whenever the
// scene changes. Frames are rendered as fast as the loop runs, as the
// display's vertical sync lets it, or, where vsync does not hold, as the
// frame pacer lets it.
#include "show/show.h"

#include <cstdio>

#include "core/screen.h"
#include "core/sync.h"
#include "show/show_loop.h"
#include "show/show_player.h"

const char* const kSoundQuestion = "I'm your pimp, should the sound be auto configured?";
const char* const kSoundCaption = "Eat vorn you woman";
const char* const kScreenQuestion = "Want fullscren bitch?";
const char* const kScreenCaption = "Vi kastar gammal mulp i ditt nylle";
const char* const kMusicFailure = "Midas my ass!, somethings smelly..";

namespace {

bool ask(ShowPlatform& p, const std::optional<bool>& preset, const char* text,
         const char* caption) {
    if (preset) return *preset;
    return p.dialogs.ask_yes_no(text, caption);
}

int music_failure() {
    std::puts(kMusicFailure);
    std::fflush(stdout);
    return -1;
}

} // namespace

void run_main_loop(ShowPlatform& p) {
    ShowLoop loop;
    while (loop.step(p) != ShowLoop::Step::Ended) {
    }
}

int run_show(ShowPlatform& p) {
    screen_width = kFrameWidth;
    screen_height = kFrameHeight;
    try {
        const bool auto_sound = ask(p, p.answers.auto_sound, kSoundQuestion, kSoundCaption);
        if (!p.music.startup("vorn.xm", auto_sound ? 0 : 1)) return music_failure();
        set_up_tables_and_scenes(p.scenes);
        const bool fullscreen = ask(p, p.answers.fullscreen, kScreenQuestion, kScreenCaption);
        p.display.open("Vorn", fullscreen);
        if (p.pacer) p.pacer->begin(p.display.refresh_hz(), p.display.vsync_granted());
        ShowPlayer player(p);
        // Ended by the viewer on the way to the start position: nothing plays.
        const bool there = player.begin(p.start);
        if (!there && !player.stopped()) {
            p.display.close();
            return music_failure();
        }
        if (there && !p.music.start()) {
            p.display.close();
            return music_failure();
        }
        while (there && player.run_once())
            if (p.player.between_frames) p.player.between_frames(player);

        for (const SceneOps& s : p.scenes)
            s.release();
        p.display.close();
        if (!p.music.shutdown()) return music_failure();
        p.display.destroy();
        return 0;
    } catch (const PlatformError& e) {
        p.display.destroy();
        std::fprintf(stderr, "vorn: %s\n", e.what());
        p.dialogs.show_error("Vorn", e.what());
        // A failure is not a success: exit code 1.
        return 1;
    }
}
