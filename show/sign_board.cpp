// The player's signs for its viewer (see sign_board.h).
#include "show/sign_board.h"

#include <utility>

#include "core/clock.h"

void SignBoard::paused(bool on) {
    signs_.paused = on;
    d_.show_signs(signs_);
    if (on) d_.redraw(); // playing on, the next frame comes at once
}

void SignBoard::caption(std::string text, bool now) {
    signs_.caption = std::move(text);
    signs_.caption_until_ms = clock_ms() + kCaptionMs;
    d_.show_signs(signs_);
    if (now) d_.redraw();
}

void SignBoard::progress(const std::string& text) {
    const int64_t now = clock_ms();
    if (now - progress_shown_ms_ < 200) return;
    progress_shown_ms_ = now;
    signs_.progress = text;
    d_.show_signs(signs_);
    d_.redraw(); // no frame comes while a jump is on its way
}

void SignBoard::arrived() {
    if (signs_.progress.empty()) return;
    signs_.progress.clear();
    d_.show_signs(signs_);
}

void SignBoard::jumped(int order, int64_t ms) {
    caption_due_ = true;
    jump_order_ = order;
    jump_ms_ = ms;
}

void SignBoard::drawn(int scene) {
    if (caption_due_) caption_now(scene);
}

void SignBoard::caption_now(int scene) {
    caption_due_ = false;
    signs_.caption = jump_caption(jump_order_, scene, jump_ms_);
    signs_.caption_until_ms = clock_ms() + kCaptionMs;
    d_.show_signs(signs_);
}
