// load_pcx and load_picture: the PCX decoder with its messages on standard
// output, an English explanation on standard error, and exit(-1) on every
// failure; load_picture_from: the same words returned instead. "\x94" is
// the letter o-umlaut in code page 437, the encoding of all the show's
// Swedish messages.
#include "assets/pcx.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "assets/file_bytes.h"
#include "assets/load_report.h"
#include "assets/pcx_decoder.h"

namespace {

std::string cannot_open(const char* file_name) {
    return format_message("gick ej \x94ppna %s\n", file_name);
}

// What kind of picture a refused header describes, e.g. "a 24-bit true-colour PCX".
std::string picture_kind(const PcxHeader& h) {
    const int planes = h.planes > 0 ? h.planes : 1;
    const int bits = h.bits_per_pixel * planes;
    const std::string layout =
        format_message("%d plane%s of %d bit%s", planes, planes == 1 ? "" : "s", h.bits_per_pixel,
                       h.bits_per_pixel == 1 ? "" : "s");
    if (planes >= 3 && h.bits_per_pixel == 8)
        return format_message("a %d-bit true-colour PCX (", bits) + layout + ")";
    if (bits >= 1 && bits < 8)
        return format_message("a %d-bit PCX with up to %d colours (", bits, 1 << bits) + layout +
               ")";
    if (h.bits_per_pixel != 8 || planes != 1)
        return format_message("a %d-bit PCX (", bits) + layout + ")";
    return format_message("a PCX of version %d", h.version);
}

// Why the decoder refused the header or the palette, in English.
std::string header_reason(const uint8_t* data, size_t size, const PcxResult& r) {
    const PcxHeader& h = r.header;
    if (size == 0) return std::string("the file is empty, not a PCX picture. ") + kPcxConvertHint;
    if (data[0] != 0x0A)
        return format_message(
                   "it is not a PCX picture (its first byte is 0x%02X; a PCX file starts "
                   "with 0x0A). ",
                   data[0]) +
               kPcxConvertHint;
    if (r.error == PcxError::bad_header || (size >= 66 && (h.bits_per_pixel != 8 || h.planes > 1)))
        return "it is " + picture_kind(h) + ", but the show reads version 5 with 8 bits per " +
               "pixel and a 256-colour palette. " + kPcxConvertHint;
    if (r.error == PcxError::too_short)
        return format_message(
                   "the file is cut short: %zu bytes cannot hold a 128-byte header and a "
                   "769-byte palette. ",
                   size) +
               kPcxConvertHint;
    const uint8_t marker = data[size - kPcxPaletteSize];
    return format_message(
               "the 256-colour palette marker is missing (the byte 769 bytes before the end "
               "is 0x%02X, not 0x0C): the file has no palette or is cut short. ",
               marker) +
           kPcxConvertHint;
}

} // namespace

