// The 16.16 fixed-point format, by name.
//
// A 16.16 number holds value x 65536 in an integer: the whole part in the
// bits above 16, the fraction in the low 16 bits. The renderer keeps texture
// coordinates (texels), edge positions and their per-row and per-pixel steps
// in it; the caller picks the integer width (int32_t where the show's
// arithmetic wraps at 32 bits, int64_t where it must not overflow).
//
//   fx16::kOne        1.0 (an int, so `x * fx16::kOne` has x's width)
//   fx16::kOneF       1.0 as a double, for conversions from floating point
//   fx16::kFraction   the fraction bits (0xFFFF)
//   fx16::floor(a)    whole part rounded down: a >> 16 (arithmetic shift)
//   fx16::ceil(a)     whole part rounded up: (a + 0xFFFF) >> 16
//   fx16::mul(a, b)   product of two 16.16 numbers, (a * b) >> 16
//
// Texture coordinates wrap at 256 texels: a 16.16 u's column is
// (u >> 16) & 0xFF, and a v's row times 256 is (v >> 8) & 0xFF00.
#pragma once
#include <cstdint>

namespace fx16 {
constexpr int kShift = 16;
constexpr int kOne = 1 << kShift;
constexpr double kOneF = 65536.0;
constexpr int kFraction = kOne - 1;

template <class T> constexpr T floor(T a) {
    return a >> kShift;
}
template <class T> constexpr T ceil(T a) {
    return (a + kFraction) >> kShift;
}
constexpr int64_t mul(int64_t a, int64_t b) {
    return (a * b) >> kShift;
}

// Texel coordinates: the column of u and the row of v times 256, both
// wrapped to the 256 x 256 texture.
constexpr uint32_t texel_column(uint32_t u) {
    return (u >> kShift) & 0xFFu;
}
constexpr uint32_t texel_row_offset(uint32_t v) {
    return (v >> 8) & 0xFF00u;
}
} // namespace fx16
