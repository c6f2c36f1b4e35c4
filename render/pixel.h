// Pixel access shared by the spans and the additive sprite: the wrapped texel
// fetch. The saturating add they compose with is core/colour.h's
// add_saturate (frame pixel first: its top byte is kept).
#pragma once
#include <cstdint>

#include "core/colour.h"
#include "core/pixels4.h"

// Texel of a 256 x 256 texture at 16.16 coordinates u (column) and v (row);
// both wrap modulo 256.
inline uint32_t texel_at(const uint32_t* texture, uint32_t u, uint32_t v) {
    return texture[((v >> 8) & 0xFF00u) | ((u >> 16) & 0xFFu)];
}

// texel_at for four pixels: lane k reads at (u lane k, v lane k).
inline px4::Pixels4 texels_at4(const uint32_t* texture, px4::Pixels4 u, px4::Pixels4 v) {
    using namespace px4;
    uint32_t at[4];
    to_array((shift_right32<8>(v) & splat(0xFF00u)) | (shift_right32<16>(u) & splat(0xFFu)), at);
    return gather(texture[at[0]], texture[at[1]], texture[at[2]], texture[at[3]]);
}
