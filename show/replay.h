// Playing the show from its start without output up to a position, so that
// the live show starts there (or seeks there) with exactly the state the
// whole show has at that moment: every scene's state, the shared rand, the
// sync scene and flags, the frame buffer and the loop's place.
//
//   replay_to(loop, scenes, module, at, frame, on_frame)
//       expects the show's state as at start (just set up, or a state saved
//       right after set-up put back) and a new `loop`. Plays the show at
//       kReplayRate frames per second on a Recorder whose output goes
//       nowhere, with the module rendered from its start, and stops just
//       before the first frame that shows the row `at`: that frame is the
//       next that `loop` makes. No sync value of `at` or later has been
//       delivered; the music that plays on from `at` delivers them.
//       Copies the frame buffer as the last frame left it into `frame` and
//       returns the show time of the next frame in ms (what the live clock
//       goes on from), -1 when the show ends first or the module cannot be
//       played, or kReplayGivenUp when on_frame asked to stop.
//   A moment as `at` stops just before its frame, the first at or after it
//   (kReplayRate.first_frame_at), with every value due before that frame
//   delivered; the music plays on from that frame's sample.
//   Once there, the Replay's landing() is where the music goes on from (the
//   row, and how far into it), and due() the sync values due by the next
//   frame that were held back (the row `at`'s own): the caller hands them
//   over before that frame. on_frame(n),
//       if set, is called after each frame drawn; it returns false to give
//       the replay up there (a viewer ending the show in the middle of a
//       jump), which leaves the show's state half way.
//   With `from` (a snapshot of that playback, snapshots.h) and `log` (the
//   ticks it played), the replay starts at the snapshot instead: the show's
//   state, the loop's place and the frame buffer are put back as they were
//   there, and the music's ticks come from the log, which must go on as far
//   as `at`; the snapshot must be from before playback met `at`.
//
//   Replay(loop, scenes, module, at, from, log) and run(budget_ms, on_frame,
//   frame) are the same replay in slices: run() plays on for about
//   budget_ms of wall time (< 0: no limit) and returns nothing while the
//   replay is not over, or replay_to's result once it is. Between slices
//   nothing else may play the show. A replay that failed or ended returns
//   -1 when run again.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "music/xmp_player.h"
#include "scenes/scenes.h"
#include "show/record_timing.h"
#include "show/recorder.h"
#include "show/show_loop.h"
#include "show/snapshots.h"

constexpr FrameRate kReplayRate{60, 1};
constexpr int64_t kReplayGivenUp = -2;

class Replay {
  public:
    Replay(ShowLoop& loop, const std::array<SceneOps, kSceneCount>& scenes,
           std::shared_ptr<const FileRead> module, SongPosition at,
           const ShowSnapshot* from = nullptr, const TickLog* log = nullptr);
    ~Replay();
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    std::optional<int64_t>
    run(int64_t budget_ms, const std::function<bool(int64_t frames)>& on_frame, uint32_t* frame);
    const MusicStart& landing() const { return landing_; }
    const std::vector<uint8_t>& due() const { return due_; }

  private:
    MusicStart landing_;
    std::vector<uint8_t> due_;
    ShowLoop& loop_;
    const std::array<SceneOps, kSceneCount>& scenes_;
    NullSink nowhere_;
    std::unique_ptr<Recorder> recorder_;
    bool failed_ = false;
};

int64_t replay_to(ShowLoop& loop, const std::array<SceneOps, kSceneCount>& scenes,
                  std::shared_ptr<const FileRead> module, SongPosition at, uint32_t* frame,
                  const std::function<bool(int64_t frames)>& on_frame = nullptr,
                  const ShowSnapshot* from = nullptr, const TickLog* log = nullptr);
