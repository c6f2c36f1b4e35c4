// The eight scenes as a table of set-up, render and release, indexed by scene
// number 0..7. Only the driver (and tests) call them.
#pragma once
#include <array>
#include <cstdint>

struct SceneOps {
    void (*setup)();
    void (*render)(uint32_t* frame);
    void (*release)();
};

constexpr int kSceneCount = 8;

const std::array<SceneOps, kSceneCount>& scene_table();

// Start-up without the music and the display, for what renders frames
// outside the live show (stills, the web page, frame probes): the screen
// size, the lookup tables, the random sequence from its start, every scene's
// set-up in order, and a reset sync state.
void set_up_scenes();

// The sync flags (bit k for flag k) that scene `scene` clears within a few
// frames of seeing them, so that a flag raised while it plays does not outlive
// the row that raised it. Flags a scene reads as a lasting switch (scene 0's
// flag 4) and flags no scene reads stay set. Scene numbers 8..31: none.
uint16_t scene_consumed_flags(int scene);
