// Ctrl+C (SIGINT) and SIGTERM at every moment of the live show.
//
// Before the show has started (the questions, the sound set-up dialog,
// loading) either signal ends the process at once with the status of a
// cancelled start-up, 255, after one line on standard error; a dialog that
// SDL shows from a child process goes with it. Once the show has started a
// signal counts as a key press: the main loop ends, the scenes are released
// and the program exits 0.
#pragma once

constexpr int kCancelledStartStatus = 255;

void install_stop_signals();
// From now on a signal asks the show to end instead of ending the process.
void mark_show_started();
// True after a signal once the show has started.
bool stop_requested();
