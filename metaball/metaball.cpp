// Set-up and release of the metaball renderer (see metaball.h).
#include "metaball/metaball.h"

#include <cstdio>
#include <cstdlib>

#include "assets/pcx.h"

Metaballs metaballs;

namespace {

template <typename T> T* allocate(int32_t count) {
    T* items = static_cast<T*>(std::calloc(static_cast<size_t>(count), sizeof(T)));
    if (!items) {
        std::puts("Out of memory for the metaballs");
        std::exit(-1);
    }
    return items;
}

} // namespace

void metaball_setup() {
    Surface& surface = metaballs.surface;
    surface.vertices = allocate<MetaballVertex>(kVertexCapacity);
    surface.triangles = allocate<MetaballTriangle>(kTriangleCapacity);
    surface.vertex_capacity = kVertexCapacity;
    surface.triangle_capacity = kTriangleCapacity;
    surface.vertex_total = 0;
    surface.triangle_total = 0;
    metaballs.environment_map = load_picture("envmap3.pcx", 256, 256);
    draw_blob_parameters(metaballs.field);
}

void metaball_release() {
    Surface& surface = metaballs.surface;
    std::free(surface.vertices);
    std::free(surface.triangles);
    surface.vertices = nullptr;
    surface.triangles = nullptr;
    surface.vertex_capacity = 0;
    surface.triangle_capacity = 0;
    surface.vertex_total = 0;
    surface.triangle_total = 0;
    std::free(metaballs.environment_map.pixels);
    metaballs.environment_map = Image{};
    metaballs.seen_vertices = {};
}
