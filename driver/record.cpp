// The recording mode of the program (see record.h).
#include "driver/record.h"

#include "assets/file_bytes.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "core/sync.h"
#include "driver/data_dir.h"
#include "driver/frame_files.h"
#include "driver/music_timeline.h"
#include "driver/progress.h"
#include "driver/recorder.h"
#include "driver/show.h"
#include "driver/video_module.h"
#include "driver/xm_sync.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void on_stop_signal(int signal) {
    g_stop = signal;
}

// Ctrl+C and SIGTERM end the recording after the current frame; a second
// one ends the process at once.
void catch_stop_signals() {
    struct sigaction sa {};
    sa.sa_handler = on_stop_signal;
    sa.sa_flags = SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

// Nothing is asked while recording; errors are printed by the show.
class NoDialogs : public Dialogs {
  public:
    bool ask_yes_no(const char*, const char*) override { return true; }
    int choose(const char*, const char*, const std::vector<std::string>&) override { return -1; }
    void show_error(const char*, const char*) override {}
};

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

int run_recording(const RecordRequest& request) {
    RecordSettings settings;
    settings.rate = request.rate;
    settings.from = request.from;
    settings.to = request.to;
    settings.stop = &g_stop;

    // The module as the show will load it; if it cannot be read, the show
    // itself reports that as it always does.
    const std::shared_ptr<const FileRead> module_file = read_module_file("vorn.xm");
    const std::vector<uint8_t>& module = module_file->bytes;
    XmSync sync;
    const bool readable = read_xm_sync(module.data(), module.size(), sync, nullptr);
    if (readable && (request.from > 0 || request.to >= 0)) {
        std::string error = request.to >= 0 ? order_position_problem(module, "--to", request.to,
                                                                     /*one_past_end=*/true)
                                            : "";
        if (error.empty())
            start_state_for(module, "--from", request.from, settings.from_state, error);
        if (!error.empty()) {
            std::fprintf(stderr, "vorn: %s\n", error.c_str());
            return 2;
        }
    }
    const int64_t length_ms = readable ? show_length_ms(module, request.from, request.to) : 0;
    const int64_t total = request.rate.frames_until(length_ms * kRecordRate / 1000);

    std::unique_ptr<FrameSink> sink;
    if (request.frames) {
        sink = std::make_unique<FrameFiles>(request.path, request.scale);
    } else {
        try {
            sink = load_video_encoder(video_module_path(program_dir()), request.path,
                                      *container_for(request.path), request.scale, request.rate);
        } catch (const RecordError& e) {
            std::fprintf(stderr, "vorn: %s\n", e.what());
            return 1;
        }
    }
    Recorder recorder(*sink, settings);
    Progress progress(total, request.rate, isatty(STDERR_FILENO) != 0);
    recorder.on_frame = [&](int64_t frames) { progress.update(frames); };
    recorder.before_error = [&] { progress.finish(""); };

    catch_stop_signals();
    NoDialogs dialogs;
    ShowPlatform platform{recorder, recorder, dialogs, recorder, scene_table(), {true, false}};
    const int code = run_show(platform);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (code != 0) {
        progress.finish("");
        return code;
    }

    const double seconds = static_cast<double>(recorder.frames()) / request.rate.fps();
    const double wall = progress.elapsed();
    char line[512];
    std::snprintf(line, sizeof line, "%lld frames (%s) at %g fps, %s, in %s (%.1fx real time)",
                  static_cast<long long>(recorder.frames()), clock_text(seconds).c_str(),
                  request.rate.fps(), size_text(request.path).c_str(), clock_text(wall).c_str(),
                  wall > 0 ? seconds / wall : 0.0);
    if (recorder.interrupted()) {
        progress.finish("vorn: stopped; " + request.path + " holds what was recorded: " + line);
        return 128 + static_cast<int>(g_stop);
    }
    progress.finish("vorn: recorded " + request.path + ": " + line);
    return 0;
}
