// Round glows, 256 x 256: the vertex sprites (added onto the frame, so the
// border must be exact black) and the metaballs' glossy reflection map
// (texel (127, 127) is what a surface facing the eye reflects).
#include <algorithm>
#include <cmath>

#include "common/noise.h"
#include "pictures/paint.h"

namespace {

float radius_at(int x, int y) {
    float dx = x - 127.5f, dy = y - 127.5f;
    return std::sqrt(dx * dx + dy * dy);
}

// 1 in the middle, falling smoothly to exactly 0 at `r_end`.
float window(float r, float r_end) {
    if (r >= r_end) return 0.f;
    float t = r / r_end;
    float k = 1.f - t * t;
    return k * k * k;
}

} // namespace

Canvas paint_part1() {
    Canvas c(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float r = radius_at(x, y);
            float core = std::exp(-(r * r) / (2.f * 16.f * 16.f));
            float halo = std::exp(-r / 30.f);
            Rgb col = Rgb{1.f, 1.f, 1.f} * (core * 1.1f) + Rgb{0.3f, 0.5f, 1.f} * (halo * 0.85f);
            c.at(x, y) = col * window(r, 112.f);
        }
    tonemap(c, 0.8f);
    cut_black(c, 1.f / 255.f);
    return c;
}

Canvas paint_part2() {
    Canvas c(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float r = radius_at(x, y);
            float core = std::exp(-(r * r) / (2.f * 14.f * 14.f));
            float inner = std::exp(-r / 16.f);
            float ring = std::exp(-((r - 78.f) * (r - 78.f)) / (2.f * 7.f * 7.f));
            float ring_halo = std::exp(-((r - 78.f) * (r - 78.f)) / (2.f * 20.f * 20.f));
            Rgb col = Rgb{1.f, 0.95f, 0.9f} * core + Rgb{1.f, 0.45f, 0.75f} * (inner * 0.45f) +
                      Rgb{1.f, 0.6f, 0.2f} * (ring * 1.2f) +
                      Rgb{0.9f, 0.2f, 0.6f} * (ring_halo * 0.25f);
            c.at(x, y) = col * window(r, 122.f);
        }
    tonemap(c, 0.8f);
    cut_black(c, 1.f / 255.f);
    return c;
}

Canvas paint_envmap3() {
    Canvas c(256, 256);
    const std::vector<RampStop> stops = {
        {0.f, Rgb{1.f, 1.f, 1.f}},        {0.12f, Rgb{1.f, 0.95f, 0.75f}},
        {0.3f, Rgb{1.f, 0.65f, 0.2f}},    {0.55f, Rgb{0.85f, 0.25f, 0.15f}},
        {0.8f, Rgb{0.45f, 0.07f, 0.25f}}, {1.f, Rgb{0.12f, 0.02f, 0.12f}},
    };
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float r = radius_at(x, y) / 128.f;
            Rgb col = ramp(stops, std::min(r, 1.f));
            // A hot white spot in the middle and a faint bright band near
            // the rim, like a window reflected in a glossy ball.
            float spot = std::exp(-(r * r) / (2.f * 0.07f * 0.07f));
            float band = std::exp(-((r - 0.78f) * (r - 0.78f)) / (2.f * 0.04f * 0.04f));
            c.at(x, y) =
                col + Rgb{1.f, 1.f, 1.f} * (spot * 0.6f) + Rgb{1.f, 0.5f, 0.6f} * (band * 0.25f);
        }
    tonemap(c, 0.85f);
    return c;
}
