// The show's main loop as a machine that advances one frame at a time, so
// that the live show, a recording, a seek's replay and the web page all run
// the very same loop and can stop it between frames (pause, seek, end).
//
// One step does what the loop does up to its next frame or idle sweep:
//
//   top of a pass   deliver the sync values due; end on a key or scene 31
//   scene k = 0..7  read the clock as the scene's start, then while the
//                   scene number is k (sync delivered before each frame, a
//                   key ends): tick counter = 70 per second since that
//                   start, render scene k, present
//   after scene 7   if no scene drew in the whole sweep: idle; then the top
//
// step() returns Drew after presenting a frame, Idle after an idle sweep and
// Ended when a key or scene 31 ends the show; after Ended it stays ended.
// With `hold` set, it is asked just before each frame or idle sweep would be
// made; when it answers true, step() returns Held and the loop stays where it
// is, so that the next step makes that frame (a replay stops there and the
// live show goes on from there).
// A ShowLoop holds only where in the loop it is (the scene whose turn it
// is, when that scene's loop began, whether the sweep drew); the scenes'
// state, the sync state and the shared rand are the show's own. A loop
// replayed on one platform can go on on another whose clock continues the
// first one's (see replay.h).
#pragma once
#include <cstdint>
#include <functional>

#include "show/show.h"

class ShowLoop {
  public:
    enum class Step { Drew, Idle, Held, Ended };

    // The first step starts at the top of a pass; the tick counter is 0.
    ShowLoop();
    Step step(ShowPlatform& p);
    bool ended() const { return phase_ == Phase::Ended; }
    // The scene whose loop runs (0..7), or -1 between scenes.
    int running_scene() const { return phase_ == Phase::InScene ? scene_ : -1; }

    std::function<bool()> hold;

  private:
    enum class Phase { Top, SceneStart, InScene, Ended };
    Phase phase_ = Phase::Top;
    int scene_ = 0;           // whose turn it is in the sweep
    float scene_start_ = 0.f; // the clock when that scene's loop began (ms)
    bool drew_ = false;       // whether this sweep drew a frame
};
