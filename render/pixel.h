// Pixel composition shared by the additive span and the additive sprite.
//
// Pixels are 0x00RRGGBB; the top byte is not shown. add_saturate adds red,
// green and blue separately, each limited to 255, keeps bits 24..31 of the
// frame pixel and ignores those of the texel. It works on all three bytes at
// once: with the SSE2 saturating byte add where the processor has it (every
// x86-64), otherwise with plain integer operations that keep carries from
// crossing between bytes.
#pragma once
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Plain integer version, used where the processor has no saturating byte add.
inline uint32_t add_saturate_portable(uint32_t frame_pixel, uint32_t texel) {
    const uint32_t a = frame_pixel & 0x00FFFFFFu;
    const uint32_t b = texel & 0x00FFFFFFu;
    // Add the low seven bits of each byte (no carry can leave a byte), then
    // put the top bits back in.
    const uint32_t low = (a & 0x007F7F7Fu) + (b & 0x007F7F7Fu);
    const uint32_t sum = low ^ ((a ^ b) & 0x00808080u);
    // A byte overflowed when both top bits were set, or one was and its sum's
    // top bit came out clear.
    const uint32_t overflow = ((a & b) | ((a | b) & ~sum)) & 0x00808080u;
    const uint32_t saturated = (overflow >> 7) * 0xFFu; // 0xFF in each byte that overflowed
    return (frame_pixel & 0xFF000000u) | sum | saturated;
}

inline uint32_t add_saturate(uint32_t frame_pixel, uint32_t texel) {
#if defined(__SSE2__)
    // The processor's saturating byte add; the texel's top byte is cleared so
    // that the frame's passes through unchanged.
    const __m128i f = _mm_cvtsi32_si128(static_cast<int>(frame_pixel));
    const __m128i t = _mm_cvtsi32_si128(static_cast<int>(texel & 0x00FFFFFFu));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_adds_epu8(f, t)));
#else
    return add_saturate_portable(frame_pixel, texel);
#endif
}

// Texel of a 256 x 256 texture at 16.16 coordinates u (column) and v (row);
// both wrap modulo 256.
inline uint32_t texel_at(const uint32_t* texture, uint32_t u, uint32_t v) {
    return texture[((v >> 8) & 0xFF00u) | ((u >> 16) & 0xFFu)];
}
