// Scene 3: set-up, render and release, and the scene's state.
#pragma once
#include <cstdint>

struct Scene3 {
    bool ready = false;
};

extern Scene3 scene3;

void scene3_setup();
void scene3_render(uint32_t* frame);
void scene3_release();
