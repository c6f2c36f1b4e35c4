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
#include "app/stop_signals.h"
#include "core/sync.h"
#include "music/music_timeline.h"
#include "music/xm_sync.h"
#include "scenes/consumed_flags.h"
#include "sdl/program_dir.h"
#include "sdl/video_loader.h"
#include "show/frame_files.h"
#include "show/frame_folder.h"
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
            std::fprintf(
                stderr,
                "vorn: note: %s is what an earlier run recorded before it was killed "
                "(%.1f MB, %d whole fragments of a second or more that play); rename it to "
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

} // namespace

int run_recording(const RecordRequest& request) {
    // Nothing is asked: from here on Ctrl+C or SIGTERM stops the recording
    // (before its first frame, if it comes while the show loads), and a
    // second one ends the program at once.
    install_stop_signals();
    mark_show_started();

    // The output's place is settled before any work: a frames folder is
    // claimed (created, or empty, and locked); a video file's folder must
    // exist and take new files, its name must not be a folder, and the file
    // is written under a working name of this run's own.
    FrameFolder folder;
    std::string working;
    std::string error;
    if (request.frames) {
        if (!folder.claim(request.path, request.overwrite, error)) {
            std::fprintf(stderr, "vorn: %s\n", error.c_str());
            return 1;
        }
    } else {
        const std::filesystem::path parent = std::filesystem::path(request.path).parent_path();
        std::error_code ec;
        if (!std::filesystem::is_directory(parent, ec)) {
            std::fprintf(stderr, "vorn: cannot write %s: the folder %s does not exist\n",
                         request.path.c_str(), parent.string().c_str());
            return 1;
        }
        // What would only fail when the finished file is moved to its name,
        // or when the working file is made, is refused before any frame.
        if (std::filesystem::is_directory(request.path, ec)) {
            std::fprintf(stderr,
                         "vorn: cannot write %s: it is a folder. Name a file for the recording, "
                         "e.g. %s/show%s\n",
                         request.path.c_str(), request.path.c_str(),
                         std::filesystem::path(request.path).extension().string().c_str());
            return 1;
        }
        if (::access(parent.c_str(), W_OK | X_OK) != 0) {
            std::fprintf(stderr,
                         "vorn: cannot write %s: the folder %s cannot be written to (%s). Record "
                         "into a folder of your own\n",
                         request.path.c_str(), parent.string().c_str(), std::strerror(errno));
            return 1;
        }
        report_leftovers(request.path);
        working = working_name(request.path, this_process());
    }

    RecordSettings settings;
    settings.rate = request.rate;
    settings.stop = stop_flag();

    // The module as the show will load it (read once: the player gets these
    // bytes); if it cannot be read, the show itself reports that as it
    // always does.
    settings.module_file = read_module_file("vorn.xm");
    const std::vector<uint8_t>& module = settings.module_file->bytes;
    XmSync sync;
    const bool readable = read_xm_sync(module.data(), module.size(), sync, nullptr);
    // The rows the stretch runs between: the recorder plays the show from its
    // start and keeps what follows `from` (so the stretch starts in the state
    // the whole show has there). --to may name the position just past the
    // last order: the end.
    int64_t from_ms = 0;
    if (readable && request.from) {
        const auto found = find_position(module, *request.from, "--from", error);
        if (found) settings.from = found->at, from_ms = found->start_ms;
    }
    if (readable && error.empty() && request.to &&
        !(request.to->kind == PositionName::Kind::Order &&
          request.to->value == static_cast<int64_t>(sync.orders.size()))) {
        const auto found = find_position(module, *request.to, "--to", error);
        if (found && found->start_ms <= from_ms)
            error = "--to " + request.to->text + " must come after --from" +
                    (request.from ? " " + request.from->text : std::string(" (the start)"));
        if (found) settings.to = found->at;
    }
    if (!error.empty()) {
        folder.release(true);
        std::fprintf(stderr, "vorn: %s\n", error.c_str());
        return 2;
    }
    const int64_t length_ms = readable ? show_length_ms(module, settings.from, settings.to) : 0;
    const int64_t total = request.rate.frames_until(length_ms * kRecordRate / 1000);
    const int64_t lead_in = request.rate.frames_until(from_ms * kRecordRate / 1000);

    std::unique_ptr<FrameSink> sink;
    if (request.frames) {
        sink = std::make_unique<FrameFiles>(request.path, request.scale);
    } else {
        try {
            sink = load_video_encoder(video_module_path(program_dir()), working, request.path,
                                      *container_for(request.path), request.scale, request.rate);
        } catch (const RecordError& e) {
            std::fprintf(stderr, "vorn: %s\n", e.what());
            return 1;
        }
    }
    Recorder recorder(*sink, settings);
    Progress progress(total, request.rate, isatty(STDERR_FILENO) != 0);
    recorder.on_frame = [&](int64_t frames) { progress.update(frames); };
    recorder.on_skip = [&](int64_t skipped) { progress.lead_in(skipped, lead_in); };
    recorder.before_error = [&] { progress.finish(""); };

    NoDialogs dialogs;
    ShowPlatform platform{recorder, recorder, dialogs, recorder, scene_table(), {true, false}};
    const int code = run_show(platform);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    const int stopped = 128 + stop_signal_number();

    // Nothing that failed or holds no frame is left under any name.
    if (code != 0 || recorder.frames() == 0) {
        sink->discard();
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
        return recorder.interrupted() ? stopped : 1;
    }

    std::string place = request.path;
    std::string replaced;
    if (!request.frames) {
        std::error_code ec;
        if (recorder.interrupted()) {
            place = keep_stopped(working, request.path, error);
        } else {
            const bool existed = std::filesystem::exists(request.path, ec);
            if (!move_replacing(working, request.path, error)) place.clear();
            if (existed) replaced = " (it replaces the earlier file of that name)";
        }
        if (place.empty()) {
            sink->discard();
            progress.finish("vorn: " + error);
            return 1;
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
    return 0;
}
