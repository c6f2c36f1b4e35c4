// One tick at a time through libxmp, with the module's sync commands.
//
// XmpPlayer owns a libxmp context playing a copy of the module whose W
// commands are blanked (libxmp would otherwise play their parameters as an
// arpeggio). play_tick() renders one tick of 16-bit stereo samples; when that
// tick enters a row (the tick within the row is 0: after a jump, a break or a
// loop too, and once per row under a pattern delay) it first passes each sync
// value of the row, in channel order, to the sync callback that is installed.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <xmp.h>

#include "driver/xm_sync.h"

using SyncFunction = void (*)(uint32_t);

class XmpPlayer {
  public:
    XmpPlayer();
    ~XmpPlayer();
    XmpPlayer(const XmpPlayer&) = delete;
    XmpPlayer& operator=(const XmpPlayer&) = delete;

    // Reads the sync commands and loads the blanked copy. False with a reason
    // in error() when the module is unreadable.
    bool load(const std::vector<uint8_t>& module);
    // Starts playback from the first order at `rate` Hz.
    bool start(int rate);
    // Renders one tick; false once playback cannot go on.
    bool play_tick();
    // Stops playback and releases the module.
    void stop();

    void set_sync_function(SyncFunction f) { sync_function_.store(f, std::memory_order_release); }

    const xmp_frame_info& info() const { return info_; }
    const int16_t* samples() const { return static_cast<const int16_t*>(info_.buffer); }
    size_t sample_frames() const { return static_cast<size_t>(info_.buffer_size) / 4; }
    const std::string& error() const { return error_; }

  private:
    xmp_context ctx_;
    XmSync sync_;
    bool loaded_ = false;
    bool playing_ = false;
    xmp_frame_info info_{};
    std::atomic<SyncFunction> sync_function_{nullptr};
    std::string error_;
};
