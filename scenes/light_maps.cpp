// Shading light maps through the shade table and adding them (see light_maps.h).
#include "scenes/light_maps.h"

#include <cmath>

#include "core/colour.h"
#include "core/screen.h"
#include "render/tables.h"

void make_shade_level(ShadeLevel& out, int32_t level) {
    // A level outside the table's columns would read another row: hold it at the edge.
    const uint32_t column = static_cast<uint32_t>(level < 0 ? 0 : level > 255 ? 255 : level);
    for (uint32_t c = 0; c < 256; ++c) {
        const uint32_t v = shade_table[c * 256 + column];
        out.red[c] = v << 16;
        out.green[c] = v << 8;
        out.blue[c] = v;
    }
    out.brightens = column >= 128;
    out.factor = static_cast<uint16_t>(out.brightens ? column - 128 : column);
}

float light_angle(float speed, int32_t tick) {
    return static_cast<float>(tick) * speed;
}

int32_t light_level(float angle, int32_t boost) {
    return static_cast<int32_t>((std::sin(static_cast<double>(angle)) + 1.0) * 63.5 + boost);
}

void draw_light_maps(uint32_t* frame, const Image (&lights)[kLightCount],
                     const int32_t (&levels)[kLightCount]) {
    ShadeLevel s[kLightCount];
    for (int i = 0; i < kLightCount; ++i)
        make_shade_level(s[i], levels[i]);
    const uint32_t* l0 = lights[0].pixels;
    const uint32_t* l1 = lights[1].pixels;
    const uint32_t* l2 = lights[2].pixels;
    int32_t p = 0;
    for (; p + 4 <= kFramePixels; p += 4) {
        using namespace px4;
        const Pixels4 pair =
            add_bytes_saturate(shade4(s[1], load(l1 + p)), shade4(s[2], load(l2 + p)));
        store(frame + p, add_bytes_saturate(pair, shade4(s[0], load(l0 + p))));
    }
    for (; p < kFramePixels; ++p) {
        const uint32_t pair = add_saturate(shade(s[1], l1[p]), shade(s[2], l2[p]));
        frame[p] = add_saturate(pair, shade(s[0], l0[p]));
    }
}
