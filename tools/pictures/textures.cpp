// Tiling textures, 256 x 256, seamless in both directions: the two window
// pictures (one warm, one cool; the warm one also covers the waving grid)
// and the rotating background that doubles as a reflection map.
#include <algorithm>
#include <cmath>

#include "common/noise.h"
#include "pictures/paint.h"

namespace {

constexpr float kTau = 6.2831853f;

// Squared distance on the 256 x 256 torus.
float torus_d2(float ax, float ay, float bx, float by) {
    float dx = std::fabs(ax - bx), dy = std::fabs(ay - by);
    dx = std::min(dx, 256.f - dx);
    dy = std::min(dy, 256.f - dy);
    return dx * dx + dy * dy;
}

} // namespace

Canvas paint_brisel2() {
    // Warm marble: domain-warped noise folded into veins, gold over red.
    Canvas c(256, 256);
    const std::vector<RampStop> stops = {
        {0.f, Rgb{0.12f, 0.01f, 0.03f}},  {0.3f, Rgb{0.55f, 0.06f, 0.05f}},
        {0.55f, Rgb{0.9f, 0.35f, 0.05f}}, {0.75f, Rgb{1.f, 0.75f, 0.25f}},
        {0.9f, Rgb{1.f, 0.95f, 0.7f}},    {1.f, Rgb{1.f, 1.f, 0.95f}},
    };
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float u = x / 32.f, v = y / 32.f; // 8 cells across
            float wx = fbm(u, v, 8, 4, 0.5f, 101), wy = fbm(u + 5.2f, v + 1.3f, 8, 4, 0.5f, 103);
            float n = fbm(u + 3.f * wx, v + 3.f * wy, 8, 5, 0.5f, 107);
            float vein = std::fabs(std::sin(n * 14.f));
            vein = std::pow(vein, 0.35f);
            float t = 0.15f + 0.85f * n * vein + 0.25f * (1.f - vein);
            Rgb col = ramp(stops, std::clamp(t, 0.f, 1.f));
            // Dark cracks where the veins fold.
            col = col * (0.35f + 0.65f * smooth(0.f, 0.25f, vein));
            c.at(x, y) = col;
        }
    tonemap(c, 0.85f);
    return c;
}

Canvas paint_brisel() {
    // Cool crystal cells: a periodic cell pattern with bevelled faces and
    // glowing seams, cyan, blue and violet.
    Canvas c(256, 256);
    Rng rng(2024);
    struct Site {
        float x, y;
        Rgb col;
    };
    std::vector<Site> sites;
    const int grid = 6;
    const float cell = 256.f / grid;
    const Rgb palette[] = {Rgb{0.1f, 0.35f, 0.9f}, Rgb{0.05f, 0.7f, 0.85f}, Rgb{0.45f, 0.2f, 0.9f},
                           Rgb{0.1f, 0.55f, 0.65f}, Rgb{0.7f, 0.3f, 0.95f}};
    for (int j = 0; j < grid; ++j)
        for (int i = 0; i < grid; ++i) {
            Site s;
            s.x = (i + rng.range(0.15f, 0.85f)) * cell;
            s.y = (j + rng.range(0.15f, 0.85f)) * cell;
            s.col = palette[rng.below(5)] * rng.range(0.6f, 1.f);
            sites.push_back(s);
        }
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float d1 = 1e9f, d2 = 1e9f;
            const Site* best = nullptr;
            for (const Site& s : sites) {
                float d = torus_d2(x + 0.5f, y + 0.5f, s.x, s.y);
                if (d < d1) {
                    d2 = d1;
                    d1 = d;
                    best = &s;
                } else if (d < d2) {
                    d2 = d;
                }
            }
            float edge = std::sqrt(d2) - std::sqrt(d1); // distance to the seam, roughly x2
            // Bevel: faces lit from the upper left by their offset from the site.
            float ox = x + 0.5f - best->x, oy = y + 0.5f - best->y;
            if (ox > 128.f) ox -= 256.f;
            if (ox < -128.f) ox += 256.f;
            if (oy > 128.f) oy -= 256.f;
            if (oy < -128.f) oy += 256.f;
            float len = std::sqrt(ox * ox + oy * oy) + 1e-3f;
            float facet = 0.55f + 0.45f * (-(ox + oy) / (len * 1.41421f)) * smooth(0.f, 25.f, len);
            float n = fbm(x / 16.f, y / 16.f, 16, 4, 0.5f, 211);
            Rgb col = best->col * (facet * (0.7f + 0.5f * n));
            float seam = std::exp(-edge / 1.5f);
            float seam_glow = std::exp(-edge / 7.f);
            col = col * smooth(0.5f, 3.5f, edge) + Rgb{0.8f, 0.95f, 1.f} * (seam * 0.9f) +
                  Rgb{0.2f, 0.6f, 1.f} * (seam_glow * 0.45f);
            c.at(x, y) = col;
        }
    tonemap(c, 0.8f);
    return c;
}

Canvas paint_envmap() {
    // A chrome egg-crate: a periodic height field shaded as a mirror that
    // reflects a sky (blue above, bright horizon, warm ground below).
    Canvas c(256, 256);
    const std::vector<RampStop> sky = {
        {0.f, Rgb{0.15f, 0.07f, 0.02f}}, {0.3f, Rgb{0.55f, 0.25f, 0.08f}},
        {0.47f, Rgb{1.f, 0.75f, 0.4f}},  {0.5f, Rgb{1.f, 1.f, 0.95f}},
        {0.56f, Rgb{0.6f, 0.8f, 1.f}},   {0.8f, Rgb{0.15f, 0.3f, 0.75f}},
        {1.f, Rgb{0.03f, 0.06f, 0.3f}},
    };
    auto height = [](float x, float y) {
        float a = std::sin(kTau * 2.f * x / 256.f) * std::sin(kTau * 2.f * y / 256.f);
        float b = 0.25f * std::sin(kTau * 6.f * (x + y) / 256.f);
        float n = fbm(x / 32.f, y / 32.f, 8, 3, 0.5f, 307) - 0.5f;
        return a + b * 0.5f + n * 0.6f;
    };
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float hx = (height(x + 1.f, float(y)) - height(x - 1.f, float(y))) * 0.5f;
            float hy = (height(float(x), y + 1.f) - height(float(x), y - 1.f)) * 0.5f;
            float nx = -hx * 22.f, ny = -hy * 22.f, nz = 1.f;
            float len = std::sqrt(nx * nx + ny * ny + nz * nz);
            nx /= len;
            ny /= len;
            nz /= len;
            // Reflect the view ray (0, 0, -1) about the normal.
            float ry = 2.f * nz * ny;
            float rx = 2.f * nz * nx;
            Rgb col = ramp(sky, std::clamp(0.5f - ry * 0.9f + rx * 0.15f, 0.f, 1.f));
            float spec = std::pow(std::max(0.f, (nx * -0.4f + ny * -0.5f + nz * 0.77f)), 40.f);
            c.at(x, y) = col + Rgb{1.f, 1.f, 1.f} * (spec * 0.8f);
        }
    tonemap(c, 0.85f);
    return c;
}
