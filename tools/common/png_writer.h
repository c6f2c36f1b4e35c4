// PNG writer for previews and icons: 8-bit RGB or RGBA, rows top to bottom.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// `rgb` holds w * h pixels of r, g, b bytes. Prints a message and returns
// false on failure.
bool write_png(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb);
// `rgba` holds w * h pixels of r, g, b, alpha bytes (alpha not premultiplied).
bool write_png_rgba(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba);
