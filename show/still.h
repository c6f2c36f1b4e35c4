// Stills: render one frame of one scene, without window, sound or questions,
// and write it as a 320 x 240 RGB PNG.
//
//   run_still("SCENE:TICK[:FLAGS]", "out.png") runs the set-ups of all eight
//   scenes in order as at start, resets the sync state, raises the listed sync
//   flags (1..9, joined by commas), sets the tick counter to TICK, renders
//   scene SCENE once on a black frame and writes the PNG. Returns the process
//   exit code: 0, or 2 after a clear message for a bad argument. The data
//   files are read from the working folder (the caller has changed into it).
#pragma once
#include <string>

int run_still(const std::string& request_text, const std::string& out_png);
