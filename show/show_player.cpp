// The show as a viewer steers it (see show_player.h).
#include "show/show_player.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <optional>

#include "core/clock.h"
#include "core/screen.h"
#include "core/sync.h"
#include "music/music_timeline.h"
#include "show/replay.h"

ShowPlayer::ShowPlayer(ShowPlatform& p)
    : clock_(p.clock), p_{p.display, p.music,       p.dialogs, clock_,   p.scenes,     p.answers,
                          p.start,   p.module_file, p.pacer,   p.player, p.start_state},
      looping_(p.player.loop) {
    if (p_.start_state.remember) p_.start_state.remember();
    if (p_.module_file)
        for (const OrderVisit& v : order_timeline(p_.module_file->bytes)) {
            positions_.push_back(v.position);
            starts_ms_.push_back(v.start_ms);
        }
}

// The show from the state it has now (as set-up left it) played without
// output up to `order`, with a word on the display while that takes long,
// and given up as soon as the viewer ends the show.
bool ShowPlayer::replay_to(SongPosition to) {
    uint32_t* frame = p_.display.lock();
    int64_t at = 0;
    if (!to.at_start()) {
        const int64_t started = clock_ms();
        const auto progress = [&](int64_t frames) {
            if (p_.display.key_waiting()) return false;
            if (frames % 30 != 0 || clock_ms() - started < 500) return true;
            char text[80];
            std::snprintf(text, sizeof text, "going to order position %d, row %d: %lld frames",
                          to.order, to.row, static_cast<long long>(frames));
            p_.display.note(text);
            return true;
        };
        at = ::replay_to(loop_, p_.scenes, p_.module_file, to, frame, progress);
        p_.display.note("");
    }
    p_.display.unlock();
    stopped_ = at == kReplayGivenUp;
    if (at < 0) return false;
    clock_.set(at);
    return true;
}

bool ShowPlayer::begin(SongPosition at) {
    clock_.set(0);
    return replay_to(at);
}

// Back to the state saved after set-up, then on to the row `at`.
bool ShowPlayer::go_to(SongPosition at) {
    if (!p_.start_state.restore) return false;
    p_.start_state.restore();
    loop_ = ShowLoop();
    uint32_t* frame = p_.display.lock();
    std::fill(frame, frame + kFramePixels, 0u);
    p_.display.unlock();
    return replay_to(at);
}

int ShowPlayer::current_order() {
    const int64_t now = clock_.now_ms();
    int found = positions_.empty() ? 0 : positions_.front();
    for (size_t i = 0; i < starts_ms_.size() && starts_ms_[i] <= now; ++i)
        found = positions_[i];
    return found;
}

size_t ShowPlayer::jump_index(Control c, size_t i, int64_t since_ms) const {
    if (c == Control::Restart) return 0;
    if (c == Control::Forward) return std::min(i + 1, positions_.size() - 1);
    return i > 0 && since_ms < 2000 ? i - 1 : i; // Back
}

void ShowPlayer::handle(Control c) {
    switch (c) {
    case Control::None:
    case Control::Back:
    case Control::Forward:
    case Control::Restart:
        return; // jumps are run_once's
    case Control::Pause:
        paused_ = !paused_;
        if (paused_)
            clock_.pause();
        else
            clock_.resume();
        p_.music.pause(paused_);
        return;
    case Control::Fullscreen:
        p_.display.toggle_fullscreen();
        return;
    case Control::SaveFrame:
        if (p_.player.save_frame) {
            p_.player.save_frame(p_.display.lock(), p_.player.save_folder);
            p_.display.unlock();
        }
        return;
    case Control::Loop:
        looping_ = !looping_;
        std::fprintf(stderr, "vorn: looping %s\n", looping_ ? "on" : "off");
        return;
    }
}

bool ShowPlayer::seek(SongPosition at) {
    p_.music.pause(true);
    const bool there = go_to(at);
    if (there) {
        p_.music.seek(at);
        if (paused_) clock_.pause();
    }
    p_.music.pause(paused_);
    return there;
}

bool ShowPlayer::run_once() {
    // Every control waiting is taken now; the jumps among them fold into one,
    // each going on from where the one before it leads (which began just now).
    std::optional<size_t> jump;
    for (Control c; (c = p_.display.take_control()) != Control::None;) {
        if (c != Control::Back && c != Control::Forward && c != Control::Restart) {
            handle(c);
            continue;
        }
        if (positions_.empty()) {
            jump = 0;
        } else if (jump) {
            jump = jump_index(c, *jump, 0);
        } else {
            const auto at = std::find(positions_.begin(), positions_.end(), current_order());
            const size_t i = static_cast<size_t>(at - positions_.begin());
            assert(i < positions_.size()); // current_order() is one of them
            jump = jump_index(c, i, clock_.now_ms() - starts_ms_[i]);
        }
    }
    if (jump) {
        if (p_.display.key_waiting()) return false;
        seek(positions_.empty() ? SongPosition{} : SongPosition{positions_[*jump], 0});
        if (stopped_) return false;
    }
    if (paused_) {
        last_step_ = ShowLoop::Step::Held;
        if (p_.display.key_waiting()) return false;
        // The frame stays; shown again now and then (after the window was
        // covered or resized).
        if (++idle_passes_ % 30 == 0) p_.display.present();
        p_.display.idle();
        return true;
    }
    const ShowLoop::Step step = last_step_ = loop_.step(p_);
    const bool music_end = sync_scene() == kSceneEnd || p_.music.song_over();
    if (looping_ && music_end && !p_.display.stop_asked()) {
        ++loops_;
        seek({});
        return !stopped_;
    }
    return step != ShowLoop::Step::Ended;
}
