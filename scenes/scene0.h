// Scene 0: set-up, render and release, and the scene's state.
#pragma once
#include <cstdint>

struct Scene0 {
    bool ready = false;
};

extern Scene0 scene0;

void scene0_setup();
void scene0_render(uint32_t* frame);
void scene0_release();
