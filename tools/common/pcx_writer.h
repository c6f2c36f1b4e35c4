// PCX writer: version 5, 8 bits per pixel, one plane, run-length encoded
// rows (runs never cross a row), then the 0x0C marker and a 256-colour
// palette. Readable by common image tools and by the show's loader.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/quantize.h"

// The whole file as bytes.
std::vector<uint8_t> encode_pcx(const Indexed& img);
// Writes the file; prints a message and returns false on failure.
bool write_pcx(const std::string& path, const Indexed& img);
