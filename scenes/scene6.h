// Scene 6: set-up, render and release, and the scene's state.
#pragma once
#include <cstdint>

struct Scene6 {
    bool ready = false;
};

extern Scene6 scene6;

void scene6_setup();
void scene6_render(uint32_t* frame);
void scene6_release();
