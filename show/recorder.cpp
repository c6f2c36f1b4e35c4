// The show recorded offline, frame by frame, with its sound (see
// recorder.h).
#include "show/recorder.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "core/screen.h"

static_assert(MusicStart::kSkipRate == kRecordRate, "a skip counts the recording's samples");

Recorder::Recorder(FrameSink& sink, RecordSettings settings, SyncFunction callback)
    : sink_(sink), settings_(std::move(settings)), callback_(callback),
      frame_(static_cast<size_t>(kFramePixels), 0u) {
    if (settings_.from.timed()) from_frame_ = settings_.rate.first_frame_at(settings_.from.time_ms);
    if (settings_.to && settings_.to->timed())
        to_frame_ = settings_.rate.first_frame_at(settings_.to->time_ms);
}

Recorder::~Recorder() {
    destroy();
}

template <class F> void Recorder::guarded(F&& f) {
    try {
        f();
    } catch (...) {
        if (before_error) before_error();
        throw;
    }
}

void Recorder::open(const char*, bool) {
    opened_ = true;
    guarded([&] { sink_.open(); });
}

bool Recorder::key_waiting() {
    if (settings_.stop && *settings_.stop) {
        interrupted_ = true;
        return true;
    }
    if (to_frame_ >= 0 && frames_ >= to_frame_) return true;
    return end_sample_ >= 0 && settings_.rate.shows(end_sample_, frames_ - first_frame_);
}

// An output without a frame is not finished: there is nothing to play, and
// the caller discards it.
void Recorder::close() {
    if (opened_ && frames_ > 0) guarded([&] { sink_.finish(); });
}

void Recorder::destroy() {
    if (opened_) sink_.abandon();
    opened_ = false;
}

void Recorder::present() {
    guarded([&] { write_frame(); });
}

// Nothing was drawn: the screen keeps showing the last frame for this frame's
// time too.
void Recorder::idle() {
    guarded([&] { write_frame(); });
}

bool Recorder::startup(const char* file_name, uint8_t) {
    if (settings_.ticks_from) return true;
    const std::string name = settings_.module_path.empty() ? file_name : settings_.module_path;
    player_ = std::make_unique<XmpPlayer>();
    if (player_->load_file(name.c_str(), settings_.module_file)) return true;
    std::fprintf(stderr, "vorn: %s\n", player_->error().c_str());
    return false;
}

bool Recorder::start() {
    if (settings_.ticks_from) return playing_ = true;
    if (!player_) return false;
    player_->set_sync_queue(&queue_);
    if (!player_->start(static_cast<int>(kRecordRate))) {
        std::fprintf(stderr, "vorn: %s\n", player_->error().c_str());
        return false;
    }
    playing_ = true;
    return true;
}

bool Recorder::seek(const MusicStart& from) {
    if (!player_ || settings_.ticks_to) return false; // a log is of one playback

    if (!player_->restart(static_cast<int>(kRecordRate), from)) return false;
    queue_.clear();
    pending_.clear();
    first_frame_ = frames_;
    rendered_ = written_ = 0;
    end_sample_ = -1;
    song_over_ = false;
    playing_ = true;
    visit_count_ = 0;
    return true;
}

bool Recorder::shutdown() {
    if (player_) player_->stop();
    player_.reset();
    playing_ = false;
    return true;
}

// One more tick of music, or the end. The song is over when it stops or
// loops back: the tick that passes that end is not kept, nor its sync values.
// Playback reaching the row `to` ends the show (end_sample_) but not
// the sound: the last frame's samples are those of the whole recording, so
// ticks past it are still rendered as far as that frame needs; their sync
// values are never delivered.
void Recorder::render_tick() {
    if (song_over_) return;
    const LoggedTick* t = playing_ ? play_tick() : nullptr;
    if (!t || t->loops) {
        song_over_ = true;
        if (settings_.ticks_to) settings_.ticks_to->complete = true;
        if (end_sample_ < 0) end_sample_ = t ? t->start : rendered_;
        return;
    }
    visit(t->pos, t->row, t->start);
    if (end_sample_ < 0 && settings_.to && !settings_.to->timed() &&
        settings_.to->reached_by(t->pos, t->row))
        end_sample_ = t->start;
    if (from_sample_ < 0 && !settings_.from.timed() && t->pos == settings_.from.order &&
        t->row == settings_.from.row)
        from_sample_ = t->start;
    if (!settings_.ticks_from) {
        const int16_t* s = player_->samples();
        pending_.insert(pending_.end(), s, s + t->frames * 2);
    }
    rendered_ += t->frames;
}

// The next tick, from libxmp or from the log, its sync values queued (as
// XmpPlayer::play_tick queues them); null once there is none.
const LoggedTick* Recorder::play_tick() {
    if (const TickLog* log = settings_.ticks_from) {
        queue_.flush();
        assert(next_tick_ < log->size() || log->complete); // the log covers the replay
        if (next_tick_ >= log->size()) return nullptr;
        const size_t i = next_tick_++;
        for (uint8_t v : log->values_of(i))
            queue_.push({(*log)[i].start, v});
        return &(*log)[i];
    }
    if (!player_->play_tick()) return nullptr;
    ++next_tick_;
    const xmp_frame_info& fi = player_->info();
    tick_ = {player_->tick_start(), static_cast<int32_t>(player_->sample_frames()),
             static_cast<int16_t>(fi.pos), static_cast<int16_t>(fi.row), fi.loop_count > 0};
    if (settings_.ticks_to) settings_.ticks_to->add(tick_, player_->row_sync());
    return &tick_;
}

