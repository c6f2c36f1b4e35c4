// draw_object and draw_object_distorted: transform, project, recompute the
// normals and fill every face of a mesh.
//
// Projection uses focal length 256 (view units to pixels at z = 256); screen
// positions are whole pixels, depth values 65536 / z + depth_bias. A face
// with a corner at z <= 0 (or NaN) would divide by zero or mirror through the
// eye, so it is skipped: its screen face becomes all zeros, a triangle with
// three corners on one row, which the fillers draw as nothing.
#include "core/rand.h"
#include "render/depth.h"
#include "render/draw.h"
#include "render/truncate.h"
#include "render/vector.h"

namespace {

// Projects one view-space point into corner j of a screen face. Returns false
// (and writes nothing) when the point is not in front of the eye.
bool project_corner(const Vec3& p, int32_t centre_x, int32_t centre_y, ScreenFace& sf, int j) {
    if (!(p.z > 0.0)) return false;
    const double k = 256.0 / p.z;
    const int32_t x = trunc_to_int32(p.x * k + centre_x);
    const int32_t y = trunc_to_int32(p.y * k + centre_y);
    const int32_t depth = trunc_to_int32(65536.0 / p.z + depth_bias);
    int32_t* xs[3] = {&sf.x0, &sf.x1, &sf.x2};
    int32_t* ys[3] = {&sf.y0, &sf.y1, &sf.y2};
    int32_t* ds[3] = {&sf.depth0, &sf.depth1, &sf.depth2};
    *xs[j] = x;
    *ys[j] = y;
    *ds[j] = depth;
    return true;
}

Vec3 transformed(const Object& object, int32_t vertex) {
    const Vec3& m = object.model_vertices[vertex];
    return transform_point(m.x, m.y, m.z, object.orientation);
}

void distort(Vec3& p, double amount_x, double amount_y, double amount_z, int32_t mode) {
    if (mode == 0) {
        const int r1 = vorn::rand();
        const int r2 = vorn::rand();
        const int r3 = vorn::rand();
        p.x = p.x + (32768 - r1) * p.x * amount_x / 32768;
        p.y = p.y + (32768 - r2) * amount_y * p.y / 32768;
        p.z = p.z + (32768 - r3) * p.z * amount_z / 32768;
    } else if (mode == 1) {
        p.x = (1 + amount_x) * p.x;
        p.y = (1 + amount_y) * p.y;
        p.z = (1 - amount_z) * p.z;
    }
}

void fill_faces(uint32_t* frame, Object& object, const Image& texture) {
    for (int32_t f = 0; f < object.face_count; ++f) {
        const Face& face = object.faces[f];
        if (face.material && face.material->fill_kind == 2)
            fill_depth_tested_triangle(frame, object.screen_faces[f], face, texture, object);
        else
            fill_additive_triangle(frame, object.screen_faces[f], face, texture, object);
    }
}

} // namespace

void draw_object(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                 int32_t centre_y) {
    for (int32_t i = 0; i < object.vertex_count; ++i)
        object.view_vertices[i] = transformed(object, i);

    for (int32_t f = 0; f < object.face_count; ++f) {
        const Face& face = object.faces[f];
        ScreenFace& sf = object.screen_faces[f];
        // Every corner is projected, whatever the others gave.
        bool visible = true;
        for (int j = 0; j < 3; ++j) {
            const bool in_front = project_corner(object.view_vertices[face.vertex_index[j]],
                                                 centre_x, centre_y, sf, j);
            visible = visible && in_front;
        }
        if (!visible) sf = ScreenFace{};
    }

    compute_normals(object);
    fill_faces(frame, object, texture);
}

void draw_object_distorted(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                           int32_t centre_y, double amount_x, double amount_y, double amount_z,
                           int32_t mode) {
    for (int32_t f = 0; f < object.face_count; ++f) {
        const Face& face = object.faces[f];
        ScreenFace& sf = object.screen_faces[f];
        bool visible = true;
        // Every corner is transformed and distorted even after one has failed,
        // so that the random sequence always advances three times per corner.
        for (int j = 0; j < 3; ++j) {
            const int32_t i = face.vertex_index[j];
            Vec3& p = object.view_vertices[i];
            p = transformed(object, i);
            distort(p, amount_x, amount_y, amount_z, mode);
            const bool in_front = project_corner(p, centre_x, centre_y, sf, j);
            visible = visible && in_front;
        }
        if (!visible) sf = ScreenFace{};
    }

    compute_normals(object);
    fill_faces(frame, object, texture);
}
