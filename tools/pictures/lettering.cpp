// Lettering: the group logo and a signature (overlays keyed on black, so
// every covered pixel is opaque and everything else exact black), the
// greetings and the small logo (120 x 40, added onto the frame) and the
// credits strip (100 x 480, copied opaquely).
#include <algorithm>
#include <cmath>
#include <string>

#include "common/font.h"
#include "common/noise.h"
#include "pictures/paint.h"

namespace {

// Chrome: sky above a sharp horizon, ground below, between rows y0 and y1.
Canvas chrome(int w, int h, int y0, int y1) {
    return vertical_fill(w, h, y0, y1,
                         {{0.f, Rgb{0.55f, 0.75f, 1.f}},
                          {0.4f, Rgb{1.f, 1.f, 1.f}},
                          {0.52f, Rgb{0.35f, 0.45f, 0.85f}},
                          {0.56f, Rgb{0.12f, 0.12f, 0.35f}},
                          {0.62f, Rgb{0.6f, 0.45f, 0.55f}},
                          {1.f, Rgb{1.f, 0.85f, 0.6f}}});
}

// Keyed lettering: `fill` inside the letters, an outline ring of width
// `outline` coloured by `edge`, black elsewhere.
Canvas keyed_text(const Mask& letters, const Canvas& fill, float outline, Rgb edge_top,
                  Rgb edge_bottom, int y0, int y1) {
    Canvas out(letters.w, letters.h);
    Mask ring = dilate(letters, outline, false);
    Canvas edge =
        vertical_fill(letters.w, letters.h, y0, y1, {{0.f, edge_top}, {1.f, edge_bottom}});
    key_onto(out, ring, edge);
    key_onto(out, letters, fill);
    return out;
}

// Small additive greeting: one or two lines of bright text with a glow.
Canvas greeting(const std::string& line1, const std::string& line2, Rgb tint) {
    Canvas c(120, 40);
    Mask m(120, 40), flare(120, 40);
    int top = 0, bottom = 40;
    if (line2.empty()) {
        int size = 22;
        while (size > 12 && Font("DejaVuSans-Bold.ttf", size).width(line1, 1) > 104)
            --size;
        Font fit("DejaVuSans-Bold.ttf", size);
        int base = 20 + fit.cap_height() / 2;
        fit.draw_centred(m, 60, base, line1, 1);
        top = base - fit.cap_height();
        bottom = base;
        // Thin flares running out from both ends of the name.
        int half = fit.width(line1, 1) / 2;
        for (int x = 0; x < 120; ++x) {
            int gap = std::abs(x - 60) - half - 3;
            if (gap > 0) flare.at(x, 20) = std::max(0.f, 1.f - gap / 14.f);
        }
    } else {
        Font f("DejaVuSans-Bold.ttf", 15);
        f.draw_centred(m, 60, 17, line1, 1);
        f.draw_centred(m, 60, 35, line2, 1);
        top = 6;
        bottom = 35;
    }
    // White at the top of the letters, taking on the tint toward the bottom.
    Canvas fill =
        vertical_fill(120, 40, top, bottom,
                      {{0.f, Rgb{1.f, 1.f, 1.f}}, {1.f, mix(Rgb{1.f, 1.f, 1.f}, tint, 0.45f)}});
    for (size_t i = 0; i < c.px.size(); ++i)
        c.px[i] = fill.px[i] * m.v[i];
    glow(c, m, Rgb{}, tint, 1.2f, tint * 0.7f, 3.5f);
    glow(c, flare, tint * 0.9f, tint, 1.0f, Rgb{}, 0.f);
    tonemap(c, 0.8f);
    cut_black(c, 2.f / 255.f);
    return c;
}

} // namespace

Canvas paint_qolonvrn() {
    const int W = 320, H = 240;
    Font big("DejaVuSans-Bold.ttf", 58);
    Font small("DejaVuSans-Bold.ttf", 16);
    Mask letters(W, H);
    int base = 118;
    int top = base - big.cap_height();
    big.draw_centred(letters, 160, base, "QOLTRAX", 1);
    Canvas fill = chrome(W, H, top, base);
    Canvas out =
        keyed_text(letters, fill, 2.5f, Rgb{1.f, 0.5f, 0.1f}, Rgb{0.9f, 0.1f, 0.5f}, top, base);
    // A bar under the name with the show's title in it.
    Mask bar(W, H);
    for (int y = base + 12; y < base + 34; ++y)
        for (int x = 48; x < 272; ++x)
            bar.at(x, y) = 1.f;
    Mask word(W, H);
    small.draw_centred(word, 160, base + 29, "on VORN", 6);
    Canvas bar_fill = vertical_fill(W, H, base + 12, base + 34,
                                    {{0.f, Rgb{0.9f, 0.2f, 0.5f}}, {1.f, Rgb{0.35f, 0.05f, 0.4f}}});
    for (size_t i = 0; i < bar_fill.px.size(); ++i)
        bar_fill.px[i] = mix(bar_fill.px[i], Rgb{1.f, 1.f, 0.9f}, word.v[i]);
    key_onto(out, bar, bar_fill);
    return out;
}

