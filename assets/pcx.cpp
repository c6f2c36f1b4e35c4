// load_pcx and load_picture: the PCX decoder with its messages on standard
// output and exit(-1) on every failure. "\x94" is the letter o-umlaut in
// code page 437, the encoding of all the show's Swedish messages.
#include "assets/pcx.h"

#include <cstdio>
#include <cstdlib>

#include "assets/file_bytes.h"
#include "assets/pcx_decoder.h"

namespace {

[[noreturn]] void refuse(const char* file_name) {
    std::printf("gick ej \x94ppna %s\n", file_name);
    std::exit(-1);
}

} // namespace

Image load_pcx(const char* file_name) {
    std::printf("F\x94rs\x94ker \x94ppna: %s\n", file_name);
    const auto bytes = read_file_bytes(file_name);
    if (!bytes) refuse(file_name);
    PcxResult result = decode_pcx(bytes->data(), bytes->size());
    const PcxHeader& h = result.header;
    switch (result.error) {
    case PcxError::none:
        return result.image;
    case PcxError::too_short:
    case PcxError::bad_header:
    case PcxError::bad_palette:
        refuse(file_name);
    case PcxError::empty_window:
        std::printf("%s: the picture window %d..%d x %d..%d is empty\n", file_name, h.x_min,
                    h.x_max, h.y_min, h.y_max);
        break;
    case PcxError::too_large:
        std::printf("%s: the picture is %d x %d pixels, larger than %d x %d\n", file_name, h.width,
                    h.height, kPcxMaxSide, kPcxMaxSide);
        break;
    case PcxError::out_of_memory:
        std::printf("Out of memory fuckface!\n");
        break;
    }
    std::exit(-1);
}

Image load_picture(const char* file_name, int32_t width, int32_t min_height) {
    Image image = load_pcx(file_name);
    if (image.width != width || image.height < min_height) {
        std::printf("%s: the picture is %d x %d pixels; it must be %d pixels wide and at "
                    "least %d high\n",
                    file_name, image.width, image.height, width, min_height);
        std::free(image.pixels);
        std::exit(-1);
    }
    return image;
}
