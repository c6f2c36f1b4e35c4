// Gathers a face's three corners for the triangle walker: screen position and
// depth from its screen face, texture coordinates in whole texels; and the
// fillers' entry points for corners gathered this way.
//
// With the object's mapping mode from_normals the texture coordinates come from the
// view-space vertex normals (environment mapping): u = trunc((n.x + 1) * 127.5),
// v = trunc((n.y + 1) * 127.5), which maps -1..1 to 0..255; so a normal facing
// the eye reads texel (127, 127). MappingMode::stored uses the coordinates
// stored in the face.
#pragma once
#include <cstdint>

#include "core/bands.h"
#include "core/mesh.h"
#include "render/triangle_walk.h"
#include "render/truncate.h"

class DepthSeam;

struct FaceCorners {
    Corner c[3];
};

// The environment-mapped texture coordinates of a vertex with normal n.
struct TexturePoint {
    int32_t u, v;
};
inline TexturePoint environment_point(const Vec3& n) {
    return {trunc_to_int32((n.x + 1.0) * 127.5), trunc_to_int32((n.y + 1.0) * 127.5)};
}

// The corners of a face; point_of(vertex index) gives a vertex's texture
// point with MappingMode::from_normals.
template <class PointOf>
inline FaceCorners gather_corners(const ScreenFace& sf, const Face& face, const Object& object,
                                  PointOf point_of) {
    FaceCorners out;
    const int32_t xs[3] = {sf.x0, sf.x1, sf.x2};
    const int32_t ys[3] = {sf.y0, sf.y1, sf.y2};
    const int32_t ds[3] = {sf.depth0, sf.depth1, sf.depth2};
    for (int k = 0; k < 3; ++k) {
        const TexturePoint t = object.mapping_mode == MappingMode::from_normals
                                   ? point_of(face.vertex_index[k])
                                   : TexturePoint{face.texture_u[k], face.texture_v[k]};
        out.c[k] = {xs[k], ys[k], t.u, t.v, ds[k]};
    }
    return out;
}

inline FaceCorners face_corners(const ScreenFace& sf, const Face& face, const Object& object) {
    return gather_corners(sf, face, object, [&object](int32_t vertex) {
        return environment_point(object.vertex_normals[vertex]);
    });
}

// The three fillers of fill.h for gathered corners, drawing only the rows of
// `band` (core/bands.h); texture: 256 x 256. When two bands draw one list of
// depth-tested faces at once, each passes the list's shared `seam` and the
// face's place in the list (render/depth_seam.h).
void fill_additive_corners(uint32_t* frame, const FaceCorners& corners, const uint32_t* texture,
                           const Band& band = kWholeFrame);
void fill_textured_corners(uint32_t* frame, const FaceCorners& corners, const uint32_t* texture,
                           const Band& band = kWholeFrame);
void fill_depth_tested_corners(uint32_t* frame, const FaceCorners& corners, const uint32_t* texture,
                               const Band& band = kWholeFrame, DepthSeam* seam = nullptr,
                               int32_t face = 0);
