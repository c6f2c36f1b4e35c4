// Frame pacing and frame statistics for the live loop.
//
// With vertical sync a present waits for the display, and the loop runs at
// the display's rate by itself. Where vsync does not hold (the renderer did
// not grant it, or presents keep returning at once, as on some virtual
// machines and remote desktops) the pacer sleeps until the next period of
// the display's refresh rate (60 Hz when unknown) instead, so the loop does
// not burn a core. With pacing not allowed (--no-vsync) it only measures.
//
// The main loop calls frame_start() before a frame's render, rendered()
// after it, presented() after the present, and idle() when a sweep drew
// nothing. Times are microseconds of the pacing clock.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class PaceClock {
  public:
    virtual ~PaceClock() = default;
    virtual int64_t now_us() = 0;
    virtual void sleep_until_us(int64_t t) = 0;
};

class FramePacer {
  public:
    FramePacer(PaceClock& clock, bool may_pace) : clock_(clock), may_pace_(may_pace) {}

    // The display is open: its refresh rate (0 when unknown) and whether its
    // presents were promised to wait for vsync.
    void begin(int refresh_hz, bool vsync_granted);
    void frame_start();
    void rendered();
    void presented();
    void idle() { last_end_ = -1; }

    bool pacing() const { return pacing_; }
    int64_t period_us() const { return period_us_; }
    // The --stats text: frames, mean rate, render and present percentiles,
    // frames that missed the display's period.
    std::string report() const;

  private:
    PaceClock& clock_;
    bool may_pace_;
    bool pacing_ = false;
    int64_t period_us_ = 1000000 / 60;
    int fast_in_a_row_ = 0;
    int64_t start_ = 0, rendered_at_ = 0;
    int64_t first_start_ = -1, last_end_ = -1, deadline_ = 0, shown_until_ = 0;
    int missed_ = 0;
    std::vector<int32_t> render_us_, present_us_;
};
