// LightWave object writer (the "LWOB" form): big-endian chunks PNTS (points
// as three 32-bit floats), SRFS (surface names), POLS (polygons: vertex
// count, indices, 1-based surface number) and SURF (one per surface, with
// its colour). Only triangles and point clouds are written; a point cloud
// gets one one-corner polygon per point, as LightWave itself stores points,
// so that importers see its points (the show reads point clouds without
// their polygons).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Vec3f {
    float x = 0, y = 0, z = 0;
};

struct Mesh {
    std::vector<Vec3f> points;
    std::vector<std::array<uint16_t, 3>> triangles;
    std::string surface = "Default";
    uint8_t colour[3] = {200, 200, 200};
};

// The whole file as bytes.
std::vector<uint8_t> encode_lwob(const Mesh& mesh);
