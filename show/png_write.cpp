// Frame to RGB PNG through libpng (see png_write.h).
#include "show/png_write.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct PngErrorText {
    char text[256] = "";
};

void on_png_error(png_structp png, png_const_charp message) {
    auto* err = static_cast<PngErrorText*>(png_get_error_ptr(png));
    std::snprintf(err->text, sizeof err->text, "%s", message);
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// Everything libpng touches after setjmp lives here, outside the function
// that calls setjmp, so a longjmp cannot leave it in a stale register.
bool encode(std::FILE* file, const uint32_t* pixels, int32_t width, int32_t height,
            std::vector<png_byte>& row, PngErrorText& err) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &err, on_png_error, on_png_warning);
    if (!png) {
        std::snprintf(err.text, sizeof err.text, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(err.text, sizeof err.text, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* src = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) {
            row[3 * x + 0] = static_cast<png_byte>(src[x] >> 16);
            row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
            row[3 * x + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool write_png_rgb(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                   std::string& error) {
    if (width <= 0 || height <= 0) {
        error = "empty picture";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    PngErrorText err;
    errno = 0;
    bool ok = encode(file, pixels, width, height, row, err);
    // libpng says only "Write Error" when the file cannot take more; the
    // system's reason (a full disk, say) tells the user what to do.
    const int write_error = errno;
    if (!ok) error = std::ferror(file) && write_error ? std::strerror(write_error) : err.text;
    if (std::fflush(file) != 0 || std::ferror(file)) {
        if (ok) error = std::strerror(errno);
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    if (!ok) std::remove(path.c_str());
    return ok;
}
