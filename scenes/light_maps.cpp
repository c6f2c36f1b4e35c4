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

namespace {

// Pixels 0 .. count - 1 of the lights l0, l1, l2 (and, with kOver, of `over`)
// shaded and added into `out`, each light's kind of level fixed at compile time.
template <bool kBright0, bool kBright1, bool kBright2, bool kOver>
void draw_shaded(uint32_t* out, const uint32_t* l0, const uint32_t* l1, const uint32_t* l2,
                 const uint32_t* over, int32_t count, const ShadeLevel (&s)[kLightCount],
                 const ShadeLevel& over_level) {
    const uint16_t f0 = s[0].factor, f1 = s[1].factor, f2 = s[2].factor;
    const bool over_brightens = over_level.brightens;
    const uint16_t fo = over_level.factor;
    int32_t p = 0;
    for (; p + 4 <= count; p += 4) {
        using namespace px4;
        // Each byte saturates on its own, so the top bytes are cleared once, at the end.
        const Pixels4 pair = add_bytes_saturate(shade4_unmasked<kBright1>(f1, load(l1 + p)),
                                                shade4_unmasked<kBright2>(f2, load(l2 + p)));
        Pixels4 all = add_bytes_saturate(pair, shade4_unmasked<kBright0>(f0, load(l0 + p)));
        if (kOver) {
            const Pixels4 o = load(over + p);
            all = add_bytes_saturate(all, over_brightens ? shade4_unmasked<true>(fo, o)
                                                         : shade4_unmasked<false>(fo, o));
        }
        store(out + p, all & splat(0x00FFFFFFu));
    }
    for (; p < count; ++p) {
        const uint32_t pair = add_saturate(shade(s[1], l1[p]), shade(s[2], l2[p]));
        const uint32_t all = add_saturate(pair, shade(s[0], l0[p]));
        out[p] = kOver ? add_saturate(all, shade(over_level, over[p])) : all;
    }
}

using ShadedRun = void (*)(uint32_t*, const uint32_t*, const uint32_t*, const uint32_t*,
                           const uint32_t*, int32_t, const ShadeLevel (&)[kLightCount],
                           const ShadeLevel&);
// Indexed by brightens: bit 0 for light 0, bit 1 for light 1, bit 2 for
// light 2; bit 3 when an image lies over them.
template <int kind> constexpr ShadedRun run_of_kind() {
    return draw_shaded<(kind & 1) != 0, (kind & 2) != 0, (kind & 4) != 0, (kind & 8) != 0>;
}
constexpr ShadedRun kShadedRuns[16] = {
    run_of_kind<0>(),  run_of_kind<1>(),  run_of_kind<2>(),  run_of_kind<3>(),
    run_of_kind<4>(),  run_of_kind<5>(),  run_of_kind<6>(),  run_of_kind<7>(),
    run_of_kind<8>(),  run_of_kind<9>(),  run_of_kind<10>(), run_of_kind<11>(),
    run_of_kind<12>(), run_of_kind<13>(), run_of_kind<14>(), run_of_kind<15>(),
};

int kind_of(const ShadeLevel (&s)[kLightCount]) {
    return (s[0].brightens ? 1 : 0) | (s[1].brightens ? 2 : 0) | (s[2].brightens ? 4 : 0);
}

} // namespace

void draw_light_maps(uint32_t* frame, const Image (&lights)[kLightCount],
                     const int32_t (&levels)[kLightCount]) {
    ShadeLevel s[kLightCount];
    for (int i = 0; i < kLightCount; ++i)
        make_shade_level(s[i], levels[i]);
    kShadedRuns[kind_of(s)](frame, lights[0].pixels, lights[1].pixels, lights[2].pixels, nullptr,
                            kFramePixels, s, s[0]);
}

void draw_light_run(uint32_t* frame, const Image (&lights)[kLightCount],
                    const ShadeLevel (&shades)[kLightCount], int32_t start, int32_t count,
                    const uint32_t* over, const ShadeLevel& over_level) {
    kShadedRuns[kind_of(shades) | 8](frame + start, lights[0].pixels + start,
                                     lights[1].pixels + start, lights[2].pixels + start, over,
                                     count, shades, over_level);
}
