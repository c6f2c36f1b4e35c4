// The one vector layer of the pixel loops: four 0x00RRGGBB pixels at a time.
//
// On x86-64 the operations are SSE2 instructions (always present there);
// everywhere else, or when VORN_PLAIN_VECTORS is defined, they are plain C++
// loops over the lanes that give the same results bit for bit. Each operation
// holds both forms, the instruction first and its plain twin under #else, so
// that one can be checked against the other at a glance. The tests build the
// frames both ways and compare them with the same checksums.
//
// A loop that uses this layer keeps its plain one-pixel loop beside the
// vector loop: the plain loop states the arithmetic and draws the pixels left
// over after the last whole group of four.
//
//   Pixels4       four 32-bit pixels (lane 0 is the lowest address)
//   Channels8     eight 16-bit numbers (load16, splat16; back to pixels
//                 with interleave_low / high)
//   Doubles2      two doubles side by side (the metaball arithmetic of two
//                 vertices at once); they are rounded to float only where
//                 round_to_float says so, each lane exactly as a cast would
//
// Operations on 16-bit numbers end in 16 and exist for both Pixels4 and
// Channels8 (mul16_high, mul16_low, shift_left16, shift_right16): a Pixels4
// lane is then two separate numbers, bits 0..15 and 16..31. Channels8 also
// has +, - and * (the low 16 bits of the product, as mul16_low). low64 and
// high64 hand two Pixels4 lanes at once to scalar code (two table indices,
// say).
#pragma once
#include <cmath>
#include <cstdint>

#include "core/round_to_float.h"

#if defined(__SSE2__) && !defined(VORN_PLAIN_VECTORS)
#define VORN_SSE2_VECTORS 1
#include <emmintrin.h>
#endif

namespace px4 {

#if defined(VORN_SSE2_VECTORS)
struct Pixels4 {
    __m128i v;
};
struct Channels8 {
    __m128i v;
};
struct Doubles2 {
    __m128d v;
};
#else
struct Pixels4 {
    uint32_t v[4];
};
struct Channels8 {
    uint16_t v[8];
};
struct Doubles2 {
    double v[2];
};
#endif

// ---- Pixels4: loading, storing and building ----

inline Pixels4 load(const uint32_t* p) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))};
#else
    return {{p[0], p[1], p[2], p[3]}};
#endif
}
inline void store(uint32_t* p, Pixels4 a) {
#if defined(VORN_SSE2_VECTORS)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a.v);
#else
    for (int i = 0; i < 4; ++i)
        p[i] = a.v[i];
#endif
}
inline Pixels4 gather(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_set_epi32(static_cast<int>(d), static_cast<int>(c), static_cast<int>(b),
                          static_cast<int>(a))};
#else
    return {{a, b, c, d}};
#endif
}
inline Pixels4 splat(uint32_t a) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_set1_epi32(static_cast<int>(a))};
#else
    return {{a, a, a, a}};
#endif
}
// first, first + step, first + 2 step, first + 3 step, summed unsigned, which
// wraps (a signed sum could overflow).
inline Pixels4 lanes(uint32_t first, uint32_t step) {
#if defined(VORN_SSE2_VECTORS)
    auto at = [first, step](uint32_t k) { return static_cast<int>(first + k * step); };
    return {_mm_set_epi32(at(3), at(2), at(1), at(0))};
#else
    return {{first, first + step, first + 2 * step, first + 3 * step}};
#endif
}
inline uint32_t lane(Pixels4 a, int n) {
#if defined(VORN_SSE2_VECTORS)
    alignas(16) uint32_t out[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(out), a.v);
    return out[n];
#else
    return a.v[n];
#endif
}
inline void to_array(Pixels4 a, uint32_t (&out)[4]) {
#if defined(VORN_SSE2_VECTORS)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), a.v);
#else
    for (int i = 0; i < 4; ++i)
        out[i] = a.v[i];
#endif
}
// Lanes 0 and 1 (low64) or 2 and 3 (high64) as one number, the lower lane in
// bits 0..31.
inline uint64_t low64(Pixels4 a) {
#if defined(VORN_SSE2_VECTORS)
    uint64_t r;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&r), a.v);
    return r;
