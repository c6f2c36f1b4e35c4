// The flash check mode (see flash_check.h).
#include "app/flash_check.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/stop_signals.h"
#include "core/sync.h"
#include "music/music_timeline.h"
#include "safety/flash_check.h"
#include "scenes/scenes.h"
#include "show/gentle_sink.h"
#include "show/progress.h"
#include "show/recorder.h"
#include "show/show.h"

namespace {

// Where the recorder's frames go: into the check, each at its time, with
// the scene that drew it.
class CheckSink : public NullSink {
  public:
    explicit CheckSink(FrameRate rate) : rate_(rate) {}
    void video(const uint32_t* frame) override {
        if (sync_scene() < kSceneCount) scene_ = sync_scene();
        check_.frame(frame, frame_time_us(rate_, frames_++), scene_);
    }
    const FlashCheck& check() const { return check_; }

  private:
    FrameRate rate_;
    FlashCheck check_;
    int64_t frames_ = 0;
    int scene_ = -1;
};

std::string minutes(int64_t second) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(second / 60),
                  static_cast<long long>(second % 60));
    return text;
}

// "general 8.5 flashes, red 4 flashes"
std::string counts_text(const FailingSecond& s) {
    std::string text;
    if (s.general) text = "general " + flashes_text(s.general) + " flashes";
    if (s.red) text += (text.empty() ? "red " : ", red ") + flashes_text(s.red) + " flashes";
    return text;
}

// The failing seconds, then one line for all.
void report(const FlashCheck& check, const GentleSink* gentle) {
    int general = 0, red = 0, worst = 0;
    for (const FailingSecond& s : check.failing()) {
        std::printf("%s  scene %d  %s\n", minutes(s.second).c_str(), s.scene,
                    counts_text(s).c_str());
        general += s.general ? 1 : 0;
        red += s.red ? 1 : 0;
        worst = std::max({worst, s.general, s.red});
    }
    const long long seconds = static_cast<long long>(check.seconds());
    const size_t failing = check.failing().size();
    if (failing == 0)
        std::printf("vorn: flash check: none of the %lld seconds breaks the flash rules", seconds);
    else
        std::printf("vorn: flash check: %zu of %lld seconds break the flash rules (general: %d, "
                    "red: %d), up to %s flashes in one; vorn --gentle keeps to them",
                    failing, seconds, general, red, flashes_text(worst).c_str());
    if (gentle) {
        const GentleFilter& f = gentle->filter();
        std::printf(" (gentle: %lld of %lld frames exactly as drawn, %.1f%%)",
                    static_cast<long long>(f.exact_frames()), static_cast<long long>(f.frames()),
                    f.frames() ? 100.0 * static_cast<double>(f.exact_frames()) /
                                     static_cast<double>(f.frames())
                               : 0.0);
    }
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int run_flash_check(const FlashCheckRequest& request) {
    install_stop_signals();
    mark_show_started();

    RecordSettings settings;
    settings.rate = request.rate;
    settings.stop = stop_flag();
    settings.module_file = read_module_file("vorn.xm");
    CheckSink check(request.rate);
    std::unique_ptr<GentleSink> gentle;
    if (request.gentle) gentle = std::make_unique<GentleSink>(check, request.rate);
    Recorder recorder(gentle ? static_cast<FrameSink&>(*gentle) : check, settings);

    // A progress line where someone watches it.
    std::unique_ptr<Progress> progress;
    if (isatty(STDERR_FILENO)) {
        const int64_t length_ms = show_length_ms(settings.module_file->bytes, {}, std::nullopt);
        progress = std::make_unique<Progress>(
            request.rate.frames_until(std::max<int64_t>(0, length_ms) * kRecordRate / 1000),
            request.rate, true);
        recorder.on_frame = [&](int64_t frames) { progress->update(frames); };
        recorder.before_error = [&] { progress->finish(""); };
    }

    NoDialogs dialogs;
    ShowPlatform platform{recorder, recorder, dialogs, recorder, scene_table(), {true, false}};
    const int code = run_show(platform);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (progress) progress->finish("");
    if (code != 0) return code;
    if (recorder.interrupted()) {
        std::fprintf(stderr, "vorn: flash check stopped after %lld frames\n",
                     static_cast<long long>(recorder.frames()));
        return 128 + stop_signal_number();
    }
    report(check.check(), gentle.get());
    return check.check().failing().empty() ? 0 : 1;
}
