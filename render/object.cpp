// transform_point and compute_normals: the per-frame preparation of an Object
// (view-space units, double precision).
#include <cstdint>
#include <vector>

#include "render/vector.h"

Vec3 transform_point(double x, double y, double z, const double m[3][3]) {
    return {x * m[0][0] + y * m[1][0] + z * m[2][0], x * m[0][1] + y * m[1][1] + z * m[2][1],
            x * m[0][2] + y * m[1][2] + z * m[2][2] + 256.0};
}

void compute_normals(Object& object) {
    // Kept between calls so that a frame does not allocate; grows to the
    // largest object seen.
    static thread_local std::vector<int32_t> counters;
    const int32_t vertex_count = object.vertex_count > 0 ? object.vertex_count : 0;
    counters.assign(static_cast<size_t>(vertex_count), 0);
    for (int32_t v = 0; v < vertex_count; ++v)
        object.vertex_normals[v] = {0.0, 0.0, 0.0};

    for (int32_t f = 0; f < object.face_count; ++f) {
        Face& face = object.faces[f];
        const Vec3 p0 = object.view_vertices[face.vertex_index[0]];
        const Vec3 p1 = object.view_vertices[face.vertex_index[1]];
        const Vec3 p2 = object.view_vertices[face.vertex_index[2]];
        const Vec3 e1 = vec_sub(p2, p1);
        const Vec3 e2 = vec_sub(p2, p0);
        face.face_normal = vec_normalise(vec_cross(e1, e2));
        for (int corner = 0; corner < 3; ++corner) {
            const int32_t v = face.vertex_index[corner];
            object.vertex_normals[v] = vec_add(object.vertex_normals[v], face.face_normal);
            ++counters[static_cast<size_t>(v)];
        }
    }

    for (int32_t v = 0; v < vertex_count; ++v) {
        const double count = static_cast<double>(counters[static_cast<size_t>(v)]);
        Vec3& n = object.vertex_normals[v];
        n = {n.x / count, n.y / count, n.z / count};
    }
}
