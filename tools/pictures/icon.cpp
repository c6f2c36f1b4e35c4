// The program's icon: three glossy blobs melting into each other as in the
// show's blob scene, reflection-mapped with that scene's light map
// (envmap3: a normal facing the eye reads the middle texel), on a transparent
// background. Drawn at each size directly, 4 x 4 samples a pixel, into the
// hicolor icon theme's layout: <dir>/hicolor/NxN/apps/vorn.png.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "common/png_writer.h"
#include "generator.h"
#include "pictures/paint.h"

namespace {

struct Blob {
    float x, y, z, r;
};

// In the icon's square, x and y from -1 to 1 (y down), z toward the eye.
const Blob kBlobs[] = {
    {-0.30f, -0.28f, 0.f, 0.44f},
    {0.40f, 0.02f, 0.1f, 0.34f},
    {-0.04f, 0.46f, -0.1f, 0.31f},
};

// The blobs' field: 1 on the surface, more inside.
float field(float x, float y, float z) {
    float f = 0;
    for (const Blob& b : kBlobs) {
        const float dx = x - b.x, dy = y - b.y, dz = z - b.z;
        const float q = b.r * b.r / (dx * dx + dy * dy + dz * dz + 1e-6f);
        f += q * q;
    }
    return f;
}

Rgb sample(const Canvas& map, float u, float v) {
    u = std::clamp(u, 0.f, float(map.w - 1));
    v = std::clamp(v, 0.f, float(map.h - 1));
    const int x0 = std::min(int(u), map.w - 2), y0 = std::min(int(v), map.h - 2);
    const float fx = u - x0, fy = v - y0;
    return mix(mix(map.at(x0, y0), map.at(x0 + 1, y0), fx),
               mix(map.at(x0, y0 + 1), map.at(x0 + 1, y0 + 1), fx), fy);
}

// The colour where the ray through (x, y) toward -z meets the blobs, or
// false where it misses them.
bool shade(const Canvas& map, float x, float y, Rgb& out) {
    const float kFront = 1.2f, kStep = 0.02f;
    float z = kFront;
    if (field(x, y, z) >= 1) return false;
    while (z > -kFront && field(x, y, z - kStep) < 1)
        z -= kStep;
    if (z <= -kFront) return false;
    float outside = z, inside = z - kStep;
    for (int i = 0; i < 16; ++i) {
        const float mid = 0.5f * (outside + inside);
        (field(x, y, mid) < 1 ? outside : inside) = mid;
    }
    z = inside;
    const float e = 1e-3f;
    float nx = field(x - e, y, z) - field(x + e, y, z);
    float ny = field(x, y - e, z) - field(x, y + e, z);
    float nz = field(x, y, z - e) - field(x, y, z + e);
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (len <= 0) return false;
    nx /= len;
    ny /= len;
    const float half = 0.5f * float(map.w - 1);
    out = sample(map, half + nx * half, half + ny * half);
    return true;
}

uint8_t byte(float v) {
    return uint8_t(std::lround(std::clamp(v, 0.f, 1.f) * 255.f));
}

bool write_icon(const Canvas& map, const std::string& path, int size) {
    const int kSub = 4;
    std::vector<uint8_t> rgba(size_t(size) * size * 4, 0);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            Rgb sum;
            int hits = 0;
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx) {
                    const float x = ((px + (sx + 0.5f) / kSub) / size) * 2 - 1;
                    const float y = ((py + (sy + 0.5f) / kSub) / size) * 2 - 1;
                    Rgb c;
                    if (shade(map, x * 0.9f, y * 0.9f, c)) {
                        sum = sum + c;
                        ++hits;
                    }
                }
            if (!hits) continue;
            uint8_t* p = &rgba[(size_t(py) * size + px) * 4];
            p[0] = byte(sum.r / hits);
            p[1] = byte(sum.g / hits);
            p[2] = byte(sum.b / hits);
            p[3] = byte(float(hits) / (kSub * kSub));
        }
    return write_png_rgba(path, size, size, rgba);
}

} // namespace

bool write_icons(const std::string& dir) {
    const Canvas map = paint_envmap3();
    for (int size : {48, 128, 256}) {
        const std::string folder =
            dir + "/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            std::fprintf(stderr, "vorn-gen: cannot create %s: %s\n", folder.c_str(),
                         ec.message().c_str());
            return false;
        }
        if (!write_icon(map, folder + "/vorn.png", size)) return false;
    }
    return true;
}
