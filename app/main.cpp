// vorn: the show's entry point. Reads the options, finds the data folder,
// and either plays the show, records it, or renders a still. Loading progress
// is printed in the live show (or with --verbose); load failures always are.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/check_mode.h"
#include "app/cue_mode.h"
#include "app/data_dir.h"
#include "app/data_reload.h"
#include "app/data_watch.h"
#include "app/exit_status.h"
#include "app/flash_check.h"
#include "app/options.h"
#include "app/record.h"
#include "app/stop_signals.h"
#include "app/terminal.h"
#include "app/timeline.h"
#include "assets/load_report.h"
#include "check/show_files.h"
#include "core/bands.h"
#include "core/clock.h"
#include "core/show_text.h"
#include "core/sync.h"
#include "music/music_timeline.h"
#include "music/xm_sync.h"
#include "music/xmp_player.h"
#include "safety/gentle_filter.h"
#include "scenes/consumed_flags.h"
#include "scenes/show_state.h"
#include "sdl/dialogs_sdl.h"
#include "sdl/display_probe.h"
#include "sdl/display_sdl.h"
#include "sdl/music_sdl.h"
#include "sdl/program_dir.h"
#include "sdl/sdl_library.h"
#include "show/saved_frame.h"
#include "show/show.h"
#include "show/still.h"

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
    bool stop_asked() override { return stop_requested() || SdlDisplay::stop_asked(); }
};

// With --gentle, the filter whose pictures the live show shows: S saves its
// picture, not the frame as drawn.
const GentleFilter* shown_filter = nullptr;

void save_shown_frame(const uint32_t* frame, const std::string& folder) {
    const uint32_t* shown = shown_filter ? shown_filter->shown() : nullptr;
    save_numbered_frame(shown ? shown : frame, folder);
}

class SleepingPaceClock : public PaceClock {
  public:
    int64_t now_us() override { return clock_us(); }
    void sleep_until_us(int64_t t) override { ::sleep_until_us(t); }
};

// --timeline: the module's order positions, times, scenes and flags.
int print_timeline() {
    const std::shared_ptr<const FileRead> module_file = read_module_file("vorn.xm");
    XmpPlayer player;
    if (!player.load_file("vorn.xm", module_file) || !player.start(8000))
        return refuse(player.error(), kExitBadData); // as for every data file the show cannot use
    std::fputs(timeline_table(order_timeline(module_file->bytes)).c_str(), stdout);
    return kExitDone;
}

// What --record, --frames and --or-record ask for (an empty path: play live).
// --or-record records only where no display can be opened.
RecordRequest recording_asked(const Options& o) {
    std::string record = o.record;
    if (!o.or_record.empty() && o.record.empty() && o.frames.empty() && o.still.empty()) {
        std::string why;
        if (!display_available(why)) {
            std::fprintf(stderr,
                         "vorn: %s, so the show is recorded to %s instead (about 4 to 6 minutes, "
                         "about 140 MB; play it with any video player)\n",
                         why.c_str(), o.or_record.c_str());
            record = o.or_record;
        }
    }
    return {o.frames.empty() ? record : o.frames,
            !o.frames.empty(),
            FrameRate{o.fps_num, o.fps_den},
            record_scale(o),
            o.from,
            o.to,
            o.overwrite};
}

