// Where a recording's frames and sound go: a video file (video_encoder.h),
// numbered PNG files with a WAV file (frame_files.h), or a test's checksum.
//
//   open()        creates the output; throws RecordError naming the file
//                 and the cause
//   video(frame)  one 320 x 240 frame of 0x00RRGGBB pixels, in order
//   audio(s, n)   n sample frames of 16-bit stereo at 48 kHz, interleaved,
//                 in order
//   finish()      completes the output so that it plays; throws RecordError.
//                 The output is then kept (under the name it was written
//                 to: the caller moves it into place) unless discard()
//   abandon()     frees everything and removes what was written; safe to
//                 call after finish() (then it only frees) and twice
//   discard()     frees everything and removes what was written, also after
//                 finish(): an output nobody should be shown
//
// Every call after a failure throws again or does nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "show/platform.h"

// A failure of a recording's output (a full disk, a file that cannot be
// written, an encoder that cannot be opened): one line naming the file and
// the cause. It ends the show as a display failure does (status 1).
struct RecordError : PlatformError {
    using PlatformError::PlatformError;
};

class FrameSink {
  public:
    virtual ~FrameSink() = default;
    virtual void open() = 0;
    virtual void video(const uint32_t* frame) = 0;
    virtual void audio(const int16_t* samples, size_t frames) = 0;
    virtual void finish() = 0;
    virtual void abandon() = 0;
    virtual void discard() = 0;
    // The file (or folder) the output goes to, for messages.
    virtual const std::string& path() const = 0;
};

// Output that goes nowhere: a replay's, a benchmark's.
class NullSink : public FrameSink {
  public:
    void open() override {}
    void video(const uint32_t*) override {}
    void audio(const int16_t*, size_t) override {}
    void finish() override {}
    void abandon() override {}
    void discard() override {}
    const std::string& path() const override { return name_; }

  private:
    std::string name_ = "nowhere";
};

// Copies a 320 x 240 frame scaled up by `k` with nearest-neighbour sampling
// into `out` (320k x 240k pixels, rows without gaps).
void scale_frame(const uint32_t* frame, int k, uint32_t* out);
