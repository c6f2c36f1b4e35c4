// Whether the live show can have a display at all, asked before anything is
// loaded or any question is shown, so that a machine without one hears so at
// once in one line instead of after loading or through a dialog's error.
#pragma once
#include <string>

// True when SDL opens a real video driver (or the one SDL_VIDEODRIVER names);
// otherwise false with the reason in `why` ("no display was found (DISPLAY is not set)",
// "the display DISPLAY=:5 does not answer").
bool display_available(std::string& why);

// With SDL's video started: true when SDL fell back to drawing off screen
// (its offscreen or dummy driver) although no one asked for a driver, so
// that the show would run unseen.
bool display_unseen();
