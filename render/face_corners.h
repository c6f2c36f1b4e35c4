// Gathers a face's three corners for the triangle walker: screen position and
// depth from its screen face, texture coordinates in whole texels.
//
// With the object's mapping_mode 0 the texture coordinates come from the
// view-space vertex normals (environment mapping): u = trunc((n.x + 1) * 127.5),
// v = trunc((n.y + 1) * 127.5), which maps -1..1 to 0..255; so a normal facing
// the eye reads texel (127, 127). Any other mapping_mode uses the coordinates
// stored in the face.
#pragma once
#include "render/object.h"
#include "render/triangle_walk.h"
#include "render/truncate.h"

struct FaceCorners {
    Corner c[3];
};

inline FaceCorners face_corners(const ScreenFace& sf, const Face& face, const Object& object) {
    FaceCorners out;
    const int32_t xs[3] = {sf.x0, sf.x1, sf.x2};
    const int32_t ys[3] = {sf.y0, sf.y1, sf.y2};
    const int32_t ds[3] = {sf.depth0, sf.depth1, sf.depth2};
    for (int k = 0; k < 3; ++k) {
        Corner& c = out.c[k];
        c.x = xs[k];
        c.y = ys[k];
        c.depth = ds[k];
        if (object.mapping_mode == 0) {
            const Vec3& n = object.vertex_normals[face.vertex_index[k]];
            c.u = trunc_to_int32((n.x + 1.0) * 127.5);
            c.v = trunc_to_int32((n.y + 1.0) * 127.5);
        } else {
            c.u = face.texture_u[k];
            c.v = face.texture_v[k];
        }
    }
    return out;
}
