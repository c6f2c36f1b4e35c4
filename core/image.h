// An image: width x height 32-bit pixels 0x00RRGGBB (top byte 0), row after
// row from the top, no gaps, allocated with malloc by the PCX loader and
// released with free() by whoever loaded it. Scenes index `pixels` directly
// with the sizes they know (320 x 240 backgrounds, 256 x 256 textures whose
// coordinates wrap at 256, 120 x 40 greetings); the loader guarantees at
// least those sizes.
#pragma once
#include <cstdint>

struct Image {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};
