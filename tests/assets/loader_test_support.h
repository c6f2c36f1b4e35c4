// Helpers for the loader tests: byte builders for PCX and LightWave files,
// scratch folders, and running a loader in a child process to capture what
// it writes to standard output and its exit code.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A scratch folder that is removed with its contents when it goes away.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::string path;
    std::string file(const std::string& name) const { return path + "/" + name; }
    void write(const std::string& name, const Bytes& bytes) const;
};

struct Captured {
    int exit_code = -1000; // the child's exit status (255 for exit(-1)); -1000 if it crashed
    std::string out;       // everything it wrote to standard output
};

// Runs `body` in a forked child whose working folder is `dir` and whose
// standard output goes to a file; a body that returns ends the child with 0.
Captured run_captured(const std::string& dir, const std::function<void()>& body);

// Palette entry i of the test pictures: distinct colours whose bytes are all
// below 0xC0, so the palette reads as literal pixels if decoding runs into it.
uint32_t test_colour(int index);

struct PcxHeaderFields {
    int x_min = 0, y_min = 0, x_max = 0, y_max = 0;
    int version = 5;
    int bits_per_pixel = 8;
    int planes = 1;
    int bytes_per_line = 0;
    uint8_t palette_marker = 12;
};

// Header, `pixel_data`, marker and the test_colour palette.
Bytes make_pcx(const PcxHeaderFields& header, const Bytes& pixel_data);

// Big-endian pieces of LightWave files.
void put_u16(Bytes& out, uint32_t v);
void put_u32(Bytes& out, uint32_t v);
void put_f32(Bytes& out, float v);
void put_tag(Bytes& out, const char* tag);

struct Tri {
    uint16_t corners = 3;
    uint16_t a, b, c;
};

Bytes points_chunk(const std::vector<std::array<float, 3>>& points);
Bytes polygons_chunk(const std::vector<Tri>& polygons);
// "FORM", length, "LWOB" and the given chunks.
Bytes make_lwo(const std::vector<Bytes>& chunks);
// "FORM", length, "LWOB" and then `body` as it is.
Bytes lwob(const Bytes& body);
