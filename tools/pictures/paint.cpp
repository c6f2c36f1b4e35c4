// Painting helpers shared by the picture painters (see paint.h).
#include "pictures/paint.h"

#include <algorithm>

void glow(Canvas& c, const Mask& m, Rgb core, Rgb inner, float inner_sigma, Rgb outer,
          float outer_sigma, Edge edge) {
    add_mask(c, m, core);
    if (inner_sigma > 0) {
        Mask a = m;
        blur(a, inner_sigma, edge);
        add_mask(c, a, inner);
    }
    if (outer_sigma > 0) {
        Mask b = m;
        blur(b, outer_sigma, edge);
        add_mask(c, b, outer);
    }
}

void key_onto(Canvas& out, const Mask& alpha, const Canvas& fill) {
    for (size_t i = 0; i < out.px.size(); ++i) {
        if (alpha.v[i] >= 0.5f) {
            Rgb p = fill.px[i];
            // Never let a covered pixel round to black: it would show through.
            float mx = std::max({p.r, p.g, p.b});
            if (mx < 6.f / 255.f) p = p + Rgb{6.f / 255.f, 6.f / 255.f, 6.f / 255.f};
            out.px[i] = p;
        }
    }
}

float smooth(float e0, float e1, float x) {
    float t = std::clamp((x - e0) / (e1 - e0), 0.f, 1.f);
    return t * t * (3.f - 2.f * t);
}

Canvas vertical_fill(int w, int h, int y0, int y1, const std::vector<RampStop>& stops) {
    Canvas c(w, h);
    for (int y = 0; y < h; ++y) {
        float t = y1 > y0 ? float(y - y0) / float(y1 - y0) : 0.f;
        Rgb col = ramp(stops, t);
        for (int x = 0; x < w; ++x)
            c.at(x, y) = col;
    }
    return c;
}