Canvas paint_kjetweak() {
    const int W = 320, H = 240;
    Font big("DejaVuSans-BoldOblique.ttf", 74);
    Font small("DejaVuSans-Oblique.ttf", 15);
    Mask letters(W, H);
    int base = 140;
    int top = base - big.cap_height();
    big.draw_centred(letters, 160, base, "zurnik", 0);
    Canvas fill = vertical_fill(W, H, top, base,
                                {{0.f, Rgb{1.f, 1.f, 0.7f}},
                                 {0.35f, Rgb{1.f, 0.8f, 0.2f}},
                                 {0.7f, Rgb{1.f, 0.35f, 0.05f}},
                                 {1.f, Rgb{0.75f, 0.05f, 0.1f}}});
    // Streaks of heat across the letters.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float n = fbm(x / 12.f, y / 30.f, 0, 3, 0.5f, 401);
            fill.at(x, y) = fill.at(x, y) * (0.8f + 0.4f * n);
        }
    Canvas out =
        keyed_text(letters, fill, 3.f, Rgb{0.3f, 0.9f, 1.f}, Rgb{0.2f, 0.3f, 1.f}, top, base);
    Mask line(W, H);
    small.draw_centred(line, 160, base + 36, "tweaked every pixel", 1);
    Canvas line_fill(W, H);
    for (Rgb& p : line_fill.px)
        p = Rgb{0.75f, 0.95f, 1.f};
    key_onto(out, line, line_fill);
    return out;
}

Canvas paint_greets1() {
    return greeting("VEXHOLM", "", Rgb{0.3f, 0.7f, 1.f});
}
Canvas paint_greets2() {
    return greeting("ZYRRH", "DUSKLAW", Rgb{1.f, 0.5f, 0.2f});
}
Canvas paint_greets3() {
    return greeting("OMBRELITH", "", Rgb{0.5f, 1.f, 0.4f});
}
Canvas paint_greets4() {
    return greeting("FLORVEX", "TRUNDEL", Rgb{1.f, 0.3f, 0.8f});
}

Canvas paint_qol() {
    Canvas c(120, 40);
    Font f("DejaVuSans-Bold.ttf", 21);
    Mask m(120, 40);
    f.draw_centred(m, 60, 25, "QOLTRAX", 0);
    // Underline that fades out to both sides.
    for (int x = 8; x < 112; ++x) {
        float k = 1.f - std::fabs(x - 60.f) / 52.f;
        m.at(x, 31) = std::max(m.at(x, 31), k);
        m.at(x, 32) = std::max(m.at(x, 32), k * 0.6f);
    }
    Canvas fill = vertical_fill(
        120, 40, 8, 33,
        {{0.f, Rgb{1.f, 1.f, 1.f}}, {0.5f, Rgb{1.f, 0.8f, 0.4f}}, {1.f, Rgb{1.f, 0.4f, 0.1f}}});
    for (size_t i = 0; i < c.px.size(); ++i)
        c.px[i] = fill.px[i] * m.v[i];
    Mask g = m;
    blur(g, 2.5f, Edge::Zero);
    add_mask(c, g, Rgb{1.f, 0.35f, 0.1f}, 0.8f);
    tonemap(c, 0.8f);
    cut_black(c, 2.f / 255.f);
    return c;
}

Canvas paint_scroll() {
    const int W = 100, H = 480;
    Canvas c(W, H);
    Font title("DejaVuSans-Bold.ttf", 24);
    Font head("DejaVuSans.ttf", 10);
    Font name("DejaVuSans-Bold.ttf", 13);
    Mask mt(W, H), mh(W, H), mn(W, H);
    Mask rule(W, H);
    // A short glowing rule between sections.
    auto divider = [&](int yy) {
        for (int x = 30; x < 70; ++x)
            rule.at(x, yy) = 1.f - std::fabs(x - 49.5f) / 20.f;
    };
    int y = 30;
    title.draw_centred(mt, 50, y, "VORN", 3);
    y += 17;
    head.draw_centred(mh, 50, y, "a Qoltrax");
    y += 12;
    head.draw_centred(mh, 50, y, "production");
    y += 16;
    divider(y);
    y += 20;
    const char* roles[][2] = {
        {"code", "zurnik"}, {"graphics", "ivolen"}, {"music", "thorvax"}, {"objects", "pemrill"}};
    for (auto& r : roles) {
        head.draw_centred(mh, 50, y, r[0]);
        y += 15;
        name.draw_centred(mn, 50, y, r[1], 1);
        y += 25;
    }
    divider(y - 6);
    y += 14;
    head.draw_centred(mh, 50, y, "greetings to");
    y += 18;
    for (const char* g : {"vexholm", "zyrrh", "dusklaw", "ombrelith", "florvex", "trundel"}) {
        name.draw_centred(mn, 50, y, g, 1);
        y += 17;
    }
    divider(y);
    y += 22;
    head.draw_centred(mh, 50, y, "320 x 240 pixels");
    y += 13;
    head.draw_centred(mh, 50, y, "every one by hand");
    y += 26;
    name.draw_centred(mn, 50, y, "qoltrax", 2);
    y += 13;
    head.draw_centred(mh, 50, y, "signing off");
    Mask rule_glow = rule;
    blur(rule_glow, 1.5f, Edge::Zero);
    add_mask(c, rule, Rgb{1.f, 0.8f, 0.5f});
    add_mask(c, rule_glow, Rgb{1.f, 0.4f, 0.2f}, 0.8f);
    glow(c, mt, Rgb{1.f, 1.f, 1.f}, Rgb{0.4f, 0.6f, 1.f}, 1.5f, Rgb{0.3f, 0.2f, 0.9f}, 4.f);
    add_mask(c, mh, Rgb{0.6f, 0.8f, 1.f});
    add_mask(c, mn, Rgb{1.f, 0.95f, 0.85f});
    Mask ng = mn;
    blur(ng, 1.5f, Edge::Zero);
    add_mask(c, ng, Rgb{1.f, 0.5f, 0.2f}, 0.5f);
    tonemap(c, 0.85f);
    cut_black(c, 2.f / 255.f);
    return c;
}
