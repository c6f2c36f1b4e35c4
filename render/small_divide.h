// Exact quotients by small pixel counts without a divide instruction.
//
// The fillers divide once per edge and once per run: a difference of
// coordinates over a row or pixel count, either as a 16.16 quotient (delta x 2^16
// / count) or plain (delta / count), truncated toward zero as C++'s `/` does.
// Most runs are a few pixels long, so the hardware divide costs more than the
// run's pixels. For callers that know their bounds (the walk of triangles
// inside the frame, see triangle_walk.h) these functions give the very same
// quotient through a multiplication by a rounded-up reciprocal:
//   small_divide_16_16  delta / count in 16.16,  1 <= count <= 1024, |delta| < 2^16
//   small_divide_plain  delta / count,           1 <= count <= 1024, |delta| < 2^21
//
// Why it is exact: r is 1 / count rounded to a double and moved one step up,
// so r > 1 / count and r exceeds it by at most two units in the last place.
// The quotient is trunc(n * r) with n the numerator, exact in a double (below
// 2^32 in magnitude). n * r is above n / count, so its rounding cannot fall
// below the integer part of n / count; and n * r exceeds n / count by less
// than n * 2^-51 / count <= 2^-19, while a quotient that is not whole lies at
// least 1 / count >= 2^-10 below the next integer, so rounding cannot reach
// it either. Rounding to nearest is symmetric in sign, so negative
// numerators truncate toward zero as the integer division does.
#pragma once
#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>

#include "core/fixed16.h"

namespace small_divide_detail {

constexpr int64_t kMaxDivisor = 1024;

// 1 / d rounded to a double and moved one step up.
inline const std::array<double, kMaxDivisor + 1> kReciprocalUp = [] {
    std::array<double, kMaxDivisor + 1> r{};
    for (int64_t d = 1; d <= kMaxDivisor; ++d)
        r[d] = std::nextafter(1.0 / static_cast<double>(d), 2.0);
    return r;
}();

} // namespace small_divide_detail

inline int64_t small_divide_16_16(int64_t delta, int64_t count) {
    assert(count >= 1 && count <= small_divide_detail::kMaxDivisor);
    assert(delta > -(int64_t{1} << 16) && delta < (int64_t{1} << 16));
    return static_cast<int64_t>(static_cast<double>(delta * fx16::kOne) *
                                small_divide_detail::kReciprocalUp[count]);
}
inline int64_t small_divide_plain(int64_t delta, int64_t count) {
    assert(count >= 1 && count <= small_divide_detail::kMaxDivisor);
    assert(delta > -(int64_t{1} << 21) && delta < (int64_t{1} << 21));
    return static_cast<int64_t>(static_cast<double>(delta) *
                                small_divide_detail::kReciprocalUp[count]);
}
