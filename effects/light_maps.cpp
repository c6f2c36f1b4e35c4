// Shading light maps through the shade table and adding them (see light_maps.h).
#include "effects/light_maps.h"

#include <cmath>

#include "core/colour.h"
#include "core/pixels4.h"
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

namespace {

// One pass over pixels first .. end - 1 of the frame, each light's kind of
// level fixed at compile time.
template <bool kBright0, bool kBright1, bool kBright2>
void draw_shaded(uint32_t* frame, const uint32_t* l0, const uint32_t* l1, const uint32_t* l2,
                 const ShadeLevel (&s)[kLightCount], int32_t first, int32_t end) {
    const uint16_t f0 = s[0].factor, f1 = s[1].factor, f2 = s[2].factor;
    int32_t p = first;
    for (; p + 4 <= end; p += 4) {
        using namespace px4;
        // Each byte saturates on its own, so the top bytes are cleared once, at the end.
        const Pixels4 pair = add_bytes_saturate(shade4_unmasked<kBright1>(f1, load(l1 + p)),
                                                shade4_unmasked<kBright2>(f2, load(l2 + p)));
        const Pixels4 all = add_bytes_saturate(pair, shade4_unmasked<kBright0>(f0, load(l0 + p)));
        store(frame + p, all & splat(0x00FFFFFFu));
    }
    for (; p < end; ++p) {
        const uint32_t pair = add_saturate(shade(s[1], l1[p]), shade(s[2], l2[p]));
        frame[p] = add_saturate(pair, shade(s[0], l0[p]));
    }
}

using ShadedPass = void (*)(uint32_t*, const uint32_t*, const uint32_t*, const uint32_t*,
                            const ShadeLevel (&)[kLightCount], int32_t, int32_t);
// Indexed by brightens: bit 0 for light 0, bit 1 for light 1, bit 2 for light 2.
constexpr ShadedPass kShadedPasses[8] = {
    draw_shaded<false, false, false>, draw_shaded<true, false, false>,
    draw_shaded<false, true, false>,  draw_shaded<true, true, false>,
    draw_shaded<false, false, true>,  draw_shaded<true, false, true>,
    draw_shaded<false, true, true>,   draw_shaded<true, true, true>,
};

} // namespace

void draw_light_map_rows(uint32_t* frame, const Image (&lights)[kLightCount],
                         const int32_t (&levels)[kLightCount], const Band& band) {
    ShadeLevel s[kLightCount];
    for (int i = 0; i < kLightCount; ++i)
        make_shade_level(s[i], levels[i]);
    const int kind = (s[0].brightens ? 1 : 0) | (s[1].brightens ? 2 : 0) | (s[2].brightens ? 4 : 0);
    kShadedPasses[kind](frame, lights[0].pixels, lights[1].pixels, lights[2].pixels, s,
                        band.first_pixel(), band.end_pixel());
}

void draw_light_maps(uint32_t* frame, const Image (&lights)[kLightCount],
                     const int32_t (&levels)[kLightCount]) {
    for_each_band([&](const Band& band) { draw_light_map_rows(frame, lights, levels, band); });
}
