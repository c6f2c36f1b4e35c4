// The sync flags (bit k for flag k) that scene `scene` clears within a few
// frames of seeing them, so that a flag raised while it plays does not outlive
// the row that raised it. Flags a scene reads as a lasting switch (scene 0's
// flag 4) and flags no scene reads stay set. Scene numbers 8..31: none.
//
// A file of its own, with nothing but the table: the music's timeline is
// handed it (music_timeline.h) and the web page's music module links it
// without the scenes.
#pragma once
#include <cstdint>

uint16_t scene_consumed_flags(int scene);
