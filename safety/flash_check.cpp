// Counting flashes over frames (see flash_check.h).
#include "safety/flash_check.h"

#include <algorithm>

void FlashCheck::frame(const uint32_t* pixels, int64_t time_us, int scene) {
    measure_frame(pixels, measures_);
    meter_.sum(measures_, sums_);
    state_.next_frame(time_us);
    state_.show(sums_);
    ++frames_;

    const int64_t second = time_us / TransitionCounts::kSecondUs;
    seconds_ = std::max(seconds_, second + 1);
    for (const FlashKind kind : {kGeneralFlash, kRedFlash}) {
        if (state_.over(kind) == 0) continue;
        if (failing_.empty() || failing_.back().second != second)
            failing_.push_back({second, scene, 0, 0});
        FailingSecond& now = failing_.back();
        int& worst = kind == kGeneralFlash ? now.general : now.red;
        const int most = state_.most(kind);
        if (most <= worst) continue;
        worst = most;
        now.scene = scene;
    }
}

std::string flashes_text(int transitions) {
    return std::to_string(transitions / 2) + (transitions % 2 ? ".5" : "");
}
