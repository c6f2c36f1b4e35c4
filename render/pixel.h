// Pixel composition shared by the additive span and the additive sprite.
//
// Pixels are 0x00RRGGBB; the top byte is not shown. add_saturate adds red,
// green and blue separately, each limited to 255, keeps bits 24..31 of the
// frame pixel and ignores those of the texel. It works on all three bytes at
// once, without letting a carry cross from one byte into the next.
#pragma once
#include <cstdint>

inline uint32_t add_saturate(uint32_t frame_pixel, uint32_t texel) {
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

// Texel of a 256 x 256 texture at 16.16 coordinates u (column) and v (row);
// both wrap modulo 256.
inline uint32_t texel_at(const uint32_t* texture, uint32_t u, uint32_t v) {
    return texture[((v >> 8) & 0xFF00u) | ((u >> 16) & 0xFFu)];
}
