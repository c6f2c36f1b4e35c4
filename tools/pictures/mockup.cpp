// A mock-up of the metaball scene for the previews folder: the background
// with a few glossy blobs added over it, reflection-mapped with the
// metaballs' map the way the show maps them (a normal facing the eye reads
// the middle texel), and the same frame with the flash picture added.
// Blobs are plain spheres here: enough to judge colours and contrast.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/pcx_reader.h"
#include "common/png_writer.h"
#include "pictures/paint.h"

namespace {

uint32_t add_rgb(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int s = 0; s <= 16; s += 8)
        out |= std::min(255u, ((a >> s) & 255) + ((b >> s) & 255)) << s;
    return out;
}

struct Ball {
    double x, y, z, r;
};

} // namespace

bool write_metaball_mockup(const std::string& data, const std::string& path) {
    const RgbImage bg = read_pcx(data + "/backgr4.pcx"), env = read_pcx(data + "/envmap3.pcx"),
                   flash = read_pcx(data + "/omla.pcx");
    if (bg.w != 320 || env.w != 256 || flash.w != 320) return false;
    const Ball balls[] = {{-40, -10, 420, 70}, {70, 30, 470, 55}, {-10, 70, 380, 40}};
    std::vector<uint32_t> frame(bg.px.begin(), bg.px.begin() + 76800);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            double dx = (x - 160) / 256.0, dy = (y - 120) / 256.0, dz = 1.0;
            double len = std::sqrt(dx * dx + dy * dy + dz * dz);
            dx /= len;
            dy /= len;
            dz /= len;
            double best = 1e30;
            const Ball* hit = nullptr;
            for (const Ball& b : balls) {
                double bdot = dx * b.x + dy * b.y + dz * b.z;
                double c = b.x * b.x + b.y * b.y + b.z * b.z - b.r * b.r;
                double disc = bdot * bdot - c;
                if (disc < 0) continue;
                double t = bdot - std::sqrt(disc);
                if (t > 0 && t < best) {
                    best = t;
                    hit = &b;
                }
            }
            if (!hit) continue;
            double px = dx * best, py = dy * best, pz = dz * best;
            double nx = (px - hit->x) / hit->r, ny = (py - hit->y) / hit->r,
                   nz = (pz - hit->z) / hit->r;
            double rx = nx - 2 * dx, ry = ny - 2 * dy, rz = nz;
            double rl = std::sqrt(rx * rx + ry * ry + rz * rz);
            int u = std::clamp(int((rx / rl + 1) * 127.5), 0, 255);
            int v = std::clamp(int((ry / rl + 1) * 127.5), 0, 255);
            size_t i = size_t(y) * 320 + size_t(x);
            frame[i] = add_rgb(frame[i], env.at(u, v));
        }
    const int W = 644;
    std::vector<uint8_t> rgb(size_t(W) * 240 * 3, 60);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            size_t i = size_t(y) * 320 + size_t(x);
            uint32_t plain = frame[i], flashed = add_rgb(frame[i], flash.px[i]);
            for (int k = 0; k < 2; ++k) {
                uint32_t p = k ? flashed : plain;
                size_t o = (size_t(y) * W + size_t(k * 324 + x)) * 3;
                rgb[o] = uint8_t(p >> 16);
                rgb[o + 1] = uint8_t(p >> 8);
                rgb[o + 2] = uint8_t(p);
            }
        }
    return write_png(path, W, 240, rgb);
}
