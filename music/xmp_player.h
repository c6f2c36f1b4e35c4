// One tick at a time through libxmp, with the module's sync commands.
//
// XmpPlayer owns a libxmp context playing a copy of the module whose W
// commands are blanked (libxmp would otherwise play their parameters as an
// arpeggio). play_tick() renders one tick of 16-bit stereo samples; when that
// tick enters a row (the tick within the row is 0: after a jump, a break or a
// loop too, and once per row under a pattern delay) the row's sync values, in
// channel order, are available from row_sync() until the next tick, and are
// pushed to the sync queue, if one is set, with the sample position where the
// row starts (sample frames since start(); tick_start() is that position).
// Every call of play_tick(), also one past the end, first lets the queue
// flush the values it folded while it was full (see sync_queue.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <xmp.h>

#include "assets/file_bytes.h"
#include "music/song_position.h"
#include "music/sync_queue.h"
#include "music/xm_sync.h"

// The largest module file read; a larger one is refused before it is read.
// An XM module holds at most 256 patterns of at most 256 rows of 32 channels,
// each note at most 5 bytes: 10 MiB of pattern data at the very worst. The
// rest is instruments and their 8- or 16-bit samples; the show's own module
// is 841 KiB, and 64 MiB leaves over 50 MiB for samples (ten minutes of
// 16-bit mono at 44.1 kHz). Loading makes a blanked copy and libxmp one of
// its own, so a module at the limit costs some 200 MiB while it loads.
constexpr size_t kMaxModuleFileBytes = size_t{64} << 20;

// The module file `path`, kMaxModuleFileBytes at most. A run reads it once
// and hands the result on: the timeline, --start, --from and --to read it,
// and the player is given it (load_file's `already_read`).
std::shared_ptr<const FileRead> read_module_file(const char* path);

class XmpPlayer {
  public:
    XmpPlayer();
    ~XmpPlayer();
    XmpPlayer(const XmpPlayer&) = delete;
    XmpPlayer& operator=(const XmpPlayer&) = delete;

    // Reads the sync commands and loads the blanked copy. False with a reason
    // in error() when the module is unreadable.
    bool load(const std::vector<uint8_t>& module);
    // Loads the module file `path`, as `already_read` if given, else read
    // now (see read_module_file). False with a one-line reason naming the
    // full path in error() ("cannot read PATH: ..." or "cannot load PATH:
    // ...").
    bool load_file(const char* path, std::shared_ptr<const FileRead> already_read = nullptr);
    // Starts playback at `rate` Hz from the row `at` (order position and row). False for an order
    // past the song's end or an empty song, with a one-line reason in error().
    bool start(int rate, SongPosition at = {}) { return start_from(rate, {at}); }
    // The same from a moment inside a row: the first from.skip sample frames
    // (at MusicStart::kSkipRate, converted to `rate`) are rendered and
    // dropped, so the first tick played may be the rest of one; sample 0 is
    // the first kept. No sync value of a tick dropped or cut is handed over,
    // nor the row's own values when from.row_values is false.
    bool start_from(int rate, const MusicStart& from);
    // Starts playback again from `from`, the module kept loaded (a seek).
    bool restart(int rate, const MusicStart& from);
    // Renders one tick; false once playback cannot go on.
    bool play_tick();
    // Stops playback and releases the module.
    void stop();

    // Where each entered row's sync values go; set before start(), or null.
    void set_sync_queue(SyncQueue* q) { queue_ = q; }
    // The sync values of the row the last tick entered (empty otherwise).
    const std::vector<uint8_t>& row_sync() const;
    // Sample frames rendered before the last tick: where that tick starts.
    int64_t tick_start() const { return tick_start_; }

    const xmp_frame_info& info() const { return info_; }
    // The last tick's samples (its rest, after a skip that cut it).
    const int16_t* samples() const { return static_cast<const int16_t*>(info_.buffer) + cut_ * 2; }
    size_t sample_frames() const { return static_cast<size_t>(info_.buffer_size) / 4 - cut_; }
    const std::string& error() const { return error_; }

  private:
    void stop_player();

    xmp_context ctx_;
    XmSync sync_;
    bool loaded_ = false;
    bool playing_ = false;
    xmp_frame_info info_{};
    SyncQueue* queue_ = nullptr;
    int64_t tick_start_ = 0;
    int64_t rendered_ = 0;         // sample frames rendered since start()
    int64_t skip_left_ = 0;        // sample frames still to drop after start_from()
    size_t cut_ = 0;               // of the last tick, sample frames dropped
    bool first_tick_ = false;      // the next tick is the first since the start
    bool first_row_values_ = true; // its row's values are handed over
    bool values_now_ = true;       // the last tick's values are handed over
    std::string error_;
    std::string path_; // the module file's full path, for messages
};
