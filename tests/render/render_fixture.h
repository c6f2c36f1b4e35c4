// Shared helpers for the renderer tests: a frame and a depth buffer with guard
// bands on both sides (any write outside the 320 x 240 area shows up there),
// a texture whose texels name their own coordinates, and a one-triangle
// object.
#pragma once
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/image.h"
#include "core/mesh.h"
#include "core/screen.h"
#include "test_support.h"

// 256 x 256 texture whose texel (u, v) is 0x00vvuu plus `base`.
struct CoordTexture {
    std::vector<uint32_t> pixels;
    Image image;
    explicit CoordTexture(uint32_t base = 0x00010000u) : pixels(256 * 256) {
        for (int v = 0; v < 256; ++v)
            for (int u = 0; u < 256; ++u)
                pixels[v * 256 + u] = base + (v << 8) + u;
        image = {pixels.data(), 256, 256};
    }
    uint32_t texel(int u, int v) const { return pixels[(v & 255) * 256 + (u & 255)]; }
};

struct UniformTexture {
    std::vector<uint32_t> pixels;
    Image image;
    explicit UniformTexture(uint32_t colour) : pixels(256 * 256, colour) {
        image = {pixels.data(), 256, 256};
    }
};

// A mesh built in the test: vertices and faces given, all arrays owned here.
struct TestMesh {
    std::vector<Vec3> model, view, normals;
    std::vector<Face> faces;
    std::vector<ScreenFace> screen;
    Material material{FillKind::additive, 400};
    Object object;

    TestMesh(std::vector<Vec3> vertices, std::vector<Face> fs,
             FillKind fill_kind = FillKind::additive)
        : model(std::move(vertices)), faces(std::move(fs)) {
        material.fill_kind = fill_kind;
        view.resize(model.size());
        normals.resize(model.size());
        screen.resize(faces.size());
        for (Face& f : faces)
            f.material = &material;
        object.vertex_count = static_cast<int32_t>(model.size());
        object.face_count = static_cast<int32_t>(faces.size());
        object.model_vertices = model.data();
        object.view_vertices = view.data();
        object.vertex_normals = normals.data();
        object.faces = faces.data();
        object.screen_faces = screen.data();
        object.light_offset = -50;
    }
};

inline Face face_of(int a, int b, int c) {
    Face f{};
    f.vertex_index[0] = a;
    f.vertex_index[1] = b;
    f.vertex_index[2] = c;
    return f;
}
