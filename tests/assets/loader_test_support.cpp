// Support code for the loader tests (see loader_test_support.h).
#include "loader_test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

ScratchDir::ScratchDir() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/vorn-loaders-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void ScratchDir::write(const std::string& name, const Bytes& bytes) const {
    std::ofstream out(file(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Captured run_captured(const std::string& dir, const std::function<void()>& body) {
    const std::string out_path = dir + "/.stdout";
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || dup2(fd, 1) < 0 || chdir(dir.c_str()) != 0) _exit(200);
        body();
        std::fflush(stdout);
        _exit(0);
    }
    Captured result;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return result;
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    std::ifstream in(out_path, std::ios::binary);
    result.out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return result;
}

uint32_t test_colour(int i) {
    const uint32_t r = static_cast<uint32_t>(i % 0xC0);
    const uint32_t g = static_cast<uint32_t>((i * 7 + 3) % 0xC0);
    const uint32_t b = static_cast<uint32_t>((i * 13 + 5) % 0xC0);
    return (r << 16) | (g << 8) | b;
}

Bytes make_pcx(const PcxHeaderFields& s, const Bytes& pixel_data) {
    // Sized once and filled in place (g++ 12 warns falsely about growing it).
    Bytes out(128 + pixel_data.size() + 769, 0);
    auto put16 = [&](size_t at, int v) {
        out[at] = static_cast<uint8_t>(v & 0xFF);
        out[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    };
    out[0] = 10;
    out[1] = static_cast<uint8_t>(s.version);
    out[2] = 1;
    out[3] = static_cast<uint8_t>(s.bits_per_pixel);
    put16(4, s.x_min);
    put16(6, s.y_min);
    put16(8, s.x_max);
    put16(10, s.y_max);
    out[65] = static_cast<uint8_t>(s.planes);
    put16(66, s.bytes_per_line);
    size_t at = 128;
    for (uint8_t b : pixel_data)
        out[at++] = b;
    out[at++] = s.palette_marker;
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = test_colour(i);
        out[at++] = static_cast<uint8_t>(c >> 16);
        out[at++] = static_cast<uint8_t>(c >> 8);
        out[at++] = static_cast<uint8_t>(c);
    }
    return out;
}

void put_u16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void put_u32(Bytes& out, uint32_t v) {
    put_u16(out, v >> 16);
    put_u16(out, v & 0xFFFF);
}

void put_f32(Bytes& out, float v) {
    put_u32(out, std::bit_cast<uint32_t>(v));
}

void put_tag(Bytes& out, const char* tag) {
    for (int i = 0; i < 4; ++i) // byte by byte: g++ 12 warns falsely about a range insert here
        out.push_back(static_cast<uint8_t>(tag[i]));
}

Bytes points_chunk(const std::vector<std::array<float, 3>>& points) {
    Bytes out;
    put_tag(out, "PNTS");
    put_u32(out, static_cast<uint32_t>(points.size() * 12));
    for (const auto& p : points)
        for (float v : p)
            put_f32(out, v);
    return out;
}

Bytes polygons_chunk(const std::vector<Tri>& polygons) {
    Bytes out;
    put_tag(out, "POLS");
    put_u32(out, static_cast<uint32_t>(polygons.size() * 10));
    for (const Tri& t : polygons) {
        put_u16(out, t.corners);
        put_u16(out, t.a);
        put_u16(out, t.b);
        put_u16(out, t.c);
        put_u16(out, 1); // surface number
    }
    return out;
}

Bytes make_lwo(const std::vector<Bytes>& chunks) {
    Bytes body;
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    return lwob(body);
}

Bytes lwob(const Bytes& chunks) {
    Bytes body;
    put_tag(body, "LWOB");
    body.insert(body.end(), chunks.begin(), chunks.end());
    Bytes out;
    put_tag(out, "FORM");
    put_u32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}
