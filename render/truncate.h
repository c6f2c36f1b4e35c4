// Conversion of a double to a 32-bit integer, truncating toward zero.
//
// Geometry is double precision and screen coordinates, texture coordinates and
// depth values are integers; every such conversion goes through here. A value
// that has no 32-bit representation (NaN, infinities, anything beyond the
// signed range, as a degenerate normal or a vertex very near the eye can give)
// becomes INT32_MIN, the value the x86 conversion instruction produces, rather
// than undefined behaviour. The fillers and the sprite routine accept any
// 32-bit input, so such a value draws something odd at worst, never outside
// the frame.
#pragma once
#include <cstdint>

inline int32_t trunc_to_int32(double value) {
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
    return INT32_MIN;
}
