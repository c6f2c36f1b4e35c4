// Colour operations several scenes share. Pixels are 0x00RRGGBB (red bits
// 16..23, green 8..15, blue 0..7); amounts and channels are 0..255. Every
// loop here is integer only; whole-frame operations touch exactly the
// kFramePixels pixels of a 320 x 240 frame.
//
//   add_saturate(a, b)      red, green and blue each min(a + b, 255); the top
//                           byte is a's
//   brighten(frame, n)      add n (0..255) to every channel of every pixel,
//                           saturating; top bytes unchanged
//   keyed_overlay(...)      each pixel: the overlay pixel, or the background
//                           pixel where the overlay's red, green and blue are
//                           all 0 (the whole 32-bit value is taken)
//
// The white flash of sync flag 1: a scene keeps its own Flash and calls
// flash_frame() at the point of its frame where the flash brightens. The fade
// is computed from ticks (1/70 s) with unsigned 32-bit differences, so a start
// tick above the current tick (a scene entered again while its flash ran)
// gives a huge difference and ends the flash after one frame.
//
//   Fade::Quick  255 - ((t*510 - s*510) mod 2^32) / 70: 255 to 0 in 35 ticks
//   Fade::Slow   trunc(255 - ((t*255 - s*255) mod 2^32) * 0.5 / 70): 140 ticks
#pragma once
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Plain integer version, used where the processor has no saturating byte add.
inline uint32_t add_saturate_portable(uint32_t a, uint32_t b) {
    const uint32_t x = a & 0x00FFFFFFu;
    const uint32_t y = b & 0x00FFFFFFu;
    // Add the low seven bits of each byte (no carry can leave a byte), then
    // put the top bits back in.
    const uint32_t low = (x & 0x007F7F7Fu) + (y & 0x007F7F7Fu);
    const uint32_t sum = low ^ ((x ^ y) & 0x00808080u);
    // A byte overflowed when both top bits were set, or one was and its sum's
    // top bit came out clear.
    const uint32_t overflow = ((x & y) | ((x | y) & ~sum)) & 0x00808080u;
    const uint32_t saturated = (overflow >> 7) * 0xFFu; // 0xFF in each byte that overflowed
    return (a & 0xFF000000u) | sum | saturated;
}

inline uint32_t add_saturate(uint32_t a, uint32_t b) {
#if defined(__SSE2__)
    // The processor's saturating byte add; b's top byte is cleared so that
    // a's passes through unchanged.
    const __m128i va = _mm_cvtsi32_si128(static_cast<int>(a));
    const __m128i vb = _mm_cvtsi32_si128(static_cast<int>(b & 0x00FFFFFFu));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_adds_epu8(va, vb)));
#else
    return add_saturate_portable(a, b);
#endif
}

void brighten(uint32_t* frame, uint32_t amount);
void keyed_overlay(uint32_t* frame, const uint32_t* overlay, const uint32_t* background);

enum class Fade : uint8_t { Quick, Slow };

struct Flash {
    Fade fade = Fade::Quick;
    uint32_t amount = 0;     // 0..255, added to every channel this frame; 0 = idle
    uint32_t start_tick = 0; // tick counter value when the flash began
};

// The amount a flash that began at start_tick has at tick t (0..255).
uint32_t flash_fade(Fade fade, int32_t tick, uint32_t start_tick);

// One frame of the flash: if `triggered` (sync flag 1 was seen), restart at
// 255 from `tick`; then, unless idle, brighten the frame by the amount and
// set the amount for the next frame. Returns whether the frame was brightened.
bool flash_frame(Flash& flash, uint32_t* frame, int32_t tick, bool triggered);
