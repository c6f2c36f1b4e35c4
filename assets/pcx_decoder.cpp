// PCX decoding from memory: header checks, palette, run-length pixel data.
// Sizes in pixels; the run counter is 8 bits wide, so a run byte 0xC0 (length
// 0) stores 256 pixels.
#include "assets/pcx_decoder.h"

#include <cstdlib>

namespace {

int32_t read_s16(const uint8_t* data, size_t size, size_t offset) {
    if (offset + 2 > size) return 0;
    return static_cast<int16_t>(static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8)));
}

int32_t read_u16(const uint8_t* data, size_t size, size_t offset) {
    if (offset + 2 > size) return 0;
    return data[offset] | (data[offset + 1] << 8);
}

// Sequential reader of the pixel data; past the end it gives 0xFF, the low
// byte of the end-of-file value.
struct ByteSource {
    const uint8_t* data;
    size_t size;
    size_t position;
    bool past_end = false;
    uint8_t next() {
        if (position < size) return data[position++];
        past_end = true;
        return 0xFF;
    }
};

} // namespace

PcxHeader read_pcx_header(const uint8_t* data, size_t size) {
    PcxHeader h;
    h.version = size > 1 ? data[1] : 0;
    h.bits_per_pixel = size > 3 ? data[3] : 0;
    h.planes = size > 65 ? data[65] : 0;
    h.x_min = read_s16(data, size, 4);
    h.y_min = read_s16(data, size, 6);
    h.x_max = read_s16(data, size, 8);
    h.y_max = read_s16(data, size, 10);
    h.bytes_per_line = read_u16(data, size, 66);
    h.width = h.x_max - h.x_min + 1;
    h.height = h.y_max - h.y_min + 1;
    return h;
}

PcxResult decode_pcx(const uint8_t* data, size_t size) {
    PcxResult result;
    result.header = read_pcx_header(data, size);
    const PcxHeader& h = result.header;
    if (size < kPcxHeaderSize + kPcxPaletteSize) {
        result.error = PcxError::too_short;
        return result;
    }
    if (h.version != 5 || h.bits_per_pixel != 8 || h.planes > 1) {
        result.error = PcxError::bad_header;
        return result;
    }
    const uint8_t* palette_bytes = data + size - kPcxPaletteSize;
    if (palette_bytes[0] != 12) {
        result.error = PcxError::bad_palette;
        return result;
    }
    if (h.width < 1 || h.height < 1) {
        result.error = PcxError::empty_window;
        return result;
    }
    if (h.width > kPcxMaxSide || h.height > kPcxMaxSide) {
        result.error = PcxError::too_large;
        return result;
    }

    uint32_t palette[256];
    for (int i = 0; i < 256; ++i) {
        const uint8_t* entry = palette_bytes + 1 + 3 * i;
        palette[i] = (uint32_t{entry[0]} << 16) | (uint32_t{entry[1]} << 8) | entry[2];
    }

    const size_t width = static_cast<size_t>(h.width);
    const size_t height = static_cast<size_t>(h.height);
    auto* pixels = static_cast<uint32_t*>(std::malloc(width * height * sizeof(uint32_t)));
    if (pixels == nullptr) {
        result.error = PcxError::out_of_memory;
        return result;
    }

    // Columns decoded per row: the width, or the padded row length when the
    // file says its rows are longer.
    const size_t row_length = static_cast<size_t>(h.bytes_per_line) > width
                                  ? static_cast<size_t>(h.bytes_per_line)
                                  : width;
    ByteSource source{data, size, kPcxHeaderSize};
    size_t x = 0, y = 0;
    while (y < height) {
        const uint8_t c = source.next();
        uint8_t run = 1;
        uint8_t index = c;
        if ((c & 0xC0) == 0xC0) {
            run = c & 0x3F;
            index = source.next();
        }
        const uint32_t pixel = palette[index];
        do {
            if (x < width) pixels[y * width + x] = pixel;
            if (++x == row_length) {
                x = 0;
                ++y;
                if (y == height) break;
            }
            // A padded last row is complete once its visible pixels are.
            if (y == height - 1 && x == width && row_length > width) {
                y = height;
                break;
            }
            --run;
        } while (run != 0);
    }

    result.image = Image{pixels, h.width, h.height};
    result.pixel_data_cut_short = source.past_end || source.position > size - kPcxPaletteSize;
    return result;
}