namespace {

// The size load_picture asks for: `width` wide, at least `min_height` high.
struct WantedSize {
    int32_t width, min_height;
};

LoadFailure wrong_size(const char* file_name, int32_t width, int32_t height, const WantedSize& w) {
    return {format_message("%s: the picture is %d x %d pixels; it must be %d pixels wide and at "
                           "least %d high\n",
                           file_name, width, height, w.width, w.min_height),
            format_message("the picture is %d x %d pixels, but the show needs this one %d "
                           "pixels wide and at least %d high. Resize it, e.g. with ImageMagick: "
                           "convert in.png -resize %dx%d! -alpha off -colors 256 -type Palette "
                           "out.pcx",
                           width, height, w.width, w.min_height, w.width, w.min_height)};
}

PictureLoad failed(LoadFailure failure) {
    return {Image{}, std::move(failure)};
}

// Decodes the picture read into `file`, or says why it cannot. With `wanted`,
// a well-formed header of another size is refused before any pixel is
// decoded (a damaged header may claim 16384 x 16384).
PictureLoad decode_picture(const char* file_name, const FileRead& file,
                           const WantedSize* wanted = nullptr) {
    if (file.too_large)
        return failed({cannot_open(file_name),
                       too_large_reason(file.size, kMaxPictureFileBytes, "picture the show uses") +
                           ": it is not a picture of the show's size, or it is damaged. " +
                           kPcxConvertHint});
    if (!file.read()) return failed({cannot_open(file_name), read_failure_reason(file)});
    const std::vector<uint8_t>& bytes = file.bytes;
    if (wanted && bytes.size() >= kPcxHeaderSize + kPcxPaletteSize) {
        const PcxHeader h = read_pcx_header(bytes.data(), bytes.size());
        const bool well_formed =
            h.version == 5 && h.bits_per_pixel == 8 && h.planes <= 1 && h.width > 0 && h.height > 0;
        if (well_formed && (h.width != wanted->width || h.height < wanted->min_height))
            return failed(wrong_size(file_name, h.width, h.height, *wanted));
    }
    PcxResult result = decode_pcx(bytes.data(), bytes.size());
    const PcxHeader& h = result.header;
    switch (result.error) {
    case PcxError::none:
        if (result.pixel_data_cut_short) {
            std::free(result.image.pixels);
            return failed(
                {cannot_open(file_name),
                 format_message("the pixel data is cut short: the %d x %d picture needs more "
                                "run-length data than the file holds before its palette (the "
                                "file is damaged or truncated). ",
                                h.width, h.height) +
                     kPcxConvertHint});
        }
        if (wanted &&
            (result.image.width != wanted->width || result.image.height < wanted->min_height)) {
            std::free(result.image.pixels);
            return failed(wrong_size(file_name, result.image.width, result.image.height, *wanted));
        }
        return {result.image, std::nullopt};
    case PcxError::too_short:
    case PcxError::bad_header:
    case PcxError::bad_palette:
        return failed({cannot_open(file_name), header_reason(bytes.data(), bytes.size(), result)});
    case PcxError::empty_window: {
        // The header's four extents as the 16-bit numbers they are; the show
        // reads them signed, so 32768 and up count as negative.
        const auto u16 = [](int32_t v) { return static_cast<unsigned>(v) & 0xFFFFu; };
        return failed(
            {format_message("%s: the picture window %u..%u x %u..%u is empty\n", file_name,
                            u16(h.x_min), u16(h.x_max), u16(h.y_min), u16(h.y_max)),
             format_message("the picture window %u..%u x %u..%u in its header holds no "
                            "pixels (the show reads these numbers as signed, so 32768 "
                            "and up count as negative). ",
                            u16(h.x_min), u16(h.x_max), u16(h.y_min), u16(h.y_max)) +
                 kPcxConvertHint});
    }
    case PcxError::too_large:
        return failed(
            {format_message("%s: the picture is %d x %d pixels, larger than %d x %d\n", file_name,
                            h.width, h.height, kPcxMaxSide, kPcxMaxSide),
             format_message("the picture is %d x %d pixels, larger than the %d x %d a picture "
                            "may have; its header is damaged",
                            h.width, h.height, kPcxMaxSide, kPcxMaxSide)});
    case PcxError::out_of_memory:
        return failed({"Out of memory fuckface!\n",
                       format_message("out of memory for a %d x %d picture", h.width, h.height)});
    }
    std::abort();
}

// Reads the file from the working folder and decodes it; a failure ends the
// process through `report`.
Image read_picture(const char* file_name, const WantedSize* wanted) {
    LoadReport report(file_name);
    report.out = format_message("F\x94rs\x94ker \x94ppna: %s\n", file_name);
    PictureLoad load =
        decode_picture(file_name, read_file_bytes(file_name, kMaxPictureFileBytes), wanted);
    if (load.failure) report.fail(load.failure->message, load.failure->reason);
    report.done();
    return load.image;
}

} // namespace

Image load_pcx(const char* file_name) {
    return read_picture(file_name, nullptr);
}

Image load_picture(const char* file_name, int32_t width, int32_t min_height) {
    const WantedSize wanted{width, min_height};
    return read_picture(file_name, &wanted);
}

PictureLoad load_picture_from(const char* file_name, const FileRead& file, int32_t width,
                              int32_t min_height) {
    const WantedSize wanted{width, min_height};
    return decode_picture(file_name, file, &wanted);
}
