// Scene 0 (not drawn yet: its set-up, render and release are empty).
#include "scenes/scene0.h"

Scene0 scene0;

void scene0_setup() { scene0.ready = true; }

void scene0_render(uint32_t* frame) { (void)frame; }

void scene0_release() { scene0.ready = false; }
