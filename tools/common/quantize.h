// Colour reduction for the asset generator: a true-colour picture becomes
// 256 palette entries and one index per pixel. Index 0 is always pure black
// (0, 0, 0) and is used exactly for the pixels that are pure black after
// rounding to 8 bits; every other pixel gets a non-black entry, so pictures
// keyed or added on black keep their transparent areas exact and never grow
// holes.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "common/canvas.h"

struct Indexed {
    int w = 0, h = 0;
    std::vector<uint8_t> index;         // w * h palette indices
    std::array<uint8_t, 768> palette{}; // 256 entries of r, g, b
};

struct QuantizeOptions {
    // Floyd-Steinberg error diffusion (serpentine); black pixels neither
    // receive nor pass on error, so black areas stay clean.
    bool dither = true;
    // Fraction of the error passed on (0..1).
    float dither_strength = 0.85f;
};

// Median cut (splitting the box of largest squared error at its best point)
// followed by k-means refinement, then mapping with optional dithering.
Indexed quantize(const Canvas& c, const QuantizeOptions& opt = {});
// The palette colour of each pixel, 8-bit r, g, b per pixel.
std::vector<uint8_t> expand(const Indexed& img);
