// Float RGB pictures and masks for the asset generator: blurs, dilation,
// compositing and tone mapping. Channels are nominally 0..1.
#include "common/canvas.h"

#include <algorithm>
#include <cmath>

Rgb mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb rgb8(int r, int g, int b) {
    return {r / 255.f, g / 255.f, b / 255.f};
}

Rgb ramp(const std::vector<RampStop>& stops, float t) {
    if (stops.empty()) return {};
    if (t <= stops.front().pos) return stops.front().col;
    for (size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].pos) {
            float span = stops[i].pos - stops[i - 1].pos;
            float k = span > 0 ? (t - stops[i - 1].pos) / span : 1.f;
            return mix(stops[i - 1].col, stops[i].col, k);
        }
    }
    return stops.back().col;
}

static std::vector<float> gauss_kernel(float sigma, int& radius) {
    radius = std::max(1, int(std::ceil(sigma * 3.f)));
    std::vector<float> k(size_t(2 * radius + 1));
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        float v = std::exp(-0.5f * float(i * i) / (sigma * sigma));
        k[size_t(i + radius)] = v;
        sum += v;
    }
    for (float& v : k)
        v /= sum;
    return k;
}

// One blur pass over `n` lines of `len` samples each, `stride` apart within a
// line and `step` apart between lines; T is float or Rgb.
template <class T>
static void blur_pass(std::vector<T>& data, int len, int n, size_t stride, size_t step,
                      const std::vector<float>& k, int radius, Edge edge) {
    std::vector<T> line(static_cast<size_t>(len)), out(static_cast<size_t>(len));
    for (int l = 0; l < n; ++l) {
        size_t base = size_t(l) * step;
        for (int i = 0; i < len; ++i)
            line[size_t(i)] = data[base + size_t(i) * stride];
        for (int i = 0; i < len; ++i) {
            T acc{};
            for (int j = -radius; j <= radius; ++j) {
                int p = i + j;
                if (p < 0 || p >= len) {
                    if (edge == Edge::Zero) continue;
                    p = ((p % len) + len) % len;
                }
                acc = acc + line[size_t(p)] * k[size_t(j + radius)];
            }
            out[size_t(i)] = acc;
        }
        for (int i = 0; i < len; ++i)
            data[base + size_t(i) * stride] = out[size_t(i)];
    }
}

void blur(Mask& m, float sigma, Edge edge) {
    if (sigma <= 0) return;
    int r;
    auto k = gauss_kernel(sigma, r);
    blur_pass(m.v, m.w, m.h, 1, size_t(m.w), k, r, edge == Edge::Zero ? Edge::Zero : Edge::Wrap);
    blur_pass(m.v, m.h, m.w, size_t(m.w), 1, k, r, edge == Edge::Wrap ? Edge::Wrap : Edge::Zero);
}

void blur(Canvas& c, float sigma, Edge edge) {
    if (sigma <= 0) return;
    int r;
    auto k = gauss_kernel(sigma, r);
    blur_pass(c.px, c.w, c.h, 1, size_t(c.w), k, r, edge == Edge::Zero ? Edge::Zero : Edge::Wrap);
    blur_pass(c.px, c.h, c.w, size_t(c.w), 1, k, r, edge == Edge::Wrap ? Edge::Wrap : Edge::Zero);
}

Mask dilate(const Mask& m, float radius, bool wrap_x) {
    Mask out(m.w, m.h);
    int r = int(std::ceil(radius));
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float best = 0;
            for (int dy = -r; dy <= r; ++dy) {
                int yy = y + dy;
                if (yy < 0 || yy >= m.h) continue;
                for (int dx = -r; dx <= r; ++dx) {
                    float d = std::sqrt(float(dx * dx + dy * dy));
                    if (d > radius + 0.5f) continue;
                    int xx = x + dx;
                    if (xx < 0 || xx >= m.w) {
                        if (!wrap_x) continue;
                        xx = ((xx % m.w) + m.w) % m.w;
                    }
                    // Soft edge: the last half pixel of the radius fades.
                    float wgt = std::clamp(radius + 0.5f - d, 0.f, 1.f);
                    best = std::max(best, m.at(xx, yy) * wgt);
                }
            }
            out.at(x, y) = best;
        }
    return out;
}

void add_mask(Canvas& c, const Mask& m, Rgb colour, float gain) {
    for (size_t i = 0; i < c.px.size(); ++i)
        c.px[i] = c.px[i] + colour * (m.v[i] * gain);
}

void clamp01(Canvas& c) {
    for (Rgb& p : c.px) {
        p.r = std::clamp(p.r, 0.f, 1.f);
        p.g = std::clamp(p.g, 0.f, 1.f);
        p.b = std::clamp(p.b, 0.f, 1.f);
    }
}

static float soft(float v, float knee) {
    if (v <= knee) return v;
    float room = 1.f - knee;
    return knee + room * (1.f - std::exp(-(v - knee) / room));
}

void tonemap(Canvas& c, float knee) {
    for (Rgb& p : c.px) {
        float m = std::max({p.r, p.g, p.b});
        if (m > 1.f) {
            // Spill the overflow into the other channels, toward white.
            float spill = std::min(1.f, (m - 1.f) * 0.5f);
            p = mix(p, Rgb{m, m, m}, spill);
        }
        p.r = std::max(0.f, soft(p.r, knee));
        p.g = std::max(0.f, soft(p.g, knee));
        p.b = std::max(0.f, soft(p.b, knee));
    }
}

void cut_black(Canvas& c, float floor) {
    for (Rgb& p : c.px)
        if (p.r < floor && p.g < floor && p.b < floor) p = {};
}

std::vector<uint8_t> to_rgb8(const Canvas& c) {
    std::vector<uint8_t> out(c.px.size() * 3);
    auto q = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.f, 1.f) * 255.f)); };
    for (size_t i = 0; i < c.px.size(); ++i) {
        out[i * 3] = q(c.px[i].r);
        out[i * 3 + 1] = q(c.px[i].g);
        out[i * 3 + 2] = q(c.px[i].b);
    }
    return out;
}
