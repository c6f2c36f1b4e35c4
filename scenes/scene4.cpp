// Scene 4 (not drawn yet: its set-up, render and release are empty).
#include "scenes/scene4.h"

Scene4 scene4;

void scene4_setup() { scene4.ready = true; }

void scene4_render(uint32_t* frame) { (void)frame; }

void scene4_release() { scene4.ready = false; }
