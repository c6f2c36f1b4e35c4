// Scene 5: set-up, render and release, and the scene's state.
#pragma once
#include <cstdint>

struct Scene5 {
    bool ready = false;
};

extern Scene5 scene5;

void scene5_setup();
void scene5_render(uint32_t* frame);
void scene5_release();
