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

inline uint32_t add_saturate(uint32_t a, uint32_t b) {
    // Red and blue summed together, green alone: each channel's carry lands in
    // the bit above it without touching a neighbour.
    const uint32_t rb = (a & 0x00FF00FFu) + (b & 0x00FF00FFu);
    const uint32_t g = (a & 0x0000FF00u) + (b & 0x0000FF00u);
    const uint32_t carries = (rb & 0x01000100u) | (g & 0x00010000u);
    const uint32_t full = carries - (carries >> 8); // 0xFF in every overflowed channel
    return (a & 0xFF000000u) | (rb & 0x00FF00FFu) | (g & 0x0000FF00u) | full;
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
