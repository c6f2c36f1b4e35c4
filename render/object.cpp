// transform_point and compute_normals: the per-frame preparation of an Object
// (view-space units, double precision).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/bands.h"
#include "render/vector.h"

Vec3 transform_point(double x, double y, double z, const double m[3][3]) {
    return {x * m[0][0] + y * m[1][0] + z * m[2][0], x * m[0][1] + y * m[1][1] + z * m[2][1],
            x * m[0][2] + y * m[1][2] + z * m[2][2] + kViewDistance};
}

void compute_normals(Object& object) {
    const int32_t vertex_count = object.vertex_count > 0 ? object.vertex_count : 0;

    for_each_part(object.face_count, [&object](int32_t first, int32_t end) {
        for (int32_t f = first; f < end; ++f) {
            Face& face = object.faces[f];
            const Vec3 p0 = object.view_vertices[face.vertex_index[0]];
            const Vec3 p1 = object.view_vertices[face.vertex_index[1]];
            const Vec3 p2 = object.view_vertices[face.vertex_index[2]];
            const Vec3 e1 = vec_sub(p2, p1);
            const Vec3 e2 = vec_sub(p2, p0);
            face.face_normal = vec_normalise(vec_cross(e1, e2));
        }
    });

    // Each vertex's normal is the mean of its faces' normals, added in face
    // order: from the object's list of each vertex's faces, or else a part of
    // the vertices picks its own out of every face.
    if (object.vertex_face_start && object.vertex_faces) {
        for_each_part(vertex_count, [&object](int32_t first, int32_t end) {
            for (int32_t v = first; v < end; ++v) {
                const int32_t begin = object.vertex_face_start[v];
                const int32_t stop = object.vertex_face_start[v + 1];
                Vec3 n{0.0, 0.0, 0.0};
                for (int32_t i = begin; i < stop; ++i)
                    n = vec_add(n, object.faces[object.vertex_faces[i]].face_normal);
                const double count = static_cast<double>(stop - begin);
                object.vertex_normals[v] = {n.x / count, n.y / count, n.z / count};
            }
        });
        return;
    }
    // Without the list (an object the loader did not index): each vertex's
    // faces counted as they are met.
    std::vector<int32_t> counters(static_cast<size_t>(vertex_count));
    for_each_part(vertex_count, [&object, &counters](int32_t first, int32_t end) {
        for (int32_t v = first; v < end; ++v) {
            object.vertex_normals[v] = {0.0, 0.0, 0.0};
            counters[static_cast<size_t>(v)] = 0;
        }
        for (int32_t f = 0; f < object.face_count; ++f) {
            const Face& face = object.faces[f];
            for (const int32_t v : face.vertex_index) {
                if (v < first || v >= end) continue;
                object.vertex_normals[v] = vec_add(object.vertex_normals[v], face.face_normal);
                ++counters[static_cast<size_t>(v)];
            }
        }
        for (int32_t v = first; v < end; ++v) {
            const double count = static_cast<double>(counters[static_cast<size_t>(v)]);
            Vec3& n = object.vertex_normals[v];
            n = {n.x / count, n.y / count, n.z / count};
        }
    });
}
