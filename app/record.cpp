// The recording mode of the program (see record.h).
#include "app/record.h"

#include "assets/file_bytes.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "app/data_dir.h"
#include "app/exit_status.h"
#include "app/stop_signals.h"
#include "core/sync.h"
#include "music/music_timeline.h"
#include "music/xm_sync.h"
#include "scenes/consumed_flags.h"
#include "sdl/program_dir.h"
#include "sdl/video_loader.h"
#include "show/frame_files.h"
#include "show/frame_folder.h"
#include "show/gentle_sink.h"
#include "show/progress.h"
#include "show/record_files.h"
#include "show/recorder.h"
#include "show/show.h"

namespace {

std::string size_text(const std::string& path) {
    std::error_code ec;
    uintmax_t bytes = 0;
    if (std::filesystem::is_directory(path, ec)) {
        for (const auto& e : std::filesystem::directory_iterator(path, ec))
            if (e.is_regular_file(ec)) bytes += e.file_size(ec);
    } else {
        bytes = std::filesystem::file_size(path, ec);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

} // namespace

bool check_record_target(const std::string& path, std::string& error) {
    if (container_for(path)) return true;
    error = "cannot record to \"" + path + "\": the file name must end in .mp4 (H.264 and AAC) " +
            "or .mkv (lossless FFV1 and FLAC)";
    return false;
}

namespace {

// Working files of this name that earlier runs left: one still being written
// is named, one that holds nothing is removed, one that holds a playable
// part is named with what it holds.
void report_leftovers(const std::string& final_path) {
    for (const Leftover& l : find_leftovers(final_path)) {
        if (l.running) {
            std::fprintf(stderr,
                         "vorn: note: another vorn (process %ld) is recording to %s as well; "
                         "whichever finishes last leaves its recording there\n",
                         l.pid, final_path.c_str());
            continue;
        }
        const int fragments = l.copy ? 0 : fragments_in(l.path);
        if (fragments <= 0) {
            std::error_code ec;
            if (std::filesystem::remove(l.path, ec))
                std::fprintf(stderr,
                             "vorn: removed %s: an earlier run was killed before it held a "
                             "playable part\n",
                             l.path.c_str());
            continue;
        }
        const double mb = static_cast<double>(l.bytes) / 1e6;
        if (container_for(l.path) == Container::Mp4)
            std::fprintf(stderr,
                         "vorn: note: %s is what an earlier run recorded before it was killed "
                         "(%.1f MB in %d whole fragments that play); rename it to "
                         "keep it, or delete it\n",
                         l.path.c_str(), mb, fragments);
        else
            std::fprintf(stderr,
                         "vorn: note: %s is what an earlier run recorded before it was killed "
                         "(%.1f MB that play up to where it stopped); rename it to keep it, or "
                         "delete it\n",
                         l.path.c_str(), mb);
    }
}

// A stopped recording is kept beside the name asked for, never over it or
// over any other file: show.partial.mp4, else show.partial-2.mp4, ...
std::string keep_stopped(const std::string& working, const std::string& final_path,
                         std::string& error) {
    for (int n = 1; n < 1000; ++n) {
        const std::string name = stopped_name(final_path, n);
        switch (move_keeping(working, name, error)) {
        case MoveResult::Moved:
            return name;
        case MoveResult::Exists:
            continue;
        case MoveResult::Failed:
            return "";
        }
    }
    error = "every name from " + stopped_name(final_path, 1) + " on is taken";
    return "";
}

// The output's place, settled before any work: a frames folder is claimed
// (created, or empty, and locked); a video file's folder must exist and take
// new files, its name must not be a folder, and the file is written under a
// working name of this run's own (`working`). Returns kExitDone, or the exit
// status after saying why.
int settle_output(const RecordRequest& request, FrameFolder& folder, std::string& working) {
    std::string error;
    if (request.frames)
        return folder.claim(request.path, request.overwrite, error) ? kExitDone
                                                                    : refuse(error, kExitFailed);
    const std::filesystem::path parent = std::filesystem::path(request.path).parent_path();
    std::error_code ec;
    if (!std::filesystem::is_directory(parent, ec))
        return refuse("cannot write " + request.path + ": the folder " + parent.string() +
                          " does not exist",
                      kExitFailed);
    // What would only fail when the finished file is moved to its name, or
    // when the working file is made, is refused before any frame.
    if (std::filesystem::is_directory(request.path, ec))
        return refuse("cannot write " + request.path +
                          ": it is a folder. Name a file for the recording, e.g. " + request.path +
                          "/show" + std::filesystem::path(request.path).extension().string(),
                      kExitFailed);
    if (::access(parent.c_str(), W_OK | X_OK) != 0)
        return refuse("cannot write " + request.path + ": the folder " + parent.string() +
                          " cannot be written to (" + std::strerror(errno) +
                          "). Record into a folder of your own",
                      kExitFailed);
    report_leftovers(request.path);
    working = working_name(request.path, this_process());
    return kExitDone;
}

// How long the recording is and how much of the show is played before it.
struct Stretch {
    int64_t from_ms = 0;   // where it starts in the show
    int64_t length_ms = 0; // how long it runs (0 when the module cannot be read)
};

// The rows the stretch runs between, into `settings`: the recorder plays the
// show from its start and keeps what follows `from` (so the stretch starts in
// the state the whole show has there). --to may name the position just past
// the last order: the end. False with the reason in `error` for a position
// the module lacks or --to not after --from. A module that cannot be read
// gives the whole show: the show itself reports it as it always does.
bool find_stretch(const RecordRequest& request, RecordSettings& settings, Stretch& stretch,
                  std::string& error) {
    const std::vector<uint8_t>& module = settings.module_file->bytes;
    XmSync sync;
    if (!read_xm_sync(module.data(), module.size(), sync, nullptr)) return true;
    int64_t from_row_ms = 0; // where the row `from` falls in begins
    if (request.from) {
        const auto found = find_position(module, *request.from, "--from", error);
        if (!found) return false;
        settings.from = found->at;
        stretch.from_ms = found->ms();
        from_row_ms = found->start_ms;
    }
    const bool to_the_end = request.to && request.to->kind == PositionName::Kind::Order &&
                            request.to->value == static_cast<int64_t>(sync.orders.size());
    if (request.to && !to_the_end) {
        const auto found = find_position(module, *request.to, "--to", error);
        if (!found) return false;
        if (found->ms() <= stretch.from_ms) {
            error = "--to " + request.to->text + " must come after --from" +
                    (request.from ? " " + request.from->text : std::string(" (the start)"));
            return false;
        }
        settings.to = found->at;
    }
    // The rows' length, less the part of the first row before a moment, and
    // no further than a moment as the end.
    const SongPosition from_row{settings.from.order, settings.from.row};
    const std::optional<SongPosition> to_row =
        settings.to && !settings.to->timed() ? settings.to : std::nullopt;
    const int64_t rows_ms = show_length_ms(module, from_row, to_row);
    if (rows_ms < 0) {
        stretch.length_ms = rows_ms;
        return true;
    }
    int64_t end_ms = from_row_ms + rows_ms;
    if (settings.to && settings.to->timed()) end_ms = std::min(end_ms, settings.to->time_ms);
    stretch.length_ms = std::max<int64_t>(0, end_ms - stretch.from_ms);
    return true;
}

// Where the frames and the sound go: PNG files and a WAV file, or the video
// encoder writing `working`; null after saying why it cannot be loaded.
std::unique_ptr<FrameSink> open_sink(const RecordRequest& request, const std::string& working) {
    if (request.frames) return std::make_unique<FrameFiles>(request.path, request.scale);
    try {
        return load_video_encoder(video_module_path(program_dir()), working, request.path,
                                  *container_for(request.path), request.scale, request.rate);
    } catch (const RecordError& e) {
        refuse(e.what(), kExitFailed);
        return nullptr;
    }
}

// After the show ended with `code`: what was recorded goes to its name (or,
// when stopped, beside it), or nothing is left under any name when the show
// failed or recorded no frame. Ends the progress line with the summary and
// returns the exit status.
int hand_over(const RecordRequest& request, const Recorder& recorder, FrameSink& sink,
              FrameFolder& folder, const std::string& working, Progress& progress, int code) {
    const int stopped = 128 + stop_signal_number();
    if (code != 0 || recorder.frames() == 0) {
        sink.discard();
        folder.release(true);
        if (code != 0) {
            progress.finish("");
            return code;
        }
        const std::string what =
            request.frames ? "no frames were written into " + request.path : "no file was written";
        progress.finish("vorn: nothing recorded: " +
                        std::string(recorder.interrupted()
                                        ? "stopped before the first frame"
                                        : "the music ends the show before its first frame") +
                        "; " + what);
        return recorder.interrupted() ? stopped : kExitFailed;
    }

    std::string place = request.path;
    std::string replaced;
    if (!request.frames) {
        std::string error;
        std::error_code ec;
        if (recorder.interrupted()) {
            place = keep_stopped(working, request.path, error);
        } else {
            const bool existed = std::filesystem::exists(request.path, ec);
            if (!move_replacing(working, request.path, error)) place.clear();
            if (existed) replaced = " (it replaces the earlier file of that name)";
        }
        if (place.empty()) {
            sink.discard();
            progress.finish("vorn: " + error);
            return kExitFailed;
        }
    }

    const double seconds = static_cast<double>(recorder.frames()) / request.rate.fps();
    const double wall = progress.elapsed();
    char line[512];
    std::snprintf(line, sizeof line, "%lld frames (%s) at %g fps, %s, in %s (%.1fx real time)",
                  static_cast<long long>(recorder.frames()), clock_text(seconds).c_str(),
                  request.rate.fps(), size_text(place).c_str(), clock_text(wall).c_str(),
                  wall > 0 ? seconds / wall : 0.0);
    if (recorder.interrupted()) {
        progress.finish("vorn: stopped; " + place + " holds what was recorded: " + line);
        return stopped;
    }
    progress.finish("vorn: recorded " + place + replaced + ": " + line);
    return kExitDone;
}

} // namespace

int run_recording(const RecordRequest& request) {
    // Nothing is asked: from here on Ctrl+C or SIGTERM stops the recording
    // (before its first frame, if it comes while the show loads), and a
    // second one ends the program at once.
    install_stop_signals();
    mark_show_started();

    FrameFolder folder;
    std::string working;
    if (const int status = settle_output(request, folder, working); status != kExitDone)
        return status;

    RecordSettings settings;
    settings.rate = request.rate;
    settings.stop = stop_flag();
    // The module as the show will load it (read once: the player gets these bytes).
    settings.module_file = read_module_file("vorn.xm");
    Stretch stretch;
    std::string error;
    if (!find_stretch(request, settings, stretch, error)) {
        folder.release(true);
        return refuse(error, kExitBadRequest);
    }

    const std::unique_ptr<FrameSink> sink = open_sink(request, working);
    if (!sink) return kExitFailed;
    std::unique_ptr<GentleSink> gentle;
    if (request.gentle) gentle = std::make_unique<GentleSink>(*sink, request.rate);
    Recorder recorder(gentle ? static_cast<FrameSink&>(*gentle) : *sink, settings);
    Progress progress(request.rate.frames_until(stretch.length_ms * kRecordRate / 1000),
                      request.rate, isatty(STDERR_FILENO) != 0);
    const int64_t lead_in = request.rate.frames_until(stretch.from_ms * kRecordRate / 1000);
    recorder.on_frame = [&](int64_t frames) { progress.update(frames); };
    recorder.on_skip = [&](int64_t skipped) {
        if (gentle) gentle->lead_in(recorder.lock());
        progress.lead_in(skipped, lead_in);
    };
    recorder.before_error = [&] { progress.finish(""); };

    NoDialogs dialogs;
    ShowPlatform platform{recorder, recorder, dialogs, recorder, scene_table(), {true, false}};
    const int code = run_show(platform);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    return hand_over(request, recorder, *sink, folder, working, progress, code);
}
