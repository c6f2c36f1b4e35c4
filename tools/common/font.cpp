// FreeType text rendering into coverage masks (see font.h).
#include "common/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#ifndef VORN_FONT_DIR
#define VORN_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

Font::Font(const std::string& file, int pixel_size) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib)) {
        std::fprintf(stderr, "vorn-gen: FreeType did not start\n");
        return;
    }
    library_ = lib;
    const char* dir = std::getenv("VORN_FONT_DIR");
    std::string path = std::string(dir && *dir ? dir : VORN_FONT_DIR) + "/" + file;
    FT_Face face = nullptr;
    if (FT_New_Face(lib, path.c_str(), 0, &face) ||
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixel_size))) {
        std::fprintf(stderr, "vorn-gen: cannot load font %s\n", path.c_str());
        if (face) FT_Done_Face(face);
        return;
    }
    face_ = face;
}

Font::~Font() {
    if (face_) FT_Done_Face(FT_Face(face_));
    if (library_) FT_Done_FreeType(FT_Library(library_));
}

// The kerning between two glyphs in 26.6 units (0 where the font has none).
static long kerning(FT_Face face, FT_UInt prev, FT_UInt gi) {
    if (!prev || !gi || !FT_HAS_KERNING(face)) return 0;
    FT_Vector k;
    FT_Get_Kerning(face, prev, gi, FT_KERNING_DEFAULT, &k);
    return k.x;
}

int Font::width(const std::string& text, int tracking) const {
    if (!face_) return 0;
    FT_Face face = FT_Face(face_);
    long pen = 0;
    FT_UInt prev = 0;
    for (unsigned char ch : text) {
        FT_UInt gi = FT_Get_Char_Index(face, ch);
        pen += kerning(face, prev, gi);
        if (FT_Load_Glyph(face, gi, FT_LOAD_DEFAULT)) continue;
        pen += face->glyph->advance.x + tracking * 64;
        prev = gi;
    }
    if (!text.empty()) pen -= tracking * 64;
    return int((pen + 32) >> 6);
}

int Font::cap_height() const {
    if (!face_) return 0;
    FT_Face face = FT_Face(face_);
    if (FT_Load_Char(face, 'H', FT_LOAD_DEFAULT)) return 0;
    return int(face->glyph->metrics.horiBearingY >> 6);
}

void Font::draw(Mask& m, int x, int baseline, const std::string& text, int tracking,
                bool wrap_x) const {
    if (!face_) return;
    FT_Face face = FT_Face(face_);
    long pen = long(x) * 64;
    FT_UInt prev = 0;
    for (unsigned char ch : text) {
        FT_UInt gi = FT_Get_Char_Index(face, ch);
        pen += kerning(face, prev, gi);
        if (FT_Load_Glyph(face, gi, FT_LOAD_DEFAULT) ||
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
            continue;
        FT_GlyphSlot g = face->glyph;
        int gx = int(pen >> 6) + g->bitmap_left, gy = baseline - g->bitmap_top;
        for (unsigned r = 0; r < g->bitmap.rows; ++r)
            for (unsigned c = 0; c < g->bitmap.width; ++c) {
                int px = gx + int(c), py = gy + int(r);
                if (py < 0 || py >= m.h) continue;
                if (px < 0 || px >= m.w) {
                    if (!wrap_x) continue;
                    px = ((px % m.w) + m.w) % m.w;
                }
                float v = g->bitmap.buffer[r * unsigned(g->bitmap.pitch) + c] / 255.f;
                m.at(px, py) = std::max(m.at(px, py), v);
            }
        pen += g->advance.x + tracking * 64;
        prev = gi;
    }
}

void Font::draw_centred(Mask& m, int cx, int baseline, const std::string& text, int tracking,
                        bool wrap_x) const {
    draw(m, cx - width(text, tracking) / 2, baseline, text, tracking, wrap_x);
}
