// Helpers for the scene tests: images built in memory (malloc'd, so a scene's
// release may free them), a frame with guard pixels on both sides, and a
// reference shade of one pixel straight from the shade table.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "core/image.h"
#include "core/screen.h"
#include "core/sync.h"
#include "render/tables.h"
#include "test_support.h"

namespace scene_test {

inline void prepare_show() {
    static bool built = false;
    if (!built) {
        build_lookup_tables();
        built = true;
    }
    screen_width = kFrameWidth;
    screen_height = kFrameHeight;
    sync_reset();
}

inline Image make_image(int32_t width, int32_t height,
                        const std::function<uint32_t(int32_t, int32_t)>& pixel) {
    Image image;
    image.width = width;
    image.height = height;
    image.pixels = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) * width * height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.pixels[y * width + x] = pixel(x, y);
    return image;
}

inline Image solid_image(int32_t width, int32_t height, uint32_t colour) {
    return make_image(width, height, [colour](int32_t, int32_t) { return colour; });
}

// A pattern with every channel value showing up somewhere.
inline uint32_t pattern(int32_t x, int32_t y) {
    const uint32_t h = static_cast<uint32_t>(x * 7919 + y * 104729) * 2654435761u;
    return (h >> 8) & 0x00FFFFFFu;
}

inline void free_image(Image& image) {
    std::free(image.pixels);
    image = Image{};
}

inline uint32_t shade_reference(uint32_t pixel, int32_t level) {
    const uint32_t r = shade_table[((pixel >> 16) & 0xFF) * 256 + level];
    const uint32_t g = shade_table[((pixel >> 8) & 0xFF) * 256 + level];
    const uint32_t b = shade_table[(pixel & 0xFF) * 256 + level];
    return (r << 16) | (g << 8) | b;
}

} // namespace scene_test
