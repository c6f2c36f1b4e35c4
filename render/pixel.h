// Pixel access shared by the runs and the additive sprite: the wrapped texel
// fetch. The saturating add they compose with is core/colour.h's
// add_saturate (frame pixel first: its top byte is kept).
#pragma once
#include <cstdint>

#include "core/colour.h"
#include "core/fixed16.h"

// Texel of a 256 x 256 texture at 16.16 coordinates u (column) and v (row);
// both wrap modulo 256.
inline uint32_t texel_at(const uint32_t* texture, uint32_t u, uint32_t v) {
    return texture[fx16::texel_row_offset(v) | fx16::texel_column(u)];
}
