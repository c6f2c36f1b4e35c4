// The viewer's signs as rectangles over the picture (see sign_drawing.h).
#include "show/sign_drawing.h"

#include <algorithm>
#include <string>

#include "show/sign_font.h"

namespace {

enum class Place { TopLeft, Middle, BottomLeft };

// Width of the words in font pixels: each glyph and one column between two.
int text_width(const std::u32string& text) {
    int w = 0;
    for (char32_t c : text)
        w += sign_glyph(c).width + 1;
    return std::max(0, w - 1);
}

// The words' lit pixels from (x, y), `u` output pixels a font pixel: each
// row's runs of lit columns as one rectangle.
void add_words(std::vector<SignRect>& out, const std::u32string& text, int x, int y, int u,
               uint8_t alpha) {
    for (char32_t c : text) {
        const SignGlyph& g = sign_glyph(c);
        for (int row = 0; row < kGlyphRows; ++row)
            for (int col = 0; col < g.width;) {
                const auto lit = [&](int k) { return (g.rows[row] >> (4 - k)) & 1; };
                if (!lit(col)) {
                    ++col;
                    continue;
                }
                const int from = col;
                while (col < g.width && lit(col))
                    ++col;
                out.push_back(
                    {x + from * u, y + row * u, (col - from) * u, u, 240, 240, 240, alpha});
            }
        x += (g.width + 1) * u;
    }
}

// A box with the words in it, placed in the picture.
void add_sign(std::vector<SignRect>& out, const std::string& words, Place place,
              const PictureRect& p, int u, double fade) {
    const std::u32string text = code_points(words);
    const int pad = 3 * u, margin = 6 * u;
    const int w = text_width(text) * u + 2 * pad;
    const int h = kGlyphBaseline * u + 2 * pad; // the descenders hang into the padding
    int x = p.x + margin, y = p.y + margin;
    if (place == Place::Middle) {
        x = p.x + std::max(0, (p.w - w) / 2);
        y = p.y + (p.h - h) / 2;
    } else if (place == Place::BottomLeft) {
        y = p.y + p.h - margin - h;
    }
    const auto alpha = [fade](int a) { return static_cast<uint8_t>(a * fade + 0.5); };
    out.push_back({x, y, w, h, 16, 16, 16, alpha(176)});
    add_words(out, text, x + pad, y + pad, u, alpha(255));
}

} // namespace

std::vector<SignRect> sign_rects(const ViewerSigns& signs, PictureRect picture, int64_t now_ms) {
    std::vector<SignRect> out;
    const int u = std::max(1, picture.h / 240);
    if (signs.paused) add_sign(out, "\u23f8 paused", Place::TopLeft, picture, u, 1.0);
    if (!signs.progress.empty()) add_sign(out, signs.progress, Place::Middle, picture, u, 1.0);
    const int64_t left = signs.caption_until_ms - now_ms;
    if (!signs.caption.empty() && left > 0)
        add_sign(out, signs.caption, Place::BottomLeft, picture, u,
                 std::min(1.0, static_cast<double>(left) / kCaptionFadeMs));
    return out;
}
