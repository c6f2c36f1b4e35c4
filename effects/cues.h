// The music's cues that several scenes answer the same way.
//
//   flash_on_cue(flash, frame, tick)
//       sync flag 1 (consumed) starts the scene's white flash; a running flash
//       brightens the frame and fades (see core/colour.h).
//   backdrop_with_overlay_cue(frame, background, overlay, overlay_start, tick)
//       copies the 320 x 240 background into the frame, or, while sync flag 5
//       is up, the overlay keyed over it (pure black shows the background).
//       The overlay's first frame records its tick in overlay_start (0 = none
//       running); the first frame more than 5 ticks later (an unsigned 32-bit
//       difference) still shows it, then clears the flag and overlay_start.
#pragma once
#include <cstdint>

#include "core/colour.h"
#include "core/image.h"

void flash_on_cue(Flash& flash, uint32_t* frame, int32_t tick);
void backdrop_with_overlay_cue(uint32_t* frame, const Image& background, const Image& overlay,
                               uint32_t& overlay_start, int32_t tick);
