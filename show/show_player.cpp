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
#include "scenes/show_state.h"
#include "show/replay.h"

ShowPlayer::ShowPlayer(ShowPlatform& p)
    : clock_(p.clock), p_{p.display, p.music,       p.dialogs, clock_,   p.scenes,     p.answers,
                          p.start,   p.module_file, p.pacer,   p.player, p.start_state},
      looping_(p.player.loop) {
    if (p_.start_state.remember) p_.start_state.remember();
    if (p_.start_state.restore && p_.module_file)
        snapshots_ = std::make_unique<SnapshotBuilder>(p_.scenes, p_.module_file);
    read_positions();
}

void ShowPlayer::read_positions() {
    positions_.clear();
    starts_ms_.clear();
    if (p_.module_file)
        for (const OrderVisit& v : order_timeline(p_.module_file->bytes)) {
            positions_.push_back(v.position);
            starts_ms_.push_back(v.start_ms);
        }
}

// A jump starts: the music waits, and the show is the jump's until it lands.
void ShowPlayer::start_jump(SongPosition to) {
    put_back_held(); // a replay starts from the show before the frame shown
    if (music_started_) p_.music.pause(true);
    jump_.reset(); // a jump on its way gives way to this one
    jump_.emplace();
    jump_->to = to;
    jump_->started_ms = clock_ms();
    // The frames to play, for the progress shown: up to the moment, or to
    // the start of the order position (rows into it are a short way more).
    if (to.timed()) jump_->target_frames = kReplayRate.first_frame_at(to.time_ms);
    for (size_t i = 0; i < positions_.size() && !to.timed(); ++i)
        if (positions_[i] == to.order) {
            jump_->target_frames = kReplayRate.frames_until(starts_ms_[i] * kRecordRate / 1000);
            break;
        }
    ++jumps_;
}

// The jump played on for about budget_ms of wall time (< 0: to its end):
// playback is played as far as the row once (the snapshots), then the show
// goes on from the last snapshot before it to the row. Without snapshots,
// from the state saved after set-up.
ShowPlayer::JumpState ShowPlayer::carry_jump(int64_t budget_ms) {
    Jump& j = *jump_;
    const int64_t until = budget_ms < 0 ? -1 : clock_ms() + budget_ms;
    bool out_of_time = false;
    const auto on_frame = [&](int64_t frames) {
        if (p_.display.key_waiting()) return false;
        j.frames = frames;
        show_progress();
        out_of_time = until >= 0 && clock_ms() >= until;
        return !out_of_time;
    };
    if (!j.replay && snapshots_ && !j.to.at_start()) {
        switch (snapshots_->reach(j.to, on_frame)) {
        case SnapshotBuilder::Reach::GivenUp:
            return out_of_time ? JumpState::Going : JumpState::GivenUp;
        case SnapshotBuilder::Reach::Never:
            return JumpState::Failed;
        case SnapshotBuilder::Reach::There:
            j.replay = std::make_unique<Replay>(loop_, p_.scenes, p_.module_file, j.to,
                                                &snapshots_->before(j.to), &snapshots_->log());
        }
    }
    if (!j.replay) {
        if (!p_.start_state.restore) return JumpState::Failed;
        p_.start_state.restore();
        loop_ = ShowLoop();
        uint32_t* frame = p_.display.lock();
        std::fill(frame, frame + kFramePixels, 0u);
        p_.display.unlock();
        if (j.to.at_start()) {
            j.landed_ms = 0;
            return JumpState::Landed;
        }
        j.replay = std::make_unique<Replay>(loop_, p_.scenes, p_.module_file, j.to);
    }
    const int64_t left = until < 0 ? -1 : std::max<int64_t>(0, until - clock_ms());
    const std::optional<int64_t> at = j.replay->run(
        left, [&](int64_t frames) { return on_frame(frames) || out_of_time; }, p_.display.lock());
    p_.display.unlock();
    if (!at) return JumpState::Going;
    if (*at == kReplayGivenUp) return JumpState::GivenUp;
    if (*at < 0) return JumpState::Failed;
    j.landed_ms = *at;
    j.music = j.replay->landing();
    j.due = j.replay->due();
    return JumpState::Landed;
}

// A word on the display while a jump takes long: where to and how far.
void ShowPlayer::show_progress() {
    const Jump& j = *jump_;
    if (j.frames % 30 != 0 || clock_ms() - j.started_ms < 500) return;
    p_.display.note(jump_progress_text());
    signs_.progress(jump_progress_text()); // over the picture too
}

int ShowPlayer::jump_percent() const {
    if (!jump_ || jump_->target_frames <= 0) return 0;
    return static_cast<int>(std::min<int64_t>(99, jump_->frames * 100 / jump_->target_frames));
}

std::string ShowPlayer::jump_progress_text() const {
    if (!jump_) return "";
    const int64_t ms = kReplayRate.time_ms(jump_->target_frames);
    const int64_t percent = jump_percent();
    char text[64];
    std::snprintf(text, sizeof text, "getting to %lld:%02lld: %lld %%",
                  static_cast<long long>(ms / 60000), static_cast<long long>(ms / 1000 % 60),
                  static_cast<long long>(percent));
    return text;
}

