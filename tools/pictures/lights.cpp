// The light maps of the opening and closing scenes (shaded through the
// shade table and added together, so black shows nothing) and the text
// strip that scrolls over them. 320 x 240, the strip 640 x 240.
#include <algorithm>
#include <cmath>

#include "common/font.h"
#include "common/noise.h"
#include "pictures/paint.h"

namespace {

// A soft pool of light: a bright centre and a long falloff, reaching exact
// black far from its centre.
void pool(Canvas& c, float cx, float cy, float rx, float ry, Rgb col, float gain) {
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            float dx = (x - cx) / rx, dy = (y - cy) / ry;
            float d2 = dx * dx + dy * dy;
            float v = std::exp(-d2 * 1.6f) * 0.8f + std::exp(-d2 * 5.f) * 0.5f;
            v *= 1.f - smooth(0.55f, 1.f, std::sqrt(d2) / 2.2f);
            c.at(x, y) = c.at(x, y) + col * (v * gain);
        }
}

// Faint drifting texture so the pools are not perfectly clean gradients.
void haze(Canvas& c, uint32_t seed, float amount) {
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            float n = fbm(x / 40.f, y / 40.f, 0, 4, 0.5f, seed);
            float k = 1.f + (n - 0.5f) * amount;
            c.at(x, y) = c.at(x, y) * k;
        }
}

Canvas finish(Canvas c) {
    tonemap(c, 0.75f);
    cut_black(c, 1.5f / 255.f);
    return c;
}

} // namespace

Canvas paint_a1txt() {
    Canvas c(320, 240);
    Font big("DejaVuSans-Bold.ttf", 84);
    Mask m(320, 240);
    int base = 120 + big.cap_height() / 2;
    big.draw_centred(m, 160, base, "VORN", 6);
    // Horizontal streak through the letters' middle.
    Mask streak(320, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            float dy = (y - 120) / 2.2f, dx = (x - 160) / 150.f;
            streak.at(x, y) = std::exp(-dy * dy) * std::exp(-dx * dx * 2.f) * 0.55f;
        }
    Mask inner = m;
    blur(inner, 2.f, Edge::Zero);
    // Core: white with a cool tint toward the letter edges.
    add_mask(c, m, Rgb{0.95f, 0.97f, 1.f}, 1.0f);
    add_mask(c, inner, Rgb{0.45f, 0.6f, 1.f}, 0.7f);
    Mask halo = m;
    blur(halo, 9.f, Edge::Zero);
    add_mask(c, halo, Rgb{0.35f, 0.3f, 1.f}, 1.1f);
    Mask far = m;
    blur(far, 26.f, Edge::Zero);
    add_mask(c, far, Rgb{0.5f, 0.15f, 0.7f}, 1.2f);
    add_mask(c, streak, Rgb{0.6f, 0.75f, 1.f}, 1.f);
    return finish(c);
}

Canvas paint_a1light1() {
    Canvas c(320, 240);
    pool(c, 70, 60, 95, 80, Rgb{1.f, 0.55f, 0.15f}, 0.95f);
    pool(c, 250, 190, 110, 80, Rgb{1.f, 0.3f, 0.1f}, 0.9f);
    pool(c, 190, 80, 60, 55, Rgb{1.f, 0.85f, 0.4f}, 0.6f);
    haze(c, 11, 0.5f);
    return finish(c);
}

Canvas paint_a1light2() {
    Canvas c(320, 240);
    pool(c, 255, 55, 100, 85, Rgb{0.2f, 0.55f, 1.f}, 0.95f);
    pool(c, 80, 185, 110, 75, Rgb{0.45f, 0.25f, 1.f}, 0.9f);
    pool(c, 150, 125, 70, 50, Rgb{0.2f, 0.9f, 0.9f}, 0.55f);
    haze(c, 23, 0.5f);
    return finish(c);
}

Canvas paint_mulptext() {
    const int W = 640, H = 240;
    Canvas c(W, H);
    struct Line {
        const char* text;
        int size, baseline, x;
        Rgb glow;
    };
    const Line lines[] = {
        {"QOLTRAX PRESENTS   *   ", 40, 66, 0, Rgb{1.f, 0.6f, 0.2f}},
        {"LIGHT  *  PIXELS  *  NOISE  *  ", 34, 142, 90, Rgb{0.3f, 0.6f, 1.f}},
        {"NO 3D CARD WAS HARMED   *   ", 30, 212, 40, Rgb{1.f, 0.3f, 0.7f}},
    };
    for (const Line& l : lines) {
        Font f("DejaVuSans-Bold.ttf", l.size);
        Mask m(W, H);
        // Repeat the line across the strip so it joins at the seam.
        int wdt = f.width(l.text, 2);
        int reps = std::max(1, W / wdt);
        int span = W / reps;
        for (int k = 0; k < reps; ++k)
            f.draw(m, l.x + k * span, l.baseline, l.text, 2, true);
        add_mask(c, m, Rgb{1.f, 1.f, 1.f});
        Mask a = m;
        blur(a, 2.5f, Edge::WrapX);
        add_mask(c, a, l.glow, 0.9f);
        Mask b = m;
        blur(b, 8.f, Edge::WrapX);
        add_mask(c, b, l.glow, 0.6f);
    }
    return finish(c);
}
