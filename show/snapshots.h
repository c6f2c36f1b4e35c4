// Snapshots of the whole show, so that a jump anywhere plays only a few
// seconds instead of everything before it.
//
// The show is played once from its start without output, exactly as a
// replay plays it (replay.h: 60 frames per second on a recorder, the music
// rendered by libxmp), and every `every` frames its whole carried state is
// kept: the show's state (scenes/show_state.h), the main loop's place, the
// frame buffer and the recording's place (RecorderMark), the large parts
// packed. Every tick that
// playback plays goes into a tick log. A jump then puts the last snapshot
// before its row back and plays on from there with the ticks from the log
// (replay_to's `from`): the same frames as a replay from the start, since
// it is the same playback resumed.
//
// The builder's show runs in the same process-wide state as the live show
// (the scenes keep theirs in globals), so it plays in slices between the
// live show's frames: each slice saves the live state, puts the builder's
// back, plays, and swaps them again. Nothing of the live show changes.
//
//   SnapshotBuilder(scenes, module, every)
//                      starts from the show's state now, which must be as
//                      set-up left it (the first snapshot is that state)
//   work(budget_ms)    plays on for about budget_ms of wall time (a frame at
//                      least); false once the whole show is played
//   reach(at, on_frame)
//                      plays on until playback has met the row `at` (a
//                      moment: played a frame past it):
//                      There; Never when the show or the music ends first
//                      or the module cannot be played; GivenUp when
//                      on_frame(frames played) returned false (the builder
//                      can go on later)
//   before(at)         after reach(at) gave There: the last snapshot made
//                      before playback met `at` (a moment: at or before its
//                      frame), from which a replay to `at` is exact
//   bytes()            the memory the snapshots and the log hold
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "scenes/scenes.h"
#include "scenes/show_state.h"
#include "show/frame_sink.h"
#include "show/recorder.h"
#include "show/show_loop.h"

// The show's state, the loop's place and the recording's place as they
// are; the frame, the depth buffer, the objects' arrays and the metaballs
// packed (core/byte_pack.h), a quarter of their size or less.
struct ShowSnapshot {
    ShowState state; // without the parts packed
    ShowLoop loop;
    RecorderMark mark;
    std::span<const uint8_t> packed; // in the builder's store
    size_t raw_size = 0;             // of the parts unpacked
};

// The whole state a snapshot holds, and its frame buffer (320 x 240).
void unpack_snapshot(const ShowSnapshot& s, ShowState& state, uint32_t* frame);

// Every 2 s of show: a replay from a snapshot plays at most 120 frames.
constexpr int64_t kSnapshotEvery = 120;

class SnapshotBuilder {
  public:
    enum class Reach { There, Never, GivenUp };

    SnapshotBuilder(const std::array<SceneOps, kSceneCount>& scenes,
                    std::shared_ptr<const FileRead> module, int64_t every = kSnapshotEvery);
    ~SnapshotBuilder();
    SnapshotBuilder(const SnapshotBuilder&) = delete;
    SnapshotBuilder& operator=(const SnapshotBuilder&) = delete;

    bool work(int64_t budget_ms);
    Reach reach(SongPosition at, const std::function<bool(int64_t frames)>& on_frame);
    const ShowSnapshot& before(SongPosition at) const;

    const TickLog& log() const { return log_; }
    bool done() const { return done_; }
    int64_t frames() const { return frames_; }
    size_t count() const { return snapshots_.size(); }
    size_t bytes() const;

  private:
    // Plays frames with the builder's state in place until `enough` says so
    // or the show ends.
    template <class Enough> void play(Enough&& enough);
    bool met(SongPosition at) const;
    void keep_snapshot(const ShowLoop& loop);

    const std::array<SceneOps, kSceneCount>& scenes_;
    const int64_t every_;
    NullSink nowhere_;
    TickLog log_;
    std::unique_ptr<Recorder> recorder_;
    std::optional<ShowLoop> loop_; // made in the builder's state (it resets the tick counter)
    ShowState state_;              // the builder's show between slices
    std::vector<ShowSnapshot> snapshots_;
    std::vector<uint8_t> raw_, lanes_, packed_; // working buffers of keep_snapshot
    // The packed parts, one after the other in blocks of kStoreBlock bytes
    // (one of its own for a larger one): the heap then holds them side by
    // side, not scattered between the buffers freed meanwhile.
    static constexpr size_t kStoreBlock = size_t{4} << 20;
    std::vector<std::unique_ptr<uint8_t[]>> store_;
    size_t store_size_ = 0, store_used_ = 0; // of the last block
    size_t store_bytes_ = 0;
    std::span<const uint8_t> keep(const std::vector<uint8_t>& packed);
    int64_t frames_ = 0;
    bool done_ = false;
};