#else
    return a.v[0] | uint64_t{a.v[1]} << 32;
#endif
}
inline uint64_t high64(Pixels4 a) {
#if defined(VORN_SSE2_VECTORS)
    uint64_t r;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&r), _mm_unpackhi_epi64(a.v, a.v));
    return r;
#else
    return a.v[2] | uint64_t{a.v[3]} << 32;
#endif
}

// ---- Pixels4: bytes ----

// Each byte (a + b) mod 256.
inline Pixels4 add_bytes(Pixels4 a, Pixels4 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_add_epi8(a.v, b.v)};
#else
    Pixels4 r;
    for (int i = 0; i < 4; ++i) {
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8)
            out |= ((((a.v[i] >> shift) & 0xFFu) + ((b.v[i] >> shift) & 0xFFu)) & 0xFFu) << shift;
        r.v[i] = out;
    }
    return r;
#endif
}
// Each byte min(a + b, 255).
inline Pixels4 add_bytes_saturate(Pixels4 a, Pixels4 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_adds_epu8(a.v, b.v)};
#else
    Pixels4 r;
    for (int i = 0; i < 4; ++i) {
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const uint32_t sum = ((a.v[i] >> shift) & 0xFFu) + ((b.v[i] >> shift) & 0xFFu);
            out |= (sum > 255u ? 255u : sum) << shift;
        }
        r.v[i] = out;
    }
    return r;
#endif
}

// ---- Pixels4: 32-bit lanes ----

inline Pixels4 add32(Pixels4 a, Pixels4 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_add_epi32(a.v, b.v)};
#else
    return {{a.v[0] + b.v[0], a.v[1] + b.v[1], a.v[2] + b.v[2], a.v[3] + b.v[3]}};
#endif
}
inline Pixels4 operator&(Pixels4 a, Pixels4 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_and_si128(a.v, b.v)};
#else
    return {{a.v[0] & b.v[0], a.v[1] & b.v[1], a.v[2] & b.v[2], a.v[3] & b.v[3]}};
#endif
}
inline Pixels4 operator|(Pixels4 a, Pixels4 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_or_si128(a.v, b.v)};
#else
    return {{a.v[0] | b.v[0], a.v[1] | b.v[1], a.v[2] | b.v[2], a.v[3] | b.v[3]}};
#endif
}
inline Pixels4 operator^(Pixels4 a, Pixels4 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_xor_si128(a.v, b.v)};
#else
    return {{a.v[0] ^ b.v[0], a.v[1] ^ b.v[1], a.v[2] ^ b.v[2], a.v[3] ^ b.v[3]}};
#endif
}
template <int n> inline Pixels4 shift_right32(Pixels4 a) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_srli_epi32(a.v, n)};
#else
    return {{a.v[0] >> n, a.v[1] >> n, a.v[2] >> n, a.v[3] >> n}};
#endif
}
// All ones in each lane that is zero, else zero.
inline Pixels4 is_zero(Pixels4 a) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_cmpeq_epi32(a.v, _mm_setzero_si128())};
#else
    Pixels4 r;
    for (int i = 0; i < 4; ++i)
        r.v[i] = a.v[i] == 0 ? 0xFFFFFFFFu : 0u;
    return r;
#endif
}
// Lane by lane: a where `mask`'s lane is all ones, b where it is zero.
inline Pixels4 select(Pixels4 mask, Pixels4 a, Pixels4 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_or_si128(_mm_and_si128(mask.v, a.v), _mm_andnot_si128(mask.v, b.v))};
#else
    Pixels4 r;
    for (int i = 0; i < 4; ++i)
        r.v[i] = (mask.v[i] & a.v[i]) | (~mask.v[i] & b.v[i]);
    return r;
#endif
}

// ---- Pixels4: each lane as two 16-bit numbers, bits 0..15 and 16..31 ----

