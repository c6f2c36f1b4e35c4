// Helpers for the metaball tests: a guarded 320 x 240 frame (from the scene
// tests), environment maps built in memory and corners given in pixels.
#pragma once
#include <cstdint>
#include <vector>

#include "metaball/mesh.h"
#include "metaball/polygon_fill.h"
#include "scenes/scene_test_support.h"

namespace metaball_test {

// A 256 x 256 map whose texel names its own coordinates: red = u, green = v,
// blue = 1.
inline std::vector<uint32_t> coordinate_map() {
    std::vector<uint32_t> map(256 * 256);
    for (uint32_t v = 0; v < 256; ++v)
        for (uint32_t u = 0; u < 256; ++u)
            map[v * 256 + u] = (u << 16) | (v << 8) | 1u;
    return map;
}

// Corner at pixel (x, y) with environment coordinates in texels.
inline MetaballVertex corner(double x, double y, double u = 0, double v = 0) {
    MetaballVertex c;
    c.screen_x = static_cast<int32_t>(x * 65536.0);
    c.screen_y = static_cast<int32_t>(y * 65536.0);
    c.env_u = static_cast<float>(u * 65536.0);
    c.env_v = static_cast<float>(v * 65536.0);
    return c;
}

} // namespace metaball_test
