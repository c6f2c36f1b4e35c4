// The eight scenes as a table of set-up, render and release, indexed by scene
// number 0..7. Only the main loop (show/) and the tests call them.
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

// The show's start-up after the music has loaded: the lookup tables, the
// random sequence from its start, the set-up of every scene of `scenes` in
// order, and a reset sync state. The main loop's start-up calls it between
// the music and the display.
void set_up_tables_and_scenes(const std::array<SceneOps, kSceneCount>& scenes);

// Start-up without the music and the display, for what renders frames
// outside the live show (stills, the web page, frame probes): the screen
// size, then set_up_tables_and_scenes().
void set_up_scenes();
