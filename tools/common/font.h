// Text for the asset generator, rendered with FreeType from the DejaVu fonts
// (the folder VORN_FONT_DIR named at build time, or by the environment
// variable of that name when it is set). Sizes are in pixels (the em height); positions are the
// pen's left edge and the baseline, in pixels of the target mask.
#pragma once
#include <memory>
#include <string>

#include "common/canvas.h"

class Font {
  public:
    // `file` is a font file name inside VORN_FONT_DIR, e.g. "DejaVuSans-Bold.ttf".
    // ok() is false (and a message printed) when it cannot be loaded.
    Font(const std::string& file, int pixel_size);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    bool ok() const { return face_ != nullptr; }
    // Advance width of `text` in pixels, with `tracking` extra pixels per letter.
    int width(const std::string& text, int tracking = 0) const;
    // Distance from the baseline up to the top of capitals, in pixels.
    int cap_height() const;
    // Draw `text` into `m` (coverage, maximum with what is there). With
    // `wrap_x`, glyphs leaving the right or left edge come in on the other.
    void draw(Mask& m, int x, int baseline, const std::string& text, int tracking = 0,
              bool wrap_x = false) const;
    // Draw centred on column `cx`.
    void draw_centred(Mask& m, int cx, int baseline, const std::string& text, int tracking = 0,
                      bool wrap_x = false) const;

  private:
    void* library_ = nullptr; // FT_Library
    void* face_ = nullptr;    // FT_Face
};
