// Scene 2: set-up, render and release, and the scene's state.
#pragma once
#include <cstdint>

struct Scene2 {
    bool ready = false;
};

extern Scene2 scene2;

void scene2_setup();
void scene2_render(uint32_t* frame);
void scene2_release();
