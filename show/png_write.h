// Writing a frame as an 8-bit RGB PNG (libpng). Pixels are 0x00RRGGBB, rows
// of `width` pixels one after the other; the top byte is dropped.
#pragma once
#include <cstdint>
#include <string>

// Writes width x height pixels to `path`. On failure returns false, removes
// any partly written file and says why in `error`.
bool write_png_rgb(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                   std::string& error);
