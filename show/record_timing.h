// Frame and sample positions of a recording, in exact integer arithmetic.
//
// A recording runs at a frame rate of num/den frames per second (60/1,
// 50/1, 60000/1001, ...) and its sound at 48000 sample frames per second.
// Frame n is shown at time n * den / num seconds.
//
//   samples_after(n)   sample frames written once n frames are: round(n x
//                      48000 / fps), halves up; the per-frame counts carry
//                      the remainder, so sound never drifts from picture
//   shows(s, n)        true when frame n shows a row starting at sample s,
//                      i.e. s / 48000 <= n / fps
//   frames_until(s)    how many frames come before the first frame that
//                      shows sample s: the frame count of a recording that
//                      ends there
//   time_ms(n)         frame n's time in whole milliseconds (toward zero):
//                      the clock the main loop reads
//   first_frame_at(ms) the first frame shown at or after `ms`: a moment's
//                      frame (ceil(ms x fps / 1000))
#pragma once
#include <cstdint>

constexpr int64_t kRecordRate = 48000;

struct FrameRate {
    int64_t num = 60;
    int64_t den = 1;

    int64_t samples_after(int64_t n) const { return (2 * n * kRecordRate * den + num) / (2 * num); }
    bool shows(int64_t sample, int64_t n) const { return sample * num <= n * den * kRecordRate; }
    int64_t frames_until(int64_t sample) const {
        const int64_t per = den * kRecordRate;
        return sample <= 0 ? 0 : (sample * num + per - 1) / per;
    }
    int64_t time_ms(int64_t n) const { return n * den * 1000 / num; }
    int64_t first_frame_at(int64_t ms) const {
        const int64_t per = den * 1000;
        return ms <= 0 ? 0 : (ms * num + per - 1) / per;
    }
    double fps() const { return static_cast<double>(num) / static_cast<double>(den); }
};
