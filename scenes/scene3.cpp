// Scene 3 (not drawn yet: its set-up, render and release are empty).
#include "scenes/scene3.h"

Scene3 scene3;

void scene3_setup() { scene3.ready = true; }

void scene3_render(uint32_t* frame) { (void)frame; }

void scene3_release() { scene3.ready = false; }
