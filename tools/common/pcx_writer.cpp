// PCX encoding (see pcx_writer.h). Header fields are little-endian.
#include "common/pcx_writer.h"

#include "common/file_write.h"

#include <cstdio>

static void put16(std::vector<uint8_t>& b, size_t at, int v) {
    b[at] = uint8_t(v & 255);
    b[at + 1] = uint8_t((v >> 8) & 255);
}

std::vector<uint8_t> encode_pcx(const Indexed& img) {
    // Rows are padded to an even byte count, as the format asks.
    int bpl = (img.w + 1) & ~1;
    std::vector<uint8_t> b(128, 0);
    b[0] = 10; // manufacturer
    b[1] = 5;  // version
    b[2] = 1;  // run-length encoding
    b[3] = 8;  // bits per pixel
    put16(b, 4, 0);
    put16(b, 6, 0);
    put16(b, 8, img.w - 1);
    put16(b, 10, img.h - 1);
    put16(b, 12, 72);
    put16(b, 14, 72);
    b[65] = 1; // planes
    put16(b, 66, bpl);
    put16(b, 68, 1); // colour palette
    put16(b, 70, img.w);
    put16(b, 72, img.h);
    std::vector<uint8_t> row(size_t(bpl), 0);
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x)
            row[size_t(x)] = img.index[size_t(y) * img.w + x];
        for (size_t x = 0; x < row.size();) {
            uint8_t v = row[x];
            size_t run = 1;
            while (x + run < row.size() && row[x + run] == v && run < 63)
                ++run;
            if (run > 1 || v >= 0xC0) b.push_back(uint8_t(0xC0 | run));
            b.push_back(v);
            x += run;
        }
    }
    b.push_back(0x0C);
    b.insert(b.end(), img.palette.begin(), img.palette.end());
    return b;
}

bool write_pcx(const std::string& path, const Indexed& img) {
    return write_file(path, encode_pcx(img));
}
