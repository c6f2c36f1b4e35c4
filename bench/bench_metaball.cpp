// Speed of whole metaball frames (field, marching cubes, shading, projection
// and the additive fill) and of the surface extraction alone, over a fixed
// set of ticks. Each case counts a frame's 76800 pixels per frame, so the
// ratio in main.cpp's table reads as "one metaball frame costs this many
// memsets of a frame".
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/screen.h"
#include "metaball/frame.h"
#include "metaball/metaball.h"

namespace {

constexpr int32_t kTicks[] = {0,    350,  700,   1400,  2100,  2800,  4200,  6000,
                              7500, 9000, 10500, 12000, 15000, 18000, 21000, 25000};
constexpr int kFrames = sizeof(kTicks) / sizeof(kTicks[0]);

// The renderer's arrays and a made-up environment map, without data files.
struct Renderer {
    std::vector<MetaballVertex> vertices = std::vector<MetaballVertex>(kVertexCapacity);
    std::vector<MetaballTriangle> triangles = std::vector<MetaballTriangle>(kTriangleCapacity);
    std::vector<uint32_t> texels = std::vector<uint32_t>(256 * 256);
    std::vector<uint32_t> frame = std::vector<uint32_t>(kFramePixels, 0x00101820u);

    Renderer() {
        for (uint32_t v = 0; v < 256; ++v)
            for (uint32_t u = 0; u < 256; ++u)
                texels[v * 256 + u] = ((u ^ v) & 0x7F) * 0x00010101u;
        Surface& s = metaballs.surface;
        s.vertices = vertices.data();
        s.triangles = triangles.data();
        s.vertex_capacity = kVertexCapacity;
        s.triangle_capacity = kTriangleCapacity;
        metaballs.environment_map = {texels.data(), 256, 256};
        draw_blob_parameters(metaballs.field);
    }
    ~Renderer() { metaballs = Metaballs{}; }
};

void MetaballFrame(benchmark::State& state) {
    Renderer r;
    for (auto _ : state) {
        for (int32_t tick : kTicks) {
            tick_counter = tick;
            metaball_frame(r.frame.data());
        }
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = double(kFrames) * kFramePixels;
}

void MetaballSurfaceOnly(benchmark::State& state) {
    Renderer r;
    Metaballs& m = metaballs;
    for (auto _ : state) {
        for (int32_t tick : kTicks) {
            clear_edge_cache(m.surface);
            move_blobs(m.field, tick);
            sample_field(m.field);
            extract_surface(m.field, m.surface);
        }
        benchmark::DoNotOptimize(m.surface.triangle_total);
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = double(kFrames) * kFramePixels;
}

} // namespace

BENCHMARK(MetaballFrame);
BENCHMARK(MetaballSurfaceOnly);
