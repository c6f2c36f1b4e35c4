// Scene 4: set-up, render and release, and the scene's state.
#pragma once
#include <cstdint>

struct Scene4 {
    bool ready = false;
};

extern Scene4 scene4;

void scene4_setup();
void scene4_render(uint32_t* frame);
void scene4_release();