// The live show in a window or full screen, with sound; `started_in` is
// where saved frames go.
int play_live(const Options& o, const std::filesystem::path& started_in) {
    std::string error;
    // Read once: --start's state comes from it and the player is given it.
    const std::shared_ptr<const FileRead> module_file = read_module_file("vorn.xm");
    SongPosition start;
    if (o.start) {
        const auto found = find_position(module_file->bytes, *o.start, "--start", error);
        if (!found) return refuse(error, kExitBadRequest);
        start = found->at;
    }
    // Paced by the display, a frame takes a small part of its period on one
    // core, and a second drawing thread would only add work (and heat);
    // unpaced, frames come as fast as two bands can draw them.
    if (o.vsync) set_band_count(1);
    std::string why;
    if (!display_available(why))
        return refuse("cannot open a display: " + why +
                          ". Start the show from a desktop session, or record it with --record "
                          "FILE.mp4",
                      kExitFailed);

    const SdlLibrary sdl;
    SdlDialogs dialogs;
    DisplaySettings settings{o.vsync, o.integer_scale, window_scale(o), o.display, o.controls};
    GentleFilter gentle;
    if (o.gentle) {
        settings.picture = [&gentle](const uint32_t* frame) {
            return gentle.filter(frame, clock_us());
        };
        shown_filter = &gentle;
    }
    LiveDisplay display(settings);
    SdlMusic music(dialogs, o.no_sound, sync_callback);
    music.set_audio_offset_ms(o.audio_offset_ms);
    music.set_module_file(module_file);
    SteadyClock clock;
    SleepingPaceClock pace_clock;
    FramePacer pacer(pace_clock, o.vsync);
    ShowAnswers answers{o.auto_sound, o.fullscreen};
    if (o.no_sound && !answers.auto_sound) answers.auto_sound = true; // nothing to configure
    ShowPlatform p{display,
                   music,
                   dialogs,
                   clock,
                   scene_table(),
                   answers,
                   start,
                   module_file,
                   &pacer,
                   {o.loop, started_in.string(), save_shown_frame},
                   {remember_start_state, restore_start_state}};
    if (o.watch) {
        std::vector<std::string> watched;
        for (const ShowFile& f : show_files())
            watched.push_back(f.name);
        // Between frames: changed files, once quiet, go into the show.
        p.player.between_frames = [watch = DataWatch(watched), &music](ShowPlayer& player) mutable {
            const std::vector<std::string> changed = watch.poll(clock_ms());
            if (changed.empty()) return;
            reload_data(player, changed,
                        [&music](std::shared_ptr<const FileRead> file, std::string& error) {
                            return music.replace_module(std::move(file), error);
                        });
        };
    }
    const std::clock_t cpu_start = std::clock();
    const int code = run_show(p);
    if (o.stats && code == 0) {
        const double cpu_s = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
        std::printf("%supload ms:  mean %.2f (part of present)\nprocess CPU: %.1f s\n%s",
                    pacer.report().c_str(), display.mean_upload_ms(), cpu_s,
                    music.latency_report().c_str());
        std::fflush(stdout);
    }
    return code;
}

} // namespace

// The program's modes: help, version, the timeline, a still, a recording, or
// the live show.
int main(int argc, char** argv) {
    Options o;
    std::string error;
    if (!parse_options(argc, argv, o, error))
        return refuse(error + " (try vorn --help)", kExitBadRequest);
    // From the first moment a signal ends the program with a word (see
    // stop_signals.h), not silently.
    install_stop_signals();
    set_show_text_utf8(is_terminal(stdout) && locale_reads_utf8());
    if (o.help) {
        std::fputs(usage_text(), stdout);
        return kExitDone;
    }
    if (o.version) {
        std::printf("vorn %s\n", VORN_VERSION);
        return kExitDone;
    }
    // Saved frames go where the program was started, and a still or a
    // recording where the user asked, not into the data folder.
    std::error_code cwd_error;
    const std::filesystem::path started_in = std::filesystem::current_path(cwd_error);
    // The cue sheets work on the files named, not on the data folder.
    if (!o.cues.empty()) return write_cue_sheet(o.cues, o.module, o.out);
    if (!o.cues_from.empty()) return print_cue_sheet(o.cues_from);
    if (!o.out.empty()) {
        // One rule for every file the program writes: its name says its kind.
        if (std::filesystem::path(o.out).extension() != ".png" &&
            std::filesystem::path(o.out).extension() != ".PNG")
            return refuse("cannot write \"" + o.out + "\": the file name must end in .png",
                          kExitBadRequest);
        o.out = std::filesystem::absolute(o.out).string();
    }
    RecordRequest recording = recording_asked(o);
    recording.gentle = o.gentle;
    if (!recording.path.empty()) {
        if (!recording.frames && !check_record_target(recording.path, error))
            return refuse(error, kExitBadRequest);
        recording.path = std::filesystem::absolute(recording.path).string();
    }
    set_load_progress((o.still.empty() && recording.path.empty() && !o.flash_check && !o.check) ||
                      o.verbose);
    if (!enter_data_dir(choose_data_dir(o.data_dir, program_dir()), error))
        return refuse(error, kExitBadRequest);

    if (o.timeline) return print_timeline();
    if (o.check) return run_check(o.json);
    if (o.flash_check) return run_flash_check({FrameRate{o.fps_num, o.fps_den}, o.gentle});
    if (!o.still.empty()) return run_still(o.still, o.out);
    if (!recording.path.empty()) return run_recording(recording);
    return play_live(o, started_in);
}
