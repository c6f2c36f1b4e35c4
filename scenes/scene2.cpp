// Scene 2 (not drawn yet: its set-up, render and release are empty).
#include "scenes/scene2.h"

Scene2 scene2;

void scene2_setup() { scene2.ready = true; }

void scene2_render(uint32_t* frame) { (void)frame; }

void scene2_release() { scene2.ready = false; }
