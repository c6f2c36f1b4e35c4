// Scene 6 (not drawn yet: its set-up, render and release are empty).
#include "scenes/scene6.h"

Scene6 scene6;

void scene6_setup() { scene6.ready = true; }

void scene6_render(uint32_t* frame) { (void)frame; }

void scene6_release() { scene6.ready = false; }
