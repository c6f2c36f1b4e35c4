// Reads back the PCX pictures the generator wrote (8-bit, run-length, with a
// 256-colour palette at the end), for previews that show pictures and
// objects together. Pixels are 0x00RRGGBB, row after row.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)]; }
};

// Empty image (w == 0) when the file cannot be read or is not such a PCX.
RgbImage read_pcx(const std::string& path);
