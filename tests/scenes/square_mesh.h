// A square of two triangles facing the eye, centred on the origin, for the
// scene tests that draw meshes: its arrays live here and are attached to a
// scene's Object in place of a loaded file.
#pragma once
#include <vector>

#include "core/mesh.h"

namespace scene_test {

struct SquareMesh {
    std::vector<Vec3> model;
    std::vector<Vec3> view = std::vector<Vec3>(4), normals = std::vector<Vec3>(4);
    std::vector<Face> faces = std::vector<Face>(2);
    std::vector<ScreenFace> screen = std::vector<ScreenFace>(2);
    Material material;

    SquareMesh(double half_side, FillKind fill_kind)
        : model{{-half_side, -half_side, 0},
                {half_side, -half_side, 0},
                {half_side, half_side, 0},
                {-half_side, half_side, 0}},
          material{fill_kind, 400} {
        const int corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
        for (int f = 0; f < 2; ++f) {
            faces[f] = Face{};
            for (int n = 0; n < 3; ++n)
                faces[f].vertex_index[n] = corners[f][n];
            faces[f].material = &material;
        }
    }

    void attach(Object& object) {
        object.vertex_count = 4;
        object.face_count = 2;
        object.model_vertices = model.data();
        object.view_vertices = view.data();
        object.vertex_normals = normals.data();
        object.faces = faces.data();
        object.screen_faces = screen.data();
    }
};

} // namespace scene_test
