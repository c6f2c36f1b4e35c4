// The show as a viewer steers it: the main loop (show_loop.h) with pause,
// seeks, a restart, looping, full screen and saving a frame, for the live
// show and for any platform that runs the loop (the recorder runs it with no
// control ever pressed, which is the loop alone).
//
// Every seek is exact: the show's state goes back to the state saved right
// after set-up (the platform's start_state; without it the player cannot
// seek or loop), and the show is played from there without output up to the
// row or moment (replay.h), so it goes on in exactly the state the whole
// show has there; then the music plays on from there (a moment: from its
// sample, part way into a row) and the clock reads the time of the frame it
// lands on.
//
//   ShowPlayer(p)   runs the show on `p`, whose clock it wraps in a
//                   ShowClock of its own; the show's state is as set-up left
//                   it, and is saved here (p.start_state.remember)
//   begin(at)       before the music starts: positions the show at the row
//                   or moment `at` (the first: as it stands after set-up),
//                   and tells the music where to start; false when the show
//                   never gets there
//   run_once()      handles the controls pressed since the last call, then
//                   makes the next frame unless paused; false once the show
//                   has ended (a key, the music's end without looping)
//   seek(at)        goes to the row `at` now, as Back, Forward and Restart
//                   do (a seek bar); false when the player cannot seek, the
//                   show ends before `at`, or the viewer ends the show on
//                   the way (stopped())
//   reload(set_up_again, module)
//                   after the data files changed: sets the show up again
//                   with them and goes on at the moment playing now, as
//                   seek() goes there, paused if it was (see below)
//
// A stop never waits: the jumps among the controls waiting are folded into
// one, to where the last of them leads (Right, Right, Left from order 5: 6),
// and a key that ends the show (or a signal) is looked for after every frame
// a jump plays on its way, so it ends the show in the middle of a jump too.
//
// Controls: Pause stops the clock, the music and the frames together and
// starts them again where they stopped. A jump while paused shows the frame
// it lands on at once and stays paused. Back goes to the start of the order
// position playing, or of the one before when that start is less than two
// seconds ago; Forward to the next order position; Restart to the
// beginning. Loop turns looping on or off: with it, the music's end (sync
// value 31, or the song's end) starts the show again from the beginning.
// SaveFrame hands the frame on screen to the settings' save_frame, if any.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "show/replay.h"
#include "show/show.h"
#include "show/show_clock.h"
#include "show/show_loop.h"
#include "show/sign_board.h"
#include "show/snapshots.h"

class ShowPlayer {
  public:
    explicit ShowPlayer(ShowPlatform& p);
    ShowPlayer(const ShowPlayer&) = delete;
    ShowPlayer& operator=(const ShowPlayer&) = delete;

    bool begin(SongPosition at);
    // begin() in slices (the page): begin_in_slices(at) starts it, and each
    // begin_step(budget_ms) plays on for about that long and gives nothing
    // while on its way, then what begin() gives.
    void begin_in_slices(SongPosition at);
    std::optional<bool> begin_step(int64_t budget_ms);
    bool run_once();
    bool seek(SongPosition at);
    // The show set up again with changed files, going on at the moment
    // playing now (the show's clock) exactly as a show started with those
    // files is there; `set_up_again`
    // releases the scenes and sets them up again from the files (and puts
    // `module`, if given, into the music), the state after it is remembered
    // as the new start, and the snapshots, which are of the old files, are
    // made anew. While paused, the frame it lands on is shown at once. False
    // when the show with the new files never gets to that moment: it then
    // goes on from the start.
    bool reload(const std::function<void()>& set_up_again,
                std::shared_ptr<const FileRead> module = nullptr);
    // A word over the picture for a while (a file refused by the watch).
    void tell(const std::string& text) { signs_.caption(text, paused_); }

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
    // The snapshots made so far (snapshots.h): how many, and their memory.
    size_t snapshot_count() const { return snapshots_ ? snapshots_->count() : 0; }
    size_t snapshot_bytes() const { return snapshots_ ? snapshots_->bytes() : 0; }

    // Starts a jump to the row `at` that run_once() carries on, in slices
    // of the settings' jump_slice_ms (the page), or at once; true while one
    // is on its way, with its progress as a line ("getting to 3:27: 64 %").
    void jump(SongPosition at);
    bool jumping() const { return jump_.has_value(); }
    std::string jump_progress_text() const;
    // How far the jump on its way has come, 0..99, and about where it goes
    // (the start of its order position, ms).
    int jump_percent() const;
    int64_t jump_target_ms() const { return jump_ ? kReplayRate.time_ms(jump_->target_frames) : 0; }
    // Whether the snapshots of the whole show are made.
    bool snapshots_done() const { return snapshots_ && snapshots_->done(); }
    // How many jumps were started (seeks, loops and keys folded into one).
    int jumps() const { return jumps_; }

  private:
    enum class JumpState { Going, Landed, Failed, GivenUp };
    struct Jump {
        SongPosition to;
        int64_t started_ms = 0;         // by the wall clock
        int64_t frames = 0;             // played so far from the show's start
        int64_t target_frames = 0;      // about where it goes, for the progress
        int64_t landed_ms = 0;          // the show's time once there
        MusicStart music;               // where the music goes on from
        std::vector<uint8_t> due;       // and the sync values it leaves to the jump
        std::unique_ptr<Replay> replay; // once playback has met `to`
    };
    void start_jump(SongPosition to);
    JumpState carry_jump(int64_t budget_ms);
    bool end_jump(JumpState state);
    void show_progress();
    void build_snapshots();
    void read_positions();
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
    SignBoard signs_{p_.display}; // pause, progress and captions over the picture
    // Snapshots of the show for quick jumps (null: every jump plays from the start).
    std::unique_ptr<SnapshotBuilder> snapshots_;
    std::optional<Jump> jump_;
    int jumps_ = 0;
    // A jump that lands while paused shows its frame at once: the frame is
    // drawn, and the show as it was before it is held here and put back when
    // the show plays on (which draws that frame again, as the whole show
    // does at its time) or jumps again.
    struct Held {
        ShowState state;
        ShowLoop loop;
        std::vector<uint32_t> frame;
    };
    std::optional<Held> held_;
    void show_landing();
    void put_back_held();
    bool music_started_ = false; // after begin(): jumps make the music follow
    bool begin_there_ = true;
};
