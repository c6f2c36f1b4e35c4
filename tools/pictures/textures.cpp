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
    // Warm marble in relief: domain-warped noise folded into veins, shaded
    // as if lit from the upper left; fire colours drifting into magenta
    // and violet, with gold veins.
    const std::vector<RampStop> fire = {
        {0.f, Rgb{0.06f, 0.01f, 0.06f}},  {0.25f, Rgb{0.3f, 0.03f, 0.12f}},
        {0.5f, Rgb{0.65f, 0.12f, 0.06f}}, {0.72f, Rgb{0.9f, 0.42f, 0.08f}},
        {0.88f, Rgb{1.f, 0.78f, 0.3f}},   {1.f, Rgb{1.f, 0.97f, 0.8f}},
    };
    const std::vector<RampStop> dusk = {
        {0.f, Rgb{0.04f, 0.01f, 0.1f}},  {0.3f, Rgb{0.22f, 0.04f, 0.3f}},
        {0.55f, Rgb{0.6f, 0.1f, 0.45f}}, {0.75f, Rgb{0.95f, 0.35f, 0.55f}},
        {0.9f, Rgb{1.f, 0.75f, 0.7f}},   {1.f, Rgb{1.f, 0.95f, 0.9f}},
    };
    auto field = [](float x, float y) {
        float u = x / 64.f, v = y / 64.f; // 4 cells across
        float wx = fbm(u, v, 4, 3, 0.5f, 101), wy = fbm(u + 5.2f, v + 1.3f, 4, 3, 0.5f, 103);
        return fbm(u + 2.f * wx, v + 2.f * wy, 4, 5, 0.45f, 107);
    };
    Mask n(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            n.at(x, y) = field(float(x), float(y));
    Canvas c(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float v = n.at(x, y);
            float dx = n.at((x + 1) & 255, y) - n.at((x + 255) & 255, y);
            float dy = n.at(x, (y + 1) & 255) - n.at(x, (y + 255) & 255);
            float vein = std::fabs(std::sin(v * 8.f));
            float t = std::clamp(
                (0.2f + 0.7f * v + 0.35f * std::pow(1.f - vein, 6.f)) * 0.95f - 0.05f, 0.f, 1.f);
            // Which palette: a slow second field, sharpened into regions.
            float hue = smooth(0.4f, 0.62f, fbm(x / 64.f + 9.f, y / 64.f, 4, 2, 0.5f, 131));
            Rgb col = mix(ramp(fire, t), ramp(dusk, t), hue);
            float light = std::clamp(1.f - (dx + dy) * 14.f, 0.4f, 1.6f);
            col = col * light * (0.4f + 0.45f * smooth(0.f, 0.3f, vein));
            c.at(x, y) = col;
        }
    tonemap(c, 0.8f);
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
    // A lattice of glossy orbs on dark blue, engraved with a fine grid: gold
    // orbs every 128 texels (one in the middle), cool ones between, small
    // gems between those. The tile repeats seamlessly, and used as a
    // reflection a face turned to the eye catches the gold middle while
    // turned-away faces catch blue orbs and the dark ground.
    Canvas c(256, 256);
    const std::vector<RampStop> warm = {
        {0.f, Rgb{0.03f, 0.03f, 0.14f}}, {0.3f, Rgb{0.25f, 0.08f, 0.35f}},
        {0.55f, Rgb{0.8f, 0.3f, 0.25f}}, {0.75f, Rgb{1.f, 0.65f, 0.25f}},
        {0.9f, Rgb{1.f, 0.9f, 0.6f}},    {1.f, Rgb{1.f, 1.f, 1.f}},
    };
    const std::vector<RampStop> cool = {
        {0.f, Rgb{0.03f, 0.03f, 0.14f}},
        {0.4f, Rgb{0.08f, 0.15f, 0.45f}},
        {0.75f, Rgb{0.2f, 0.55f, 0.9f}},
        {1.f, Rgb{0.85f, 0.95f, 1.f}},
    };
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float n = fbm(x / 32.f, y / 32.f, 8, 4, 0.5f, 307);
            // Large orbs on a 128-texel lattice (one in the middle of the
            // tile), smaller ones between them, small gems between those.
            float dm = std::min(
                {std::sqrt(torus_d2(px, py, 128.f, 128.f)), std::sqrt(torus_d2(px, py, 0.f, 0.f)),
                 std::sqrt(torus_d2(px, py, 128.f, 0.f)), std::sqrt(torus_d2(px, py, 0.f, 128.f))});
            float dc = std::min({std::sqrt(torus_d2(px, py, 64.f, 64.f)),
                                 std::sqrt(torus_d2(px, py, 192.f, 64.f)),
                                 std::sqrt(torus_d2(px, py, 64.f, 192.f)),
                                 std::sqrt(torus_d2(px, py, 192.f, 192.f))});
            float de = std::min(
                {std::sqrt(torus_d2(px, py, 64.f, 0.f)), std::sqrt(torus_d2(px, py, 0.f, 64.f)),
                 std::sqrt(torus_d2(px, py, 64.f, 128.f)), std::sqrt(torus_d2(px, py, 128.f, 64.f)),
                 std::sqrt(torus_d2(px, py, 192.f, 0.f)), std::sqrt(torus_d2(px, py, 0.f, 192.f)),
                 std::sqrt(torus_d2(px, py, 192.f, 128.f)),
                 std::sqrt(torus_d2(px, py, 128.f, 192.f))});
            auto dome = [](float d, float r) {
                float k = std::max(0.f, 1.f - d / r);
                return std::sqrt(k * (2.f - k)); // a sphere's profile
            };
            float big = dome(dm, 44.f), small = dome(dc, 30.f), gem = dome(de, 11.f);
            float bands = 0.05f * std::sin(kTau * (3.f * big + 0.5f * n));
            Rgb col = ramp(warm, std::clamp(big * 0.95f + bands + (n - 0.5f) * 0.1f, 0.f, 1.f));
            if (small > 0.f)
                col = col + ramp(cool, std::clamp(small * 0.9f + (n - 0.5f) * 0.1f, 0.f, 1.f));
            if (gem > 0.f) col = col + Rgb{0.2f, 0.9f, 0.7f} * (gem * 0.8f);
            // Highlights up and left of each orb's top.
            float fx = px - 128.f * std::floor(px / 128.f),
                  fy = py - 128.f * std::floor(py / 128.f);
            float s1 = (fx - 116.f) * (fx - 116.f) + (fy - 115.f) * (fy - 115.f);
            float s2 = (fx - 55.f) * (fx - 55.f) + (fy - 55.f) * (fy - 55.f);
            col = col + Rgb{1.f, 1.f, 1.f} * (std::exp(-s1 / (2.f * 6.f * 6.f)) * 0.7f) +
                  Rgb{0.8f, 0.9f, 1.f} * (std::exp(-s2 / (2.f * 4.f * 4.f)) * 0.6f);
            // Engraved grooves every 16 texels, embossed: a dark groove with
            // a bright lip below and to the right.
            auto groove = [](float v) {
                float f = v - 16.f * std::floor(v / 16.f);
                return std::min(f, 16.f - f);
            };
            float gd = std::min(groove(px), groove(py));
            float lip = std::min(groove(px - 1.f), groove(py - 1.f));
            float lift = 0.3f + 0.7f * std::max({big, small, gem});
            col = col * (0.5f + 0.5f * smooth(0.f, 1.4f, gd));
            col = col + Rgb{0.6f, 0.7f, 1.f} * ((1.f - smooth(0.f, 1.2f, lip)) * 0.22f * lift);
            c.at(x, y) = col;
        }
    tonemap(c, 0.85f);
    return c;
}