// Each half multiplied by the same half of b, unsigned: the high or the low
// 16 bits of the 32-bit product.
inline Pixels4 mul16_high(Pixels4 a, Pixels4 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_mulhi_epu16(a.v, b.v)};
#else
    Pixels4 r;
    for (int i = 0; i < 4; ++i) {
        const uint32_t low = ((a.v[i] & 0xFFFFu) * (b.v[i] & 0xFFFFu)) >> 16;
        const uint32_t high = ((a.v[i] >> 16) * (b.v[i] >> 16)) >> 16;
        r.v[i] = low | (high << 16);
    }
    return r;
#endif
}
inline Pixels4 mul16_low(Pixels4 a, Pixels4 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_mullo_epi16(a.v, b.v)};
#else
    Pixels4 r;
    for (int i = 0; i < 4; ++i) {
        const uint32_t low = ((a.v[i] & 0xFFFFu) * (b.v[i] & 0xFFFFu)) & 0xFFFFu;
        const uint32_t high = ((a.v[i] >> 16) * (b.v[i] >> 16)) & 0xFFFFu;
        r.v[i] = low | (high << 16);
    }
    return r;
#endif
}
// Each half shifted on its own; bits leaving a half are dropped.
template <int n> inline Pixels4 shift_left16(Pixels4 a) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_slli_epi16(a.v, n)};
#else
    Pixels4 r;
    for (int i = 0; i < 4; ++i)
        r.v[i] = (((a.v[i] & 0xFFFFu) << n) & 0xFFFFu) | (((a.v[i] >> 16) << n) & 0xFFFFu) << 16;
    return r;
#endif
}
template <int n> inline Pixels4 shift_right16(Pixels4 a) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_srli_epi16(a.v, n)};
#else
    Pixels4 r;
    for (int i = 0; i < 4; ++i)
        r.v[i] = ((a.v[i] & 0xFFFFu) >> n) | ((a.v[i] >> 16) >> n) << 16;
    return r;
#endif
}

// ---- Channels8: to and from pixels ----

// Pixels from pairs of lanes: pixel k is low lane k | high lane k << 16, for
// lanes 0..3 (interleave_low) or 4..7 (interleave_high).
inline Pixels4 interleave_low(Channels8 low, Channels8 high) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_unpacklo_epi16(low.v, high.v)};
#else
    Pixels4 r;
    for (int i = 0; i < 4; ++i)
        r.v[i] = low.v[i] | uint32_t{high.v[i]} << 16;
    return r;
#endif
}
inline Pixels4 interleave_high(Channels8 low, Channels8 high) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_unpackhi_epi16(low.v, high.v)};
#else
    Pixels4 r;
    for (int i = 0; i < 4; ++i)
        r.v[i] = low.v[4 + i] | uint32_t{high.v[4 + i]} << 16;
    return r;
#endif
}

// ---- Channels8: loading and building ----

inline Channels8 load16(const uint16_t* p) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))};
#else
    return {{p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]}};
#endif
}
inline Channels8 splat16(uint16_t a) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_set1_epi16(static_cast<short>(a))};
#else
    return {{a, a, a, a, a, a, a, a}};
#endif
}

// ---- Channels8: arithmetic on eight unsigned 16-bit numbers, mod 2^16 ----

inline Channels8 operator+(Channels8 a, Channels8 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_add_epi16(a.v, b.v)};
#else
    Channels8 r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = static_cast<uint16_t>(a.v[i] + b.v[i]);
    return r;
#endif
}
inline Channels8 operator-(Channels8 a, Channels8 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_sub_epi16(a.v, b.v)};
#else
    Channels8 r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = static_cast<uint16_t>(a.v[i] - b.v[i]);
    return r;
#endif
}
// Low 16 bits of each product.
inline Channels8 operator*(Channels8 a, Channels8 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_mullo_epi16(a.v, b.v)};
#else
    Channels8 r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = static_cast<uint16_t>(uint32_t{a.v[i]} * b.v[i]);
    return r;
#endif
}
// High 16 bits of each product.
inline Channels8 mul16_high(Channels8 a, Channels8 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_mulhi_epu16(a.v, b.v)};
#else
    Channels8 r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = static_cast<uint16_t>((uint32_t{a.v[i]} * b.v[i]) >> 16);
    return r;
