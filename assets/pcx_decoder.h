// Decoding of 8-bit run-length PCX pictures from bytes in memory, without
// printing or ending the process: load_pcx (pcx.h) wraps it with the messages.
//
// Layout read: a 128-byte header (version 5, 8 bits per pixel and at most one
// colour plane required: several planes make a true-colour or EGA picture;
// the window Xmin, Ymin, Xmax, Ymax, inclusive, signed 16-bit little-endian;
// bytes per line at offset 66), run-length pixel data from offset 128, and a
// 0x0C marker 769 bytes before the end followed by 256 RGB palette entries.
// Pixels come out as 0x00RRGGBB.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/image.h"

enum class PcxError {
    none,
    too_short,     // fewer than 128 header bytes + 769 palette bytes
    bad_header,    // version not 5, bits per pixel not 8, or more than one plane
    bad_palette,   // no 0x0C marker 769 bytes before the end
    empty_window,  // Xmax < Xmin or Ymax < Ymin
    too_large,     // wider or higher than kPcxMaxSide
    out_of_memory, // the pixel block could not be allocated
};

constexpr int32_t kPcxMaxSide = 16384;
constexpr size_t kPcxHeaderSize = 128;
constexpr size_t kPcxPaletteSize = 769; // marker byte + 256 * 3

struct PcxHeader {
    int32_t version = 0;
    int32_t bits_per_pixel = 0;
    int32_t planes = 0; // colour planes (offset 65): 1 for a palette picture, 3 for 24-bit
    int32_t x_min = 0, y_min = 0, x_max = 0, y_max = 0;
    int32_t bytes_per_line = 0;
    int32_t width = 0;  // x_max - x_min + 1
    int32_t height = 0; // y_max - y_min + 1
};

struct PcxResult {
    PcxError error = PcxError::none;
    PcxHeader header;
    Image image; // pixels from malloc, owned by the caller; null unless error == none
    // The run-length data reached into the palette or past the end of the
    // file before the picture was full: the file is damaged or cut short.
    bool pixel_data_cut_short = false;
};

// Reads the header fields (zeros past the end of a short buffer).
PcxHeader read_pcx_header(const uint8_t* data, size_t size);

// Decodes a whole file. Rows are decoded as `width` pixels each, or as
// bytes-per-line pixels with the extra columns dropped when that field is
// larger than the width (writers that pad odd rows to an even length).
// A run may continue from one row into the next; decoding stops as soon as
// the last pixel is stored. Pixel data is read up to the end of the buffer
// (the palette included); past it every read gives 0xFF, which decodes as
// runs of 63 pixels of colour 255 until the picture is full.
PcxResult decode_pcx(const uint8_t* data, size_t size);
