// PNG output through libpng (see png_writer.h).
#include "common/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace {

bool write(const std::string& path, int w, int h, const std::vector<uint8_t>& px, int channels) {
    if (px.size() < size_t(w) * size_t(h) * size_t(channels)) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "vorn-gen: cannot write %s\n", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        std::fprintf(stderr, "vorn-gen: error writing %s\n", path.c_str());
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y)
        png_write_row(png, const_cast<png_bytep>(&px[size_t(y) * size_t(w) * size_t(channels)]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

} // namespace

bool write_png(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb) {
    return write(path, w, h, rgb, 3);
}

bool write_png_rgba(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba) {
    return write(path, w, h, rgba, 4);
}
