// Speed of the three triangle fillers and of the additive sprite, in pixels
// per second, on a fixed screen-filling mix of shapes (see main.cpp for the
// ratio to memset).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/image.h"
#include "core/screen.h"
#include "render/depth.h"
#include "render/draw.h"
#include "render/fill.h"
#include "render/triangle_walk.h"

namespace {

struct BenchRandom {
    uint64_t state = 12345;
    int32_t between(int32_t lo, int32_t hi) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return lo + static_cast<int32_t>((state >> 33) % uint64_t(hi - lo + 1));
    }
};

struct Scene {
    std::vector<uint32_t> frame = std::vector<uint32_t>(kFramePixels, 0x00101010u);
    std::vector<uint32_t> depth = std::vector<uint32_t>(kFramePixels, 0);
    std::vector<uint32_t> texels = std::vector<uint32_t>(256 * 256);
    Image texture;
    std::vector<ScreenFace> triangles;
    std::vector<Face> faces;
    Object object;
    double pixels = 0; // pixels visited per pass over all triangles

    Scene() {
        for (int i = 0; i < 256 * 256; ++i)
            texels[i] = (i * 2654435761u) & 0x003F3F3Fu;
        texture = {texels.data(), 256, 256};
        object.mapping_mode = MappingMode::stored;
        BenchRandom rng;
        // Triangles from a few pixels to a third of the screen across, a few
        // reaching past the borders, until their area is about four frames.
        while (pixels < 4.0 * kFramePixels) {
            const int32_t size = rng.between(4, 110);
            const int32_t cx = rng.between(-20, 340), cy = rng.between(-20, 260);
            ScreenFace s;
            s.x0 = cx + rng.between(-size, size), s.y0 = cy + rng.between(-size, size);
            s.x1 = cx + rng.between(-size, size), s.y1 = cy + rng.between(-size, size);
            s.x2 = cx + rng.between(-size, size), s.y2 = cy + rng.between(-size, size);
            s.depth0 = rng.between(1, 65535), s.depth1 = rng.between(1, 65535);
            s.depth2 = rng.between(1, 65535);
            Face f{};
            for (int k = 0; k < 3; ++k) {
                f.texture_u[k] = rng.between(-300, 600);
                f.texture_v[k] = rng.between(-300, 600);
            }
            triangles.push_back(s);
            faces.push_back(f);
            pixels += covered(s);
        }
    }

    static double covered(const ScreenFace& s) {
        double n = 0;
        walk_triangle(Corner{s.x0, s.y0, 0, 0, 0}, Corner{s.x1, s.y1, 0, 0, 0},
                      Corner{s.x2, s.y2, 0, 0, 0}, [&n](const DrawnRun& run, int64_t) {
                          n += static_cast<double>(run.x_end - run.x_start);
                      });
        return n;
    }
};

using Filler = void (*)(uint32_t*, ScreenFace, const Face&, const Image&, const Object&);

void run_filler(benchmark::State& state, Filler fill) {
    Scene scene;
    for (auto _ : state) {
        for (size_t i = 0; i < scene.triangles.size(); ++i)
            fill(scene.frame.data(), scene.triangles[i], scene.faces[i], scene.texture,
                 scene.object);
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = scene.pixels;
}

void FillAdditive(benchmark::State& state) {
    run_filler(state, &fill_additive_triangle);
}
void FillTextured(benchmark::State& state) {
    run_filler(state, &fill_textured_triangle);
}

// Each pass is one frame of a depth-tested scene: its depths lie above the
// previous pass's, as the depth bias makes them.
void FillDepthTested(benchmark::State& state) {
    Scene scene;
    depth_buffer = scene.depth.data();
    depth_bias = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < scene.triangles.size(); ++i) {
            ScreenFace s = scene.triangles[i];
            s.depth0 += depth_bias, s.depth1 += depth_bias, s.depth2 += depth_bias;
            fill_depth_tested_triangle(scene.frame.data(), s, scene.faces[i], scene.texture,
                                       scene.object);
        }
        benchmark::ClobberMemory();
        advance_depth_bias();
    }
    depth_buffer = nullptr;
    depth_bias = 0;
    state.counters["pixels"] = scene.pixels;
}

// Sprites 8 to 64 pixels across at random places, some over the borders,
// about four frames of area.
void AdditiveSprite(benchmark::State& state) {
    Scene scene;
    struct Sprite {
        int32_t size, x, y;
    };
    std::vector<Sprite> sprites;
    BenchRandom rng;
    double pixels = 0;
    while (pixels < 4.0 * kFramePixels) {
        Sprite s{rng.between(8, 64), rng.between(-20, 340), rng.between(-20, 260)};
        const int64_t half = s.size >> 1;
        const int64_t w =
            std::min<int64_t>(s.x + half, kFrameWidth) - std::max<int64_t>(s.x - half, 0);
        const int64_t h =
            std::min<int64_t>(s.y + half, kFrameHeight) - std::max<int64_t>(s.y - half, 0);
        if (w > 0 && h > 0) pixels += static_cast<double>(w * h);
        sprites.push_back(s);
    }
    for (auto _ : state) {
        for (const Sprite& s : sprites)
            draw_additive_sprite(scene.frame.data(), scene.texture, s.size, s.size, s.x, s.y);
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = pixels;
}

} // namespace

BENCHMARK(FillAdditive);
BENCHMARK(FillTextured);
BENCHMARK(FillDepthTested);
BENCHMARK(AdditiveSprite);
