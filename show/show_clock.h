// The clock the main loop reads in the live show: a wall clock that can be
// set to a time of the show and paused.
//
//   set(ms)    the clock reads ms now and runs on from there (a replay or a
//              seek hands the live show the time it reached)
//   pause()    the clock stops where it is; now_ms() keeps reading that
//   resume()   it runs on from where it stopped, so no time passes for the
//              show while it was paused
#pragma once
#include <cstdint>

#include "show/platform.h"

class ShowClock : public Clock {
  public:
    explicit ShowClock(Clock& wall) : wall_(wall) {}
    int64_t now_ms() override { return paused_ ? stopped_at_ : wall_.now_ms() + offset_; }
    void set(int64_t ms) {
        offset_ = ms - wall_.now_ms();
        stopped_at_ = ms;
    }
    void pause() {
        if (paused_) return;
        stopped_at_ = now_ms();
        paused_ = true;
    }
    void resume() {
        if (!paused_) return;
        paused_ = false;
        set(stopped_at_);
    }
    bool paused() const { return paused_; }

  private:
    Clock& wall_;
    int64_t offset_ = 0;
    int64_t stopped_at_ = 0;
    bool paused_ = false;
};
