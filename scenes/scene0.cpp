// Scene 0: pulsing light maps and the scrolling text strip (see scene0.h).
#include "scenes/scene0.h"

#include <algorithm>
#include <cstdlib>

#include "assets/pcx.h"
#include "core/bands.h"
#include "core/colour.h"
#include "core/pixels4.h"
#include "core/rand.h"
#include "core/screen.h"
#include "core/sync.h"

Scene0 scene0;

int8_t boost_after(uint32_t elapsed) {
    // The ramp is an 8-bit value that would wrap to -128 after 120 ticks and
    // push the levels out of the shade table; past 120 ticks it stays white
    // instead. `elapsed` is unsigned: a tick counter below the boost's start
    // (the scene entered again) is a huge value here and also holds white,
    // while 0 to 120 ticks after the start follow the ramp on every entry.
    const uint32_t ramp = elapsed * 127u / 120u;
    return static_cast<int8_t>(ramp >= static_cast<uint32_t>(kBoostMax) ? kBoostMax : ramp);
}

namespace {

// The text strip's row, shaded to `text`, added onto one frame row: strip
// columns from `first` on, wrapping to column 0 at most once, so two runs of
// consecutive strip pixels.
void add_strip_row(uint32_t* row, const uint32_t* strip_row, int32_t first,
                   const ShadeLevel& text) {
    int32_t x = 0;
    int32_t u = first;
    while (x < kFrameWidth) {
        const int32_t run_end = std::min(kFrameWidth, x + (kStripWidth - u));
        for (; x + 4 <= run_end; x += 4, u += 4) {
            using namespace px4;
            store(row + x, add_bytes_saturate(load(row + x), shade4(text, load(strip_row + u))));
        }
        for (; x < run_end; ++x, ++u)
            row[x] = add_saturate(row[x], shade(text, strip_row[u]));
        if (u == kStripWidth) u = 0;
    }
}

} // namespace

void scene0_setup() {
    scene0.lights[0] = load_picture("a1txt.pcx", kFrameWidth, kFrameHeight);
    scene0.lights[1] = load_picture("a1light1.pcx", kFrameWidth, kFrameHeight);
    scene0.lights[2] = load_picture("a1light2.pcx", kFrameWidth, kFrameHeight);
    scene0.strip = load_picture("mulptext.pcx", kStripWidth, kFrameHeight);
    for (float& angle : scene0.angles)
        angle = static_cast<float>((vorn::rand() - 32768) / 32768.0);
    for (int i = 0; i < kLightCount; ++i)
        scene0.speeds[i] = kLightSpeeds[i];
    scene0.boost = 0;
    scene0.boost_start = 0;
}

void scene0_render(uint32_t* frame) {
    Scene0& s = scene0;
    const int32_t t = tick_counter;

    s.text_level = (vorn::rand() >> 9) + 30;
    // The light maps write every pixel; without them the frame starts black.
    const bool lights_on = sync_flag(4);

    if (sync_flag(3)) {
        s.boost_start = t;
        s.boost = 0;
        clear_sync_flag(3);
    }
    if (s.boost_start != 0)
        s.boost = boost_after(static_cast<uint32_t>(t) - static_cast<uint32_t>(s.boost_start));

    if (lights_on)
        for (int i = 0; i < kLightCount; ++i) {
            s.angles[i] = light_angle(s.speeds[i], t);
            s.levels[i] = light_level(s.angles[i], s.boost);
        }

    ShadeLevel text;
    make_shade_level(text, s.text_level);
    // Positive modulo: the column stays inside the strip for any tick.
    int32_t first = (t / 4) % kStripWidth;
    if (first < 0) first += kStripWidth;
    for_each_band([&](const Band& band) {
        if (lights_on)
            draw_light_map_rows(frame, s.lights, s.levels, band);
        else
            std::fill(frame + band.first_pixel(), frame + band.end_pixel(), 0u);
        for (int32_t y = band.top; y < band.bottom; ++y)
            add_strip_row(frame + y * kFrameWidth, s.strip.pixels + y * kStripWidth, first, text);
    });
}

void scene0_release() {
    for (Image& light : scene0.lights) {
        std::free(light.pixels);
        light = Image{};
    }
    std::free(scene0.strip.pixels);
    scene0.strip = Image{};
}
