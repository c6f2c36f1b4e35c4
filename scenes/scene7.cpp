// Scene 7 (not drawn yet: its set-up, render and release are empty).
#include "scenes/scene7.h"

Scene7 scene7;

void scene7_setup() { scene7.ready = true; }

void scene7_render(uint32_t* frame) { (void)frame; }

void scene7_release() { scene7.ready = false; }
