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
