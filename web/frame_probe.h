// Frames rendered outside the main loop, for comparing builds and timing
// scenes: the same calls give the same frames in every build, natively and
// in WebAssembly.
//
//   probe_setup()               as at start: screen size, tables, every
//                               scene's set-up in order, sync reset
//   probe_frame(s, t, flags)    raises the sync flags in `flags` (bit k for
//                               flag k), sets the tick counter to t, renders
//                               scene s onto the persistent frame and returns
//                               the frame's FNV-1a hash
//   probe_render(s, t)          the same without flags or hash (for timing)
//   probe_release()             every scene's release in order
#pragma once
#include <cstddef>
#include <cstdint>

void probe_setup();
uint32_t probe_frame(int scene, int32_t tick, uint32_t flags);
void probe_render(int scene, int32_t tick);
void probe_release();
// FNV-1a over the bytes of `n` 32-bit values, least significant byte first.
uint32_t fnv1a32(const uint32_t* words, size_t n);
