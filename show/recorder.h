// The show recorded offline: a display that hands frames to a FrameSink, a
// music layer that renders the module with libxmp in lockstep with the
// frames, and a clock that reads the current frame's time. run_show() drives
// it exactly as it drives the live show; only where time comes from and where
// frames and samples go differ.
//
// Frame n (n frames written so far) is shown at n / fps. Before it is drawn,
// deliver_sync() hands over the sync values of every row whose first sample s
// satisfies s / 48000 <= n / fps (FrameRate::shows), so frame 0 already shows
// the first row. present() writes the frame and the sound up to
// samples_after(n + 1); idle() (a sweep that drew nothing) writes the last
// frame again, as a screen would keep showing it.
//
// The recording ends when the show ends (sync value 31), when the song ends
// or loops back, when playback reaches the row `to` (or, for a moment, at
// the first frame at or after it), or when `stop` becomes non-zero
// (Ctrl+C); key_waiting() reports the last three.
//
// With `from` past the start the show still plays from the very start,
// exactly as in the whole recording, but nothing reaches the sink before the
// first frame that shows the row `from` (frame n0): the frames before it are
// drawn (the scenes' state, the shared rand and the sync state come from
// them) and their sound is rendered, then both are dropped. The output is
// frames n0.. of the whole recording and their samples, from
// samples_after(n0) on. frames() counts what reached the sink; the clock
// reads the whole show's time. A moment as `from` keeps the frames from the
// first one at or after it (FrameRate::first_frame_at) the same way.
#pragma once
#include <array>
#include <csignal>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/sync.h"
#include "music/tick_log.h"
#include "music/xmp_player.h"
#include "show/frame_sink.h"
#include "show/platform.h"
#include "show/record_timing.h"

struct RecordSettings {
    FrameRate rate;
    SongPosition from;              // the first row (or moment) that reaches the sink
    std::optional<SongPosition> to; // the row (or moment) where it ends; none: the show's end
    // A replay (see replay.h): no sync value from `from` on is delivered, so
    // that the live show that goes on from there delivers them itself.
    bool replay = false;
    std::string module_path;                     // read instead of the file start-up names, if set
    std::shared_ptr<const FileRead> module_file; // that file as already read, if set
    const volatile std::sig_atomic_t* stop = nullptr;
    // Where the ticks come from: libxmp rendering the module (null), or the
    // log of an earlier playback of it (a replay from a snapshot: the same
    // rows at the same samples, without sound and without libxmp).
    const TickLog* ticks_from = nullptr;
    // Where every tick that libxmp plays is logged, in order (null: nowhere).
    TickLog* ticks_to = nullptr;
};

// Where a recording is between two frames, as plain data: with the show's
// state and the frame buffer, what a recording from a tick log needs to go
// on from there (see Recorder::resume).
struct RecorderMark {
    int64_t frames = 0;   // frames drawn
    int64_t rendered = 0; // sample frames of the ticks played
    int64_t written = 0;  // sample frames handed on
    size_t next_tick = 0; // ticks played
    int64_t end_sample = -1;
    bool song_over = false;
    std::vector<TimedSync> queued; // sync values played, not yet delivered
};

class Recorder : public Display, public Music, public Clock {
  public:
    Recorder(FrameSink& sink, RecordSettings settings, SyncFunction callback = sync_callback);
    ~Recorder() override;

    // Display
    void open(const char* title, bool fullscreen) override;
    bool key_waiting() override;
    uint32_t* lock() override { return frame_.data(); }
    void present() override;
    void unlock() override {}
    void close() override;
    void destroy() override;
    void idle() override;

    bool stop_asked() override { return settings_.stop && *settings_.stop; }

    // Music
    bool startup(const char* file_name, uint8_t configure) override;
    bool start() override;
    bool shutdown() override;
    void deliver_sync() override;
    // Plays on from `from` as if the recording had started there at this
    // frame (a looping or seeking player on the offline platform).
    bool seek(const MusicStart& from) override;
    bool song_over() override { return song_over_; }

    // Clock
    int64_t now_ms() override { return settings_.rate.time_ms(frames_); }

    // Where it is now; only between frames of a recording that never seeks.
    RecorderMark mark() const;
    // Goes on from `m`, a mark of a recording of the same show at the same
    // rate, in place of start(): only with ticks_from, which must hold every
    // tick the mark has played. The frames before the mark count as dropped
    // before `from`, which the mark has not yet met.
    void resume(const RecorderMark& m);

    // True once the next frame is the first that shows `from`.
    bool at_from() const { return keeping(); }
    // There (a replay holding at `from`): where the music that goes on from
    // the next frame plays from (the row, and a moment's way into it), and
    // the sync values due by then that were held back (the row `from`'s
    // own), which whoever goes on hands over before that frame.
    MusicStart landing(std::vector<uint8_t>& due);
    // Frames handed to the sink, and frames drawn before the first of them.
    int64_t frames() const { return frames_ - skipped_; }
    int64_t skipped() const { return skipped_; }
    // True once the recording stopped on `stop` rather than at its end.
    bool interrupted() const { return interrupted_; }
    // Called after every frame written (for a progress line).
    std::function<void(int64_t frames)> on_frame;
    // Called after every frame drawn and dropped before `from`.
    std::function<void(int64_t skipped)> on_skip;
    // Called before an output failure goes on to the show (to clear a progress line).
    std::function<void()> before_error;

  private:
    template <class F> void guarded(F&& f);
    void render_tick();
    const LoggedTick* play_tick();
    void write_frame();

    FrameSink& sink_;
    RecordSettings settings_;
    SyncFunction callback_;
    std::vector<uint32_t> frame_;
    std::unique_ptr<XmpPlayer> player_;
    SyncQueue queue_;
    bool opened_ = false;
    bool playing_ = false;
    bool interrupted_ = false;
    bool keeping() const;

    int64_t frames_ = 0;           // frames drawn, from the start of the show
    int64_t first_frame_ = 0;      // the frame the music's current playback began at
    int64_t skipped_ = 0;          // of those, dropped before `from`
    int64_t from_sample_ = -1;     // where the row `from` starts (-1: not met yet)
    int64_t end_sample_ = -1;      // where the show ends (-1: not met yet)
    bool song_over_ = false;       // the song stopped or looped back: no more sound
    int64_t rendered_ = 0;         // sample frames rendered by the player
    int64_t written_ = 0;          // sample frames handed to the sink
    std::vector<int16_t> pending_; // rendered, not yet written (interleaved)
    LoggedTick tick_;              // the tick libxmp played last
    size_t next_tick_ = 0;         // ticks played (the next one's index in a log)
    int64_t from_frame_ = -1;      // a moment's frame as `from` (-1: a row)
    int64_t to_frame_ = -1;        // and as `to`
    // The last few rows played, each from its first tick: where a moment
    // falls (a frame's time spans at most a few rows).
    struct RowVisit {
        int16_t pos = -1, row = -1;
        int64_t start = 0;
    };
    std::array<RowVisit, 8> visits_{};
    size_t visit_count_ = 0;
    void visit(int16_t pos, int16_t row, int64_t start);
};
