// A recording's progress line (see progress.h).
#include "show/progress.h"

#include "core/clock.h"

std::string clock_text(double seconds) {
    if (seconds < 0) seconds = 0;
    const int64_t tenths = static_cast<int64_t>(seconds * 10 + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", static_cast<long long>(tenths / 600),
                  static_cast<long long>(tenths / 10 % 60), static_cast<long long>(tenths % 10));
    return text;
}

Progress::Progress(int64_t total_frames, FrameRate rate, bool terminal)
    : total_(total_frames), rate_(rate), terminal_(terminal), started_ms_(clock_ms()) {}

double Progress::elapsed() const {
    return static_cast<double>(clock_ms() - started_ms_) / 1000.0;
}

void Progress::update(int64_t frames) {
    const int64_t now = clock_ms();
    if (!terminal_) {
        // A log or a pipe: one whole line at each tenth of the way.
        const int64_t tenth = total_ > 0 ? frames * 10 / total_ : 0;
        if (tenth <= logged_tenth_ || tenth >= 10) return;
        logged_tenth_ = tenth;
    } else if (now - drawn_ms_ < 250 && frames < total_) {
        return;
    }
    drawn_ms_ = now;
    const int64_t total = frames > total_ ? frames : total_;
    const double shown = static_cast<double>(frames) / rate_.fps();
    const double wall = static_cast<double>(now - started_ms_) / 1000.0;
    const double speed = wall > 0 ? shown / wall : 0;
    const double left = speed > 0 ? static_cast<double>(total - frames) / rate_.fps() / speed : 0;
    constexpr int kWidth = 24;
    char bar[kWidth + 1];
    const int64_t full = total > 0 ? frames * kWidth / total : 0;
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < full ? '#' : '.';
    bar[kWidth] = 0;
    std::fprintf(stderr,
                 terminal_ ? "\r[%s] %lld/%lld frames  %s of %s  %.1fx real time  %s left\033[K"
                           : "[%s] %lld/%lld frames  %s of %s  %.1fx real time  %s left\n",
                 bar, static_cast<long long>(frames), static_cast<long long>(total),
                 clock_text(shown).c_str(),
                 clock_text(static_cast<double>(total) / rate_.fps()).c_str(), speed,
                 clock_text(left).c_str());
    std::fflush(stderr);
    drawn_ = terminal_;
}

void Progress::lead_in(int64_t frames, int64_t total) {
    if (!terminal_) return;
    const int64_t now = clock_ms();
    if (now - started_ms_ < 500 || (now - drawn_ms_ < 250 && frames < total)) return;
    drawn_ms_ = now;
    std::fprintf(stderr, "\rplaying the show up to the stretch: %lld of %lld frames\033[K",
                 static_cast<long long>(frames),
                 static_cast<long long>(total > frames ? total : frames));
    std::fflush(stderr);
    drawn_ = true;
}

void Progress::finish(const std::string& summary) {
    if (drawn_) std::fputs("\r\033[K", stderr);
    drawn_ = false;
    if (!summary.empty()) std::fprintf(stderr, "%s\n", summary.c_str());
}
