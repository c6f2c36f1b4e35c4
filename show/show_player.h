// The show as a viewer steers it: the main loop (show_loop.h) with pause,
// seeks, a restart, looping, full screen and saving a frame, for the live
// show and for any platform that runs the loop (the recorder runs it with no
// control ever pressed, which is the loop alone).
//
// Every seek is exact: the show's state goes back to the state saved right
// after set-up (the platform's start_state; without it the player cannot
// seek or loop), and the show is played from there without output up to the
// order position (replay.h), so it goes on in exactly the state the whole
// show has there; then the music plays on from that position and the clock
// reads that position's time.
//
//   ShowPlayer(p)   runs the show on `p`, whose clock it wraps in a
//                   ShowClock of its own; the show's state is as set-up left
//                   it, and is saved here (p.start_state.remember)
//   begin(at)       before the music starts: positions the show at the row
//                   `at` (the first: as it stands after set-up); false when
//                   the show never gets there
//   run_once()      handles the controls pressed since the last call, then
//                   makes the next frame unless paused; false once the show
//                   has ended (a key, the music's end without looping)
//   seek(at)        goes to the row `at` now, as Back, Forward and Restart
//                   do (a seek bar); false when the player cannot seek, the
//                   show ends before `at`, or the viewer ends the show on
//                   the way (stopped())
//
// A stop never waits: the jumps among the controls waiting are folded into
// one, to where the last of them leads (Right, Right, Left from order 5: 6),
// and a key that ends the show (or a signal) is looked for after every frame
// a jump plays on its way, so it ends the show in the middle of a jump too.
//
// Controls: Pause stops the clock, the music and the frames together and
// starts them again where they stopped. Back goes to the start of the order
// position playing, or of the one before when that start is less than two
// seconds ago; Forward to the next order position; Restart to the
// beginning. Loop turns looping on or off: with it, the music's end (sync
// value 31, or the song's end) starts the show again from the beginning.
// SaveFrame hands the frame on screen to the settings' save_frame, if any.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "show/show.h"
#include "show/show_clock.h"
#include "show/show_loop.h"

class ShowPlayer {
  public:
    explicit ShowPlayer(ShowPlatform& p);
    ShowPlayer(const ShowPlayer&) = delete;
    ShowPlayer& operator=(const ShowPlayer&) = delete;

    bool begin(SongPosition at);
    bool run_once();
    bool seek(SongPosition at);

    bool paused() const { return paused_; }
    // Whether the viewer ended the show while a jump was on its way.
    bool stopped() const { return stopped_; }
    bool looping() const { return looping_; }
    // How many times the show started again at its end.
    int loops() const { return loops_; }
    // The order position playing now, by the clock.
    int current_order();
    // The show's time now (ms), as the main loop reads it.
    int64_t now_ms() { return clock_.now_ms(); }
    // After run_once(): whether it made a frame, and the scene whose loop
    // runs (0..7, or -1 between scenes and while none runs).
    bool drew() const { return last_step_ == ShowLoop::Step::Drew; }
    int running_scene() const { return loop_.running_scene(); }

  private:
    bool replay_to(SongPosition at);
    bool go_to(SongPosition at);
    void handle(Control c);
    // Where a jump control leads from the order position positions_[i],
    // which began `since_ms` ago: an index into positions_.
    size_t jump_index(Control c, size_t i, int64_t since_ms) const;

    ShowClock clock_;
    ShowPlatform p_; // the platform given, on clock_
    ShowLoop loop_;
    ShowLoop::Step last_step_ = ShowLoop::Step::Idle;
    std::vector<int> positions_;     // the order positions in playing order,
    std::vector<int64_t> starts_ms_; // and when each begins
    bool paused_ = false;
    bool stopped_ = false;
    bool looping_;
    int loops_ = 0;
    int idle_passes_ = 0;
};
