// Full-screen backgrounds (320 x 240; dark, so that light added over them
// reads) and the one-frame picture flash of the metaball scene (added onto
// the frame, black changes nothing).
#include <algorithm>
#include <cmath>

#include "common/font.h"
#include "common/noise.h"
#include "pictures/paint.h"

namespace {

constexpr float kPi = 3.14159265f;

float vignette(int x, int y, int w, int h, float strength) {
    float dx = (x - w * 0.5f) / (w * 0.5f), dy = (y - h * 0.5f) / (h * 0.5f);
    return 1.f - strength * std::min(1.f, (dx * dx + dy * dy) * 0.5f);
}

void stars(Canvas& c, uint32_t seed, int count) {
    Rng rng(seed);
    Canvas s(c.w, c.h);
    for (int i = 0; i < count; ++i) {
        int x = rng.below(c.w), y = rng.below(c.h);
        float b = rng.uniform();
        b = 0.25f + b * b * b * 0.9f;
        Rgb tint = mix(Rgb{0.7f, 0.8f, 1.f}, Rgb{1.f, 0.9f, 0.75f}, rng.uniform());
        s.at(x, y) = s.at(x, y) + tint * b;
    }
    Canvas g = s;
    blur(g, 1.2f, Edge::Zero);
    for (size_t i = 0; i < c.px.size(); ++i)
        c.px[i] = c.px[i] + s.px[i] * 0.8f + g.px[i] * 1.6f;
}

} // namespace

Canvas paint_backgr1() {
    // Deep blue-violet nebula with stars.
    Canvas c(320, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            float wx = fbm(x / 90.f, y / 90.f, 0, 3, 0.5f, 5) * 2.f;
            float n = fbm(x / 70.f + wx, y / 70.f - wx * 0.5f, 0, 5, 0.55f, 7);
            float m = fbm(x / 40.f - 3.f, y / 40.f + wx, 0, 4, 0.5f, 9);
            float cloud = smooth(0.35f, 0.8f, n);
            float dust = smooth(0.45f, 0.75f, m);
            Rgb col = Rgb{0.02f, 0.03f, 0.09f} + Rgb{0.12f, 0.1f, 0.35f} * cloud +
                      Rgb{0.25f, 0.05f, 0.22f} * (cloud * dust * 0.8f);
            c.at(x, y) = col * vignette(x, y, 320, 240, 0.5f);
        }
    stars(c, 77, 260);
    tonemap(c, 0.8f);
    return c;
}

Canvas paint_backgr3() {
    // Dusk over a grid floor: a dark wine sky with a few stars, a striped
    // sun sinking behind a ridge of hills, a glowing horizon and a
    // perspective grid fading into it.
    Canvas c(320, 240);
    const float horizon = 150.f;
    const float sun_x = 92.f, sun_y = 124.f, sun_r = 46.f;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            float n = fbm(x / 50.f, y / 50.f, 0, 5, 0.5f, 31);
            Rgb sky = mix(Rgb{0.03f, 0.0f, 0.05f}, Rgb{0.24f, 0.03f, 0.13f},
                          smooth(0.f, horizon, float(y)));
            sky = sky * (0.8f + 0.4f * n);
            // The sun: warm at the top, magenta low down, cut by widening
            // dark stripes toward its bottom.
            float dx = x + 0.5f - sun_x, dy = y + 0.5f - sun_y;
            float d = std::sqrt(dx * dx + dy * dy);
            if (d < sun_r + 1.f) {
                float k = std::clamp(sun_r + 0.5f - d, 0.f, 1.f);
                float t = std::clamp((y - (sun_y - sun_r)) / (2.f * sun_r), 0.f, 1.f);
                Rgb face = mix(Rgb{0.42f, 0.3f, 0.08f}, Rgb{0.38f, 0.04f, 0.24f}, t);
                float band = std::fmod(y + 400.f, 9.f);
                float cut = t > 0.3f && band < (t - 0.3f) * 9.f ? 0.f : 1.f;
                sky = mix(sky, face, k * cut);
            }
            sky = sky + Rgb{0.35f, 0.1f, 0.15f} * (std::exp(-d / 38.f) * 0.35f);
            // Hills in front of the sun.
            float ridge = horizon - 8.f - 14.f * fbm(x / 40.f, 3.f, 0, 3, 0.5f, 57) -
                          6.f * std::sin(x / 23.f);
            if (y > ridge && y <= horizon)
                sky = mix(Rgb{0.05f, 0.0f, 0.05f}, Rgb{0.12f, 0.02f, 0.09f},
                          smooth(ridge, horizon, float(y)));
            Rgb col = sky;
            if (y > horizon) {
                float dd = (y - horizon) / (240.f - horizon);
                // Floor grid lines: distance in rows grows toward the horizon.
                float z = 1.f / (dd + 0.05f);
                float gz = std::fabs(std::fmod(z * 2.f, 1.f) - 0.5f);
                float gx = std::fabs(std::fmod((x - 160.f) * (z * 0.02f) + 100.5f, 1.f) - 0.5f);
                float line = std::max(smooth(0.42f, 0.5f, gz), smooth(0.44f, 0.5f, gx));
                float fade = smooth(0.f, 0.6f, dd);
                col = Rgb{0.08f, 0.01f, 0.05f} * (0.7f + 0.5f * n) +
                      Rgb{0.55f, 0.08f, 0.3f} * (line * fade * 0.7f);
            }
            float glow = std::exp(-std::fabs(y - horizon) / 10.f);
            col = col + Rgb{0.5f, 0.12f, 0.2f} * (glow * 0.5f);
            c.at(x, y) = col * vignette(x, y, 320, 240, 0.45f);
        }
    // Stars high up, fading toward the horizon.
    Canvas sky_stars(320, 240);
    stars(sky_stars, 313, 90);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            c.at(x, y) =
                c.at(x, y) + sky_stars.at(x, y) * (0.6f * (1.f - smooth(20.f, 110.f, float(y))));
    tonemap(c, 0.8f);
    return c;
}

