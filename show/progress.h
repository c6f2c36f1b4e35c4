// The progress line of a recording on standard error: frames done of the
// total, show time, speed as a multiple of real time and the time left,
// redrawn in place at most four times a second when standard error is a
// terminal; otherwise (a log, a pipe) written as a whole line at each tenth
// of the way.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "show/record_timing.h"

class Progress {
  public:
    Progress(int64_t total_frames, FrameRate rate, bool terminal);
    void update(int64_t frames);
    // Frames drawn before a stretch's first (not recorded, but they give it
    // the state the whole show has there): a line on a terminal once this
    // has taken half a second.
    void lead_in(int64_t frames, int64_t total);
    // Clears the line (on a terminal) and prints `summary` on a line of its own.
    void finish(const std::string& summary);
    // Seconds since construction.
    double elapsed() const;

  private:
    int64_t total_;
    FrameRate rate_;
    bool terminal_;
    int64_t started_ms_;
    int64_t drawn_ms_ = -1000;
    bool drawn_ = false;
    int64_t logged_tenth_ = 0; // tenths of the way logged so far
};

// "m:ss.s" for a time in seconds.
std::string clock_text(double seconds);
