// The ticks of one playback of a module, as plain data: where each starts,
// how long it is, the row it plays and the sync values it brings. A show
// played once with libxmp writes it (show/snapshots.h); a replay from a
// snapshot reads it instead of rendering the module again, so it meets the
// same rows at the same samples as the playback that wrote it, without
// sound and without libxmp.
//
//   add(tick, values)   appends the next tick and the sync values of the row
//                       it enters (empty unless it is the row's first tick)
//   values_of(i)        tick i's sync values, in channel order
//   first_of(at)        the index of the first tick that plays the row `at`
//                       (order position, row), or -1 when none has yet
//   complete            set once the playback is over: no tick follows the
//                       last (the song stopped, or the last tick passed its
//                       end and looped back)
#pragma once
#include <cassert>
#include <cstdint>
#include <span>
#include <vector>

#include "music/song_position.h"

struct LoggedTick {
    int64_t start = 0;  // the tick's first sample frame, since playback began
    int32_t frames = 0; // sample frames it renders
    int16_t pos = 0;    // order position and row, as libxmp reports them
    int16_t row = 0;
    bool loops = false;       // the tick passed the song's end and looped back
    uint32_t first_value = 0; // its sync values: values[first_value..+value_count)
    uint16_t value_count = 0;
};

class TickLog {
  public:
    // An XM song has at most 256 order positions of at most 256 rows.
    static constexpr int kPositions = 256, kRows = 256;

    void add(LoggedTick t, std::span<const uint8_t> row_values) {
        assert(!complete);
        assert(ticks_.empty() || t.start == ticks_.back().start + ticks_.back().frames);
        t.first_value = static_cast<uint32_t>(values_.size());
        t.value_count = static_cast<uint16_t>(row_values.size());
        values_.insert(values_.end(), row_values.begin(), row_values.end());
        if (t.pos >= 0 && t.pos < kPositions && t.row >= 0 && t.row < kRows) {
            if (first_.empty()) first_.assign(kPositions * kRows, -1);
            int32_t& first = first_[static_cast<size_t>(t.pos * kRows + t.row)];
            if (first < 0) first = static_cast<int32_t>(ticks_.size());
        }
        ticks_.push_back(t);
    }

    size_t size() const { return ticks_.size(); }
    const LoggedTick& operator[](size_t i) const { return ticks_[i]; }
    std::span<const uint8_t> values_of(size_t i) const {
        return {values_.data() + ticks_[i].first_value, ticks_[i].value_count};
    }
    int64_t first_of(SongPosition at) const {
        if (first_.empty() || at.order < 0 || at.order >= kPositions || at.row < 0 ||
            at.row >= kRows)
            return -1;
        return first_[static_cast<size_t>(at.order * kRows + at.row)];
    }
    size_t bytes() const {
        return ticks_.capacity() * sizeof(LoggedTick) + values_.capacity() +
               first_.capacity() * sizeof(int32_t);
    }

    bool complete = false;

  private:
    std::vector<LoggedTick> ticks_;
    std::vector<uint8_t> values_;
    std::vector<int32_t> first_; // [pos * kRows + row]: first tick there, -1: none yet
};
