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
//   begin(at)       before the music starts: positions the show at the row
//                   `at` (the first: as it stands after set-up); false when
//                   the show never gets there
//   run_once()      handles the controls pressed since the last call, then
//                   makes the next frame unless paused; false once the show
//                   has ended (a key, the music's end without looping)
//
// Controls: Pause stops the clock, the music and the frames together and
// starts them again where they stopped. Back goes to the start of the order
// position playing, or of the one before when that start is less than two
// seconds ago; Forward to the next order position; Restart to the
// beginning. Loop turns looping on or off: with it, the music's end (sync
// value 31, or the song's end) starts the show again from the beginning.
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
    // `live` runs on `clock`; the show's state is as set-up left it.
    ShowPlayer(ShowPlatform& live, ShowClock& clock, PlayerSettings settings);

    bool begin(SongPosition at);
    bool run_once();

    bool paused() const { return paused_; }
    bool looping() const { return looping_; }
    // How many times the show started again at its end.
    int loops() const { return loops_; }
    // The order position playing now, by the clock.
    int current_order() const;

  private:
    bool replay_to(SongPosition at);
    bool go_to(SongPosition at);
    void handle(Control c);
    void save_frame();

    ShowPlatform& p_;
    ShowClock& clock_;
    PlayerSettings settings_;
    ShowLoop loop_;
    std::vector<int> positions_;     // the order positions in playing order,
    std::vector<int64_t> starts_ms_; // and when each begins
    bool paused_ = false;
    bool looping_;
    int loops_ = 0;
    int idle_passes_ = 0;
};