#endif
}
inline Channels8 operator&(Channels8 a, Channels8 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_and_si128(a.v, b.v)};
#else
    Channels8 r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = static_cast<uint16_t>(a.v[i] & b.v[i]);
    return r;
#endif
}
template <int n> inline Channels8 shift_right16(Channels8 a) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_srli_epi16(a.v, n)};
#else
    Channels8 r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = static_cast<uint16_t>(a.v[i] >> n);
    return r;
#endif
}
template <int n> inline Channels8 shift_left16(Channels8 a) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_slli_epi16(a.v, n)};
#else
    Channels8 r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = static_cast<uint16_t>(a.v[i] << n);
    return r;
#endif
}
// All ones in each lane where a < b, else zero.
inline Channels8 is_below(Channels8 a, Channels8 b) {
#if defined(VORN_SSE2_VECTORS)
    // SSE2 compares only signed numbers: flipping the top bit of both sides
    // turns the unsigned order into the signed one.
    const __m128i sign = _mm_set1_epi16(static_cast<short>(0x8000));
    return {_mm_cmplt_epi16(_mm_xor_si128(a.v, sign), _mm_xor_si128(b.v, sign))};
#else
    Channels8 r;
    for (int i = 0; i < 8; ++i)
        r.v[i] = a.v[i] < b.v[i] ? 0xFFFFu : 0u;
    return r;
#endif
}

// ---- Doubles2 ----

inline Doubles2 doubles(double first, double second) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_set_pd(second, first)};
#else
    return {{first, second}};
#endif
}
inline Doubles2 splat_double(double a) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_set1_pd(a)};
#else
    return {{a, a}};
#endif
}
inline Doubles2 operator+(Doubles2 a, Doubles2 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_add_pd(a.v, b.v)};
#else
    return {{a.v[0] + b.v[0], a.v[1] + b.v[1]}};
#endif
}
inline Doubles2 operator-(Doubles2 a, Doubles2 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_sub_pd(a.v, b.v)};
#else
    return {{a.v[0] - b.v[0], a.v[1] - b.v[1]}};
#endif
}
inline Doubles2 operator*(Doubles2 a, Doubles2 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_mul_pd(a.v, b.v)};
#else
    return {{a.v[0] * b.v[0], a.v[1] * b.v[1]}};
#endif
}
inline Doubles2 operator/(Doubles2 a, Doubles2 b) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_div_pd(a.v, b.v)};
#else
    return {{a.v[0] / b.v[0], a.v[1] / b.v[1]}};
#endif
}
inline Doubles2 square_root(Doubles2 a) {
#if defined(VORN_SSE2_VECTORS)
    return {_mm_sqrt_pd(a.v)};
#else
    return {{std::sqrt(a.v[0]), std::sqrt(a.v[1])}};
#endif
}
// Each lane rounded to float (to nearest even, as a cast does) and back.
inline Doubles2 round_to_float(Doubles2 a) {
#if defined(VORN_SSE2_VECTORS)
    // Both lanes are rounded by one instruction and widened back exactly by
    // another. That leaves the vectorizer nothing to pack, and without
    // -ffast-math the compiler may not fold a narrowing and a widening into
    // nothing (that would change the value), so no barrier is needed here.
    return {_mm_cvtps_pd(_mm_cvtpd_ps(a.v))};
#else
    // Lane by lane through the scalar round_to_float (core/round_to_float.h),
    // whose barrier keeps the vectorizer from packing the two lanes into one
    // register and dropping the rounding.
    return {{::round_to_float(a.v[0]), ::round_to_float(a.v[1])}};
#endif
}
inline float float_lane(Doubles2 a, int n) {
#if defined(VORN_SSE2_VECTORS)
    alignas(16) double d[2];
    _mm_store_pd(d, a.v);
    return static_cast<float>(d[n]);
#else
    return static_cast<float>(a.v[n]);
#endif
}

} // namespace px4
