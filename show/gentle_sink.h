// A recording in the gentle mode: a FrameSink that hands each frame on
// through the gentle filter (safety/gentle_filter.h), timed at the
// recording's frame rate, and everything else unchanged. The frames a
// stretch's lead-in draws and drops (Recorder::on_skip) go through the
// filter too, with lead_in(), so that a stretch shows exactly those frames
// of the whole gentle recording.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "safety/gentle_filter.h"
#include "show/frame_sink.h"
#include "show/record_timing.h"

class GentleSink : public FrameSink {
  public:
    GentleSink(FrameSink& to, FrameRate rate) : to_(to), rate_(rate) {}

    void open() override { to_.open(); }
    void video(const uint32_t* frame) override { to_.video(next(frame)); }
    void audio(const int16_t* samples, size_t frames) override { to_.audio(samples, frames); }
    void finish() override { to_.finish(); }
    void abandon() override { to_.abandon(); }
    void discard() override { to_.discard(); }
    const std::string& path() const override { return to_.path(); }

    // A frame drawn and dropped before the recording's first.
    void lead_in(const uint32_t* frame) { next(frame); }

    const GentleFilter& filter() const { return filter_; }

  private:
    const uint32_t* next(const uint32_t* frame);

    FrameSink& to_;
    FrameRate rate_;
    GentleFilter filter_;
    int64_t frames_ = 0;
};

// Frame n's time in whole microseconds (toward zero) at `rate`.
inline int64_t frame_time_us(const FrameRate& rate, int64_t n) {
    return n * rate.den * 1000000 / rate.num;
}
