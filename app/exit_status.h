// The program's exit statuses (the README's table lists what leads to each).
#pragma once
#include <cstdio>
#include <string>

constexpr int kExitDone = 0;       // the show, a still, a recording or the timeline came to its end
constexpr int kExitFailed = 1;     // no display, a display error, a recording that cannot be made
constexpr int kExitBadRequest = 2; // a bad option or position, a data folder that cannot be used
// A data file that cannot be read or is broken: the show's own -1, as the
// process reports it (also the status of a start-up cancelled by a signal,
// stop_signals.h).
constexpr int kExitBadData = 255;

// Says why, as one line "vorn: REASON" on standard error, and returns `status`.
inline int refuse(const std::string& reason, int status) {
    std::fprintf(stderr, "vorn: %s\n", reason.c_str());
    return status;
}
