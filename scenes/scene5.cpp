// Scene 5 (not drawn yet: its set-up, render and release are empty).
#include "scenes/scene5.h"

Scene5 scene5;

void scene5_setup() { scene5.ready = true; }

void scene5_render(uint32_t* frame) { (void)frame; }

void scene5_release() { scene5.ready = false; }
