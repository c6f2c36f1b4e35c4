// Ctrl+C (SIGINT) and SIGTERM at every moment of the live show and of a
// recording: one handler for both.
//
// Before the show has started (the questions, the sound set-up dialog,
// loading) either signal ends the process at once with the status of a
// cancelled start-up, 255, after one line on standard error; a dialog that
// SDL shows from a child process goes with it. Once the show has started (a
// recording marks it so at once: it asks nothing) a signal asks the show to
// end: the live show takes it as a key press, a recording stops after the
// current frame. A second signal then ends the process at once, with status
// 128 + its number.
#pragma once
#include <csignal>

constexpr int kCancelledStartStatus = 255;

void install_stop_signals();
// From now on a signal asks the show to end instead of ending the process.
void mark_show_started();
// True after a signal once the show has started.
bool stop_requested();
// The number of that signal (SIGINT or SIGTERM), 0 before one came; the
// flag a recording polls.
int stop_signal_number();
const volatile std::sig_atomic_t* stop_flag();
