// Frame pacing by sleep and the frame statistics (see frame_pacer.h).
#include "show/frame_pacer.h"

#include <algorithm>
#include <cstdio>

namespace {
// Presents that return this many times in a row well inside the display's
// period mean vsync does not hold (a few fast ones happen while a
// compositor's queue fills).
constexpr int kFastPresentsToPace = 8;

// The p-th percentile by nearest rank, in milliseconds.
double percentile_ms(std::vector<int32_t> v, int p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t rank = (v.size() * static_cast<size_t>(p) + 99) / 100;
    return v[std::max<size_t>(rank, 1) - 1] / 1000.0;
}
} // namespace

void FramePacer::begin(int refresh_hz, bool vsync_granted) {
    period_us_ = 1000000 / (refresh_hz > 0 ? refresh_hz : 60);
    pacing_ = may_pace_ && !vsync_granted;
}

void FramePacer::frame_start() {
    start_ = clock_.now_us();
    if (first_start_ < 0) first_start_ = start_;
}

void FramePacer::rendered() {
    rendered_at_ = clock_.now_us();
    render_us_.push_back(static_cast<int32_t>(rendered_at_ - start_));
}

void FramePacer::presented() {
    int64_t now = clock_.now_us();
    present_us_.push_back(static_cast<int32_t>(now - rendered_at_));
    if (last_end_ >= 0) {
        const int64_t interval = now - last_end_;
        if (may_pace_ && !pacing_) {
            fast_in_a_row_ = interval * 4 < period_us_ * 3 ? fast_in_a_row_ + 1 : 0;
            if (fast_in_a_row_ >= kFastPresentsToPace) {
                pacing_ = true;
                deadline_ = now;
            }
        }
        if (interval * 2 > period_us_ * 3) ++missed_;
    } else {
        deadline_ = now;
    }
    if (pacing_) {
        deadline_ += period_us_;
        if (deadline_ < now - period_us_) deadline_ = now; // far behind: do not race to catch up
        if (now < deadline_) {
            clock_.sleep_until_us(deadline_);
            now = clock_.now_us();
        }
    }
    last_end_ = shown_until_ = now;
}

std::string FramePacer::report() const {
    const size_t frames = present_us_.size();
    const double seconds = frames ? (shown_until_ - first_start_) / 1e6 : 0;
    char text[512];
    int n = std::snprintf(text, sizeof text,
                          "frames: %zu shown in %.2f s, %.1f per second; display period %.2f ms, "
                          "paced by sleep: %s\n",
                          frames, seconds, seconds > 0 ? frames / seconds : 0.0,
                          period_us_ / 1000.0, pacing_ ? "yes" : "no");
    const char* names[] = {"render ms: ", "present ms:"};
    const std::vector<int32_t>* series[] = {&render_us_, &present_us_};
    for (int i = 0; i < 2; ++i)
        n += std::snprintf(text + n, sizeof text - static_cast<size_t>(n),
                           "%s p50 %.2f  p95 %.2f  p99 %.2f  max %.2f\n", names[i],
                           percentile_ms(*series[i], 50), percentile_ms(*series[i], 95),
                           percentile_ms(*series[i], 99), percentile_ms(*series[i], 100));
    std::snprintf(text + n, sizeof text - static_cast<size_t>(n),
                  "missed the display's period: %d frames\n", missed_);
    return text;
}
