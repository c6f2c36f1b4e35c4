// Light maps shaded through the shade table, shared by scenes 0 and 7.
//
// Shading a pixel with a light level l (a shade-table column, 0..255) replaces
// each of its red, green and blue channels c by shade_table[c * 256 + l]: 128
// keeps the channel, lower levels darken it toward 0, higher ones brighten it
// toward 255. A ShadeLevel holds one column spread out per channel, so a pixel
// is shaded with three byte-indexed loads and two ORs. The vector loops use
// the formula the table holds instead, exact in 16-bit products: with
// j = l - 128,
//   l < 128:   c * l / 128               (truncated)
//   l >= 128:  c + (255 - c) * j / 128   (truncated)
//
// The light speeds are radians per tick (1/70 s); a light's level at tick t is
// trunc((sin(float(t) * speed) + 1.0) * 63.5) + boost, so 0..127 plus the boost.
#pragma once
#include <cstdint>

#include "core/bands.h"
#include "core/image.h"
#include "core/pixels4.h"

constexpr int kLightCount = 3;
constexpr float kLightSpeeds[kLightCount] = {0.0073f, -0.053f, -0.023f};

struct ShadeLevel {
    uint32_t red[256];   // shaded red, already in bits 16..23
    uint32_t green[256]; // shaded green, in bits 8..15
    uint32_t blue[256];  // shaded blue, in bits 0..7
    bool brightens;      // level >= 128
    uint16_t factor;     // level, or level - 128 when it brightens
};

// Fills `out` for level `level` (0..255; anything outside is held at 0 or 255).
void make_shade_level(ShadeLevel& out, int32_t level);

inline uint32_t shade(const ShadeLevel& s, uint32_t pixel) {
    return s.red[(pixel >> 16) & 0xFFu] | s.green[(pixel >> 8) & 0xFFu] | s.blue[pixel & 0xFFu];
}

// Every byte c of four pixels becomes c * f / 128 truncated, f = 0..127: the
// even bytes through the high half of the 16-bit product (c * 256) * 2f, the
// odd ones through the low half of c * 2f, whose high byte is that quotient.
inline px4::Pixels4 scale_bytes(px4::Pixels4 pixels, uint16_t f) {
    using namespace px4;
    const Pixels4 k = splat(uint32_t{f} * 2u * 0x00010001u);
    const Pixels4 even = mul16_high(shift_left16<8>(pixels), k);
    const Pixels4 odd = mul16_low(shift_right16<8>(pixels), k) & splat(0xFF00FF00u);
    return even | odd;
}

// Four pixels shaded at once, the level's kind known at compile time; the
// top bytes come out as anything.
template <bool kBrightens>
inline px4::Pixels4 shade4_unmasked(uint16_t factor, px4::Pixels4 pixels) {
    using namespace px4;
    if (!kBrightens) return scale_bytes(pixels, factor);
    // c + (255 - c) * j / 128: the bytes' complements darkened, added back.
    return add_bytes(pixels, scale_bytes(pixels ^ splat(0xFFFFFFFFu), factor));
}

// Four pixels shaded at once; like shade(), the top bytes come out 0.
inline px4::Pixels4 shade4(const ShadeLevel& s, px4::Pixels4 pixels) {
    const px4::Pixels4 shaded = s.brightens ? shade4_unmasked<true>(s.factor, pixels)
                                            : shade4_unmasked<false>(s.factor, pixels);
    return shaded & px4::splat(0x00FFFFFFu);
}

// The angle (radians, single precision) and the level of a light at `tick`.
float light_angle(float speed, int32_t tick);
int32_t light_level(float angle, int32_t boost);

// Every pixel p of the 320 x 240 frame becomes light 0 shaded with levels[0],
// saturating-added to (light 1 shaded with levels[1] + light 2 shaded with
// levels[2]). The lights are 320 x 240 images; levels lie in 0..255.
// It draws in two bands at once where there are two (core/bands.h);
// draw_light_map_rows draws only the rows of one band, for a caller that is
// already inside for_each_band.
void draw_light_maps(uint32_t* frame, const Image (&lights)[kLightCount],
                     const int32_t (&levels)[kLightCount]);
void draw_light_map_rows(uint32_t* frame, const Image (&lights)[kLightCount],
                         const int32_t (&levels)[kLightCount], const Band& band);
