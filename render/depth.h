// The depth buffer and depth bias used by the depth-tested filler.
//
// depth_buffer: 320 x 240 unsigned entries indexed y * 320 + x; larger is
// nearer, 0 is "nothing drawn". depth_bias: added to every projected depth
// value (1 / z in 16.16, so below 65536 for every z > 1). Both belong to the
// scene that draws depth-tested faces: it allocates the buffer zeroed and sets
// the bias to 0 at set-up, calls advance_depth_bias() once after each frame's
// draws and frees the buffer at release. Because each frame's depths lie above
// every depth left by earlier frames, the buffer never needs clearing between
// frames.
//
// The bias grows by 1.0 in 16.16 (65536) per frame and would leave the signed
// 32-bit range after 32768 frames (under a minute unthrottled).
// advance_depth_bias() sees that coming: instead of overflowing it clears the
// buffer to 0 and restarts the bias at 0, which draws exactly what a freshly
// set-up scene draws.
#pragma once
#include <cstdint>

#include "core/fixed16.h"

extern uint32_t* depth_buffer; // nullptr until a scene allocates it
extern int32_t depth_bias;

constexpr int32_t kDepthBiasStep = fx16::kOne;

// Adds kDepthBiasStep to depth_bias, or, when the next frame's depth values
// (bias + up to 65535) would not fit in 32 signed bits, clears depth_buffer
// (if allocated) and sets depth_bias to 0.
void advance_depth_bias();