void Recorder::visit(int16_t pos, int16_t row, int64_t start) {
    if (visit_count_ > 0) {
        const RowVisit& last = visits_[(visit_count_ - 1) % visits_.size()];
        if (last.pos == pos && last.row == row) return; // the same row's next tick
    }
    visits_[visit_count_++ % visits_.size()] = {pos, row, start};
}

MusicStart Recorder::landing(std::vector<uint8_t>& due) {
    assert(at_from());
    due.clear();
    // The moment the next frame shows: a row's start, or a moment's sample.
    const int64_t at =
        from_frame_ >= 0 ? settings_.rate.samples_after(from_frame_ - first_frame_) : from_sample_;
    if (at < 0) return {}; // from the start
    while (!song_over_ && rendered_ <= at)
        render_tick(); // the tick playing at that moment
    queue_.flush();
    for (const TimedSync& e : queue_.queued())
        if (e.sample <= at) due.push_back(e.value);
    // The row that moment falls in: the last one begun by then.
    for (size_t k = 0; k < std::min(visit_count_, visits_.size()); ++k) {
        const RowVisit& v = visits_[(visit_count_ - 1 - k) % visits_.size()];
        if (v.start <= at) return {{v.pos, v.row}, at - v.start, false};
    }
    assert(false && "a frame's time spans more rows than are kept");
    return {{settings_.from.order, settings_.from.row}, 0, false};
}

RecorderMark Recorder::mark() const {
    assert(first_frame_ == 0); // ticks count from the start of the show
    return {frames_, rendered_, written_, next_tick_, end_sample_, song_over_, queue_.queued()};
}

void Recorder::resume(const RecorderMark& m) {
    assert(settings_.ticks_from && m.next_tick <= settings_.ticks_from->size());
    frames_ = skipped_ = m.frames;
    first_frame_ = 0;
    rendered_ = m.rendered;
    written_ = m.written;
    next_tick_ = m.next_tick;
    end_sample_ = m.end_sample;
    song_over_ = m.song_over;
    queue_.clear();
    for (const TimedSync& e : m.queued)
        queue_.push(e);
    pending_.clear();
    playing_ = true;
    // The rows played last, from the log.
    const TickLog& log = *settings_.ticks_from;
    size_t first = m.next_tick;
    for (size_t rows = 0; first > 0 && rows < visits_.size(); ++rows) {
        const LoggedTick& t = log[first - 1];
        do
            --first;
        while (first > 0 && log[first - 1].pos == t.pos && log[first - 1].row == t.row);
    }
    visit_count_ = 0;
    for (size_t i = first; i < m.next_tick; ++i)
        visit(log[i].pos, log[i].row, log[i].start);
}

void Recorder::deliver_sync() {
    const FrameRate& r = settings_.rate;
    // Every tick that starts at or before this frame's time, so that every
    // row this frame shows has queued its values.
    const int64_t n = frames_ - first_frame_;
    while (end_sample_ < 0 && r.shows(rendered_, n))
        render_tick();
    int64_t last = n * r.den * kRecordRate / r.num;
    if (end_sample_ >= 0) last = std::min(last, end_sample_ - 1);
    if (settings_.replay && from_sample_ >= 0) last = std::min(last, from_sample_ - 1);
    // (A moment as `from` needs no such bound: the replay holds before its
    // frame, whose values are due only then.)
    queue_.deliver_due(last, callback_);
    // Both ends of the queue are on this thread: what it folded while it was
    // full goes in now that there is room, not at a next tick that may never
    // come (past the end).
    if (queue_.flush()) queue_.deliver_due(last, callback_);
}

// Frame n is kept once it shows the first tick of the row `from`:
// deliver_sync() has rendered every tick that starts by its time, so that
// tick has been met if it is due.
bool Recorder::keeping() const {
    if (from_frame_ >= 0) return frames_ >= from_frame_;
    return settings_.from.at_start() ||
           (from_sample_ >= 0 && settings_.rate.shows(from_sample_, frames_ - first_frame_));
}

void Recorder::write_frame() {
    const int64_t due = settings_.rate.samples_after(frames_ - first_frame_ + 1);
    while (!song_over_ && rendered_ < due)
        render_tick();
    const bool keep = keeping();
    assert(keep || frames() == 0); // once kept, every later frame is
    if (keep) sink_.video(frame_.data());
    const size_t count = static_cast<size_t>(due - written_);
    if (pending_.size() < count * 2) pending_.resize(count * 2, 0); // silence past the end
    if (keep) sink_.audio(pending_.data(), count);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count * 2));
    written_ = due;
    ++frames_;
    if (!keep) {
        ++skipped_;
        if (on_skip) on_skip(skipped_);
    } else if (on_frame) {
        on_frame(frames());
    }
}
