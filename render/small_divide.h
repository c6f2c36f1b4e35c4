// Exact quotients by small pixel counts without a divide instruction.
//
// The fillers divide once per edge and once per run: a difference of
// coordinates over a row or pixel count, either in 16.16 ((delta * 65536) /
// count) or plain (delta / count), truncated toward zero as C++'s `/` does.
// Most runs are a few pixels long, so the hardware divide (15 to 45 cycles)
// costs more than the run's pixels. These functions give the very same
// quotient through a multiplication by a rounded-up reciprocal.
//
// Why it is exact: let m = ceil(2^42 / d) for a divisor 1 <= d <= 1024. Then
// 2^42 <= m * d < 2^42 + d <= 2^42 + 2^10, and for every 0 <= n < 2^32
//   floor(n / d) = floor(n * m / 2^42)
// (Granlund and Montgomery, "Division by invariant integers using
// multiplication", 1994, theorem 4.2 with N = 32, l = 10). With n = a * 65536
// and a < 2^16 the shift splits into floor(a * m / 2^26); a * m < 2^58, and
// for the plain quotient a < 2^21 gives a * m < 2^63, so the products fit in
// 64 bits. Negative numerators divide their magnitude and negate, which is
// truncation toward zero. Anything outside these bounds (long runs, far
// corners) takes the divide instruction.
#pragma once
#include <array>
#include <cmath>
#include <cstdint>

namespace small_divide_detail {

constexpr int64_t kMaxDivisor = 1024;
constexpr int kShift = 42;

constexpr std::array<uint64_t, kMaxDivisor + 1> make_reciprocals() {
    std::array<uint64_t, kMaxDivisor + 1> m{};
    for (uint64_t d = 1; d <= kMaxDivisor; ++d)
        m[d] = ((uint64_t{1} << kShift) + d - 1) / d;
    return m;
}

inline constexpr std::array<uint64_t, kMaxDivisor + 1> kReciprocal = make_reciprocals();

// 1 / d rounded to a double and moved one step up: above 1 / d by at most
// two units in the last place.
inline const std::array<double, kMaxDivisor + 1> kReciprocalUp = [] {
    std::array<double, kMaxDivisor + 1> r{};
    for (int64_t d = 1; d <= kMaxDivisor; ++d)
        r[d] = std::nextafter(1.0 / static_cast<double>(d), 2.0);
    return r;
}();

inline uint64_t magnitude(int64_t a) {
    return a < 0 ? 0 - static_cast<uint64_t>(a) : static_cast<uint64_t>(a);
}
inline int64_t with_sign_of(int64_t a, uint64_t q) {
    return a < 0 ? -static_cast<int64_t>(q) : static_cast<int64_t>(q);
}

} // namespace small_divide_detail

// The reciprocal path alone, for callers that know their bounds:
// (delta * 65536) / count for 1 <= count <= 1024 and |delta| < 2^16, and
// delta / count for 1 <= count <= 1024 and |delta| < 2^21.
//
// In double precision: r is 1 / count rounded up (kReciprocalUp), and the
// quotient is trunc(n * r) with n the exact numerator (below 2^32 in
// magnitude). Since r > 1 / count, n * r is above n / count, and its
// rounding cannot fall below the integer part of n / count; and n * r
// exceeds n / count by less than n * 2^-51 / count <= 2^-19, while a
// quotient that is not whole lies at least 1 / count >= 2^-10 below the next
// integer, so rounding cannot reach it either. Rounding to nearest is symmetric in sign, so
// negative numerators truncate toward zero as the integer division does.
inline int64_t small_divide_16_16(int64_t delta, int64_t count) {
    return static_cast<int64_t>(static_cast<double>(delta * 65536) *
                                small_divide_detail::kReciprocalUp[count]);
}
inline int64_t small_divide_plain(int64_t delta, int64_t count) {
    return static_cast<int64_t>(static_cast<double>(delta) *
                                small_divide_detail::kReciprocalUp[count]);
}

// (delta * 65536) / count, truncated toward zero. count > 0; |delta| < 2^40.
inline int64_t divide_16_16(int64_t delta, int64_t count) {
    using namespace small_divide_detail;
    const uint64_t a = magnitude(delta);
    if (count <= kMaxDivisor && a < (1 << 16))
        return with_sign_of(delta, (a * kReciprocal[count]) >> (kShift - 16));
    return (delta * 65536) / count;
}

// delta / count, truncated toward zero. count > 0.
inline int64_t divide_plain(int64_t delta, int64_t count) {
    using namespace small_divide_detail;
    const uint64_t a = magnitude(delta);
    if (count <= kMaxDivisor && a < (1 << 21))
        return with_sign_of(delta, (a * kReciprocal[count]) >> kShift);
    return delta / count;
}