// The jump's end: landed, the clock reads the row's time and the music plays
// on from there (unless paused); otherwise the show stays as the jump left
// it and a viewer's stop ends it.
bool ShowPlayer::end_jump(JumpState state) {
    const Jump j = std::move(*jump_);
    jump_.reset();
    p_.display.note("");
    signs_.arrived();
    stopped_ = state == JumpState::GivenUp;
    if (state == JumpState::Landed) {
        clock_.set(j.landed_ms);
        // What the frame landed on shows is due now, as in the whole show.
        for (uint8_t v : j.due)
            sync_callback(v);
        if (music_started_)
            p_.music.seek(j.music);
        else
            p_.music.start_from(j.music);
        if (paused_) clock_.pause();
    }
    if (music_started_) p_.music.pause(paused_);
    return state == JumpState::Landed;
}

// Paused, where a jump landed: its frame is drawn now (the clock stands at
// its time) and shown, with the caption of its scene; the show as it was
// before it is held for playing on.
void ShowPlayer::show_landing() {
    Held held{save_show_state(), loop_, {}};
    const uint32_t* frame = p_.display.lock();
    held.frame.assign(frame, frame + kFramePixels);
    p_.display.unlock();
    held_ = std::move(held);
    last_step_ = loop_.step(p_);
    if (last_step_ != ShowLoop::Step::Drew) p_.display.present(); // scenes 8..30 draw nothing
    signs_.caption_now(loop_.running_scene());
}

void ShowPlayer::put_back_held() {
    if (!held_) return;
    restore_show_state(held_->state);
    loop_ = held_->loop;
    uint32_t* frame = p_.display.lock();
    std::copy(held_->frame.begin(), held_->frame.end(), frame);
    p_.display.unlock();
    held_.reset();
}

bool ShowPlayer::begin(SongPosition at) {
    begin_in_slices(at);
    return *begin_step(-1);
}

void ShowPlayer::begin_in_slices(SongPosition at) {
    clock_.set(0);
    begin_there_ = true;
    if (at.at_start())
        music_started_ = true;
    else
        start_jump(at);
}

std::optional<bool> ShowPlayer::begin_step(int64_t budget_ms) {
    if (jump_ && !music_started_) {
        const JumpState state = carry_jump(budget_ms);
        if (state == JumpState::Going) return std::nullopt;
        begin_there_ = end_jump(state);
        if (begin_there_) signs_.jumped(current_order(), clock_.now_ms()); // its caption
        music_started_ = true;
    }
    return begin_there_;
}

void ShowPlayer::build_snapshots() {
    if (snapshots_ && p_.player.snapshot_ms > 0 && !snapshots_->done())
        snapshots_->work(p_.player.snapshot_ms);
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
        if (paused_) {
            clock_.pause();
        } else {
            put_back_held();
            clock_.resume();
        }
        p_.music.pause(paused_);
        signs_.paused(paused_);
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
        signs_.caption(looping_ ? "looping on" : "looping off", paused_);
        return;
    }
}

bool ShowPlayer::seek(SongPosition at) {
    music_started_ = true;
    start_jump(at);
    return end_jump(carry_jump(-1));
}

bool ShowPlayer::reload(const std::function<void()>& set_up_again,
                        std::shared_ptr<const FileRead> module) {
    // The moment playing now, and the row it falls in (for the caption).
    SongPosition row{0, 0, clock_.now_ms()};
    if (p_.module_file)
        for (const RowVisit& r : row_timeline(p_.module_file->bytes)) {
            if (r.start_ms > row.time_ms) break;
            row.order = r.position;
            row.row = r.row;
        }
    // The snapshots hold the old files' state: gone before the files are.
    jump_.reset();
    held_.reset();
    snapshots_.reset();
    set_up_again();
    if (module) {
        p_.module_file = std::move(module);
        read_positions();
    }
    if (p_.start_state.remember) p_.start_state.remember();
    if (p_.start_state.restore && p_.module_file)
        snapshots_ = std::make_unique<SnapshotBuilder>(p_.scenes, p_.module_file);
    const bool there = seek(row);
    if (!there && !stopped_) seek({});
    if (paused_ && !stopped_) p_.display.present(); // the frame with the new files
    return there;
}

void ShowPlayer::jump(SongPosition at) {
    music_started_ = true;
    start_jump(at);
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
        start_jump(positions_.empty() ? SongPosition{} : SongPosition{positions_[*jump], 0});
    }
    if (jump_) {
        // In slices when the settings ask for them (the page's frames go on
        // being painted meanwhile), else at once.
        const JumpState state =
            carry_jump(p_.player.jump_slice_ms > 0 ? p_.player.jump_slice_ms : -1);
        if (state == JumpState::Going) {
            last_step_ = ShowLoop::Step::Held;
            return true;
        }
        end_jump(state);
        if (stopped_) return false;
        if (state == JumpState::Landed) { // its caption over the picture
            signs_.jumped(current_order(), clock_.now_ms());
            if (paused_) {
                show_landing();
                return true;
            }
        }
    }
    if (paused_) {
        last_step_ = ShowLoop::Step::Held;
        if (p_.display.key_waiting()) return false;
        // The frame stays; shown again now and then (after the window was
        // covered or resized).
        if (++idle_passes_ % 30 == 0) p_.display.present();
        build_snapshots();
        p_.display.idle();
        return true;
    }
    const ShowLoop::Step step = last_step_ = loop_.step(p_);
    if (step == ShowLoop::Step::Drew) signs_.drawn(loop_.running_scene());
    build_snapshots();
    const bool music_end = sync_scene() == kSceneEnd || p_.music.song_over();
    if (looping_ && music_end && !p_.display.stop_asked()) {
        ++loops_;
        seek({});
        return !stopped_;
    }
    return step != ShowLoop::Step::Ended;
}
