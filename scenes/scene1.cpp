// Scene 1 (not drawn yet: its set-up, render and release are empty).
#include "scenes/scene1.h"

Scene1 scene1;

void scene1_setup() { scene1.ready = true; }

void scene1_render(uint32_t* frame) { (void)frame; }

void scene1_release() { scene1.ready = false; }
