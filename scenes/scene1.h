// Scene 1: set-up, render and release, and the scene's state.
#pragma once
#include <cstdint>

struct Scene1 {
    bool ready = false;
};

extern Scene1 scene1;

void scene1_setup();
void scene1_render(uint32_t* frame);
void scene1_release();