Canvas paint_backgr4() {
    // Dark teal honeycomb: bevelled cells, a few of them lit from inside,
    // thin seams, and a soft light rising from below the middle.
    Canvas c(320, 240);
    const float size = 17.f;               // cell radius in pixels
    const float rx = 1.f, ry = 1.7320508f; // the lattice's repeat, in cells
    auto wrapc = [](float v, float m) { return v - m * std::floor(v / m); };
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            float px = (x + 0.5f) / (size * 1.7320508f), py = (y + 0.5f) / (size * 1.7320508f);
            float ax = wrapc(px, rx) - rx / 2, ay = wrapc(py, ry) - ry / 2;
            float bx = wrapc(px - rx / 2, rx) - rx / 2, by = wrapc(py - ry / 2, ry) - ry / 2;
            bool use_a = ax * ax + ay * ay < bx * bx + by * by;
            float gx = use_a ? ax : bx, gy = use_a ? ay : by;
            // Distance to the cell's edge: 0.5 on the edge, 0 at the centre.
            float hx = std::fabs(gx), hy = std::fabs(gy);
            float hd = std::max(hx * 0.5f + hy * 0.8660254f, hx);
            int id_x = int(std::floor((px - gx) * 2.f + 0.5f)),
                id_y = int(std::floor((py - gy) * 2.f + 0.5f));
            float cell = lattice(id_x, id_y, 911);
            float lit = cell > 0.86f ? (cell - 0.86f) / 0.14f : 0.f;
            float dx = x - 160.f, dy = y - 290.f;
            float rise = std::exp(-std::sqrt(dx * dx + dy * dy) / 150.f);
            float n = fbm(x / 45.f, y / 45.f, 0, 4, 0.5f, 41);
            float bevel = 0.75f + 0.5f * (-(gx + gy) * 1.2f) * smooth(0.25f, 0.48f, hd);
            Rgb base =
                mix(Rgb{0.01f, 0.05f, 0.06f}, Rgb{0.03f, 0.14f, 0.15f}, cell * 0.6f + n * 0.4f);
            Rgb col = base * bevel * (0.6f + 1.3f * rise);
            col = col + Rgb{0.05f, 0.4f, 0.38f} * (lit * (1.f - hd * 1.6f) * 0.45f);
            float seam = smooth(0.45f, 0.5f, hd);
            col = mix(col, Rgb{0.02f, 0.2f, 0.22f} * (0.5f + 1.2f * rise), seam * 0.8f);
            c.at(x, y) = col * vignette(x, y, 320, 240, 0.5f);
        }
    tonemap(c, 0.8f);
    return c;
}

Canvas paint_omla() {
    // A starburst with a ring and a word, bright on black.
    Canvas c(320, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            float dx = x - 160.f, dy = y - 120.f;
            float r = std::sqrt(dx * dx + dy * dy);
            float a = std::atan2(dy, dx);
            float ray = std::pow(std::fabs(std::cos(a * 8.f)), 24.f);
            float ray2 = std::pow(std::fabs(std::cos(a * 8.f + kPi / 2.f)), 60.f);
            float fall = std::exp(-r / 90.f);
            float ring = std::exp(-((r - 95.f) * (r - 95.f)) / 18.f);
            float ring_glow = std::exp(-((r - 95.f) * (r - 95.f)) / 300.f);
            fall *= smooth(20.f, 60.f, r);
            Rgb col = Rgb{1.f, 0.3f, 0.8f} * (ray * fall * 1.2f) +
                      Rgb{0.3f, 0.7f, 1.f} * (ray2 * fall * 0.9f) + Rgb{1.f, 0.9f, 0.6f} * ring +
                      Rgb{1.f, 0.4f, 0.2f} * (ring_glow * 0.5f);
            c.at(x, y) = col * (1.f - smooth(140.f, 200.f, r));
        }
    // The group's initial in the middle.
    Font f("DejaVuSans-Bold.ttf", 120);
    Mask m(320, 240);
    f.draw_centred(m, 160, 120 + f.cap_height() / 2, "Q", 0);
    glow(c, m, Rgb{1.f, 1.f, 1.f}, Rgb{1.f, 0.8f, 0.3f}, 3.f, Rgb{1.f, 0.3f, 0.1f}, 10.f);
    tonemap(c, 0.75f);
    cut_black(c, 2.f / 255.f);
    return c;
}
