// Which sample frame of the music the listener hears now, worked out from
// the audio device's callbacks.
//
// The device asks for sound in buffers of `device_frames` sample frames. When
// a callback starts, the buffer handed over before it is still playing, so
// the first sample of that earlier buffer is heard at the callback's
// wall-clock time, and the samples after it follow at the device's rate. The
// estimate never runs past the last sample known to be in the device (a late
// or stalled device holds it back instead of letting it run ahead) and never
// goes backwards. Latency the program cannot see (the system's own mixing,
// a wireless headset) is the user's offset.
//
// on_callback() runs on the audio thread and never blocks or allocates;
// heard() runs on one consumer thread. Times are in microseconds of any
// monotonic clock; samples in sample frames since playback began.
#pragma once
#include <atomic>
#include <cstdint>

class HeardSample {
  public:
    HeardSample(int rate, int device_frames) : rate_(rate), device_frames_(device_frames) {}

    // Audio thread: a callback starting at `now_us` is about to hand over the
    // samples that follow the `handed` frames given so far.
    void on_callback(int64_t now_us, int64_t handed);
    // Consumer: the sample heard at `now_us`; -1 before the first callback.
    int64_t heard(int64_t now_us);

  private:
    const int rate_;
    const int device_frames_;
    // The latest callback, published with a sequence count (odd while written).
    std::atomic<uint32_t> seq_{0};
    std::atomic<int64_t> at_us_{0};
    std::atomic<int64_t> handed_{-1};
    int64_t last_ = -1; // consumer only
};
