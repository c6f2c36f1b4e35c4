// Scene 7: set-up, render and release, and the scene's state.
#pragma once
#include <cstdint>

struct Scene7 {
    bool ready = false;
};

extern Scene7 scene7;

void scene7_setup();
void scene7_render(uint32_t* frame);
void scene7_release();
