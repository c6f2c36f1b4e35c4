// The small bitmap font of the viewer's signs: small letters, digits and
// the few marks the signs use (: . , % - / ( ) ·, and a pause symbol,
// U+23F8). Capitals are drawn as small letters; anything else as a hollow
// box.
//
// A glyph is `width` columns (1 to 5) by kGlyphRows rows, one byte a row,
// bit 4 its leftmost column. Rows 0..6 stand on the baseline (digits and
// tall letters fill them, small letters rows 2..6); rows 7 and 8 hang below
// it (g, j, p, q, y, the comma).
#pragma once
#include <cstdint>
#include <string>

constexpr int kGlyphRows = 9;
constexpr int kGlyphBaseline = 7; // rows above the baseline

struct SignGlyph {
    uint8_t width;
    uint8_t rows[kGlyphRows];
};

const SignGlyph& sign_glyph(char32_t c);

// The code points of UTF-8 text; a broken sequence gives U+FFFD.
std::u32string code_points(const std::string& utf8);
