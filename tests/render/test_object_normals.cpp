// transform_point and compute_normals on small meshes with known answers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

#include "render/vector.h"

namespace {

// An object over caller-owned arrays; view vertices are the given points.
struct Mesh {
    std::vector<Vec3> view, normals;
    std::vector<Face> faces;
    Object object;
    Mesh(std::vector<Vec3> points, const std::vector<std::array<int32_t, 3>>& triangles)
        : view(std::move(points)), normals(view.size()) {
        for (const auto& t : triangles) {
            Face f{};
            for (int c = 0; c < 3; ++c)
                f.vertex_index[c] = t[c];
            faces.push_back(f);
        }
        object.vertex_count = static_cast<int32_t>(view.size());
        object.face_count = static_cast<int32_t>(faces.size());
        object.view_vertices = view.data();
        object.vertex_normals = normals.data();
        object.faces = faces.data();
    }
};

void expect_vec(Vec3 actual, Vec3 expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-12);
    EXPECT_NEAR(actual.y, expected.y, 1e-12);
    EXPECT_NEAR(actual.z, expected.z, 1e-12);
}

TEST(ObjectTransform, RowVectorTimesMatrixPlusDepthOffset) {
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const double any[3][3] = {{0.3, -2, 5}, {7, 0.5, -1}, {2, 2, 9}};
    expect_vec(transform_point(0, 0, 0, any), {0, 0, 256});
    expect_vec(transform_point(1, 2, 3, identity), {1, 2, 259});
    // Row i of the matrix is where the i-th axis goes.
    expect_vec(transform_point(1, 0, 0, any), {0.3, -2, 261});
    expect_vec(transform_point(0, 1, 0, any), {7, 0.5, 255});
    expect_vec(transform_point(0, 0, 1, any), {2, 2, 265});
}

TEST(ObjectNormals, FaceNormalIsUnitCrossOfTheEdges) {
    // (p2 - p1) x (p2 - p0) for a triangle in the z = 300 plane, scaled up.
    Mesh m({{0, 0, 300}, {10, 0, 300}, {0, 10, 300}}, {{0, 1, 2}});
    compute_normals(m.object);
    expect_vec(m.faces[0].face_normal, {0, 0, -1});
    for (const Vec3& n : m.normals)
        expect_vec(n, {0, 0, -1});

    // The other winding faces the other way.
    Mesh flipped({{0, 0, 300}, {10, 0, 300}, {0, 10, 300}}, {{0, 2, 1}});
    compute_normals(flipped.object);
    expect_vec(flipped.faces[0].face_normal, {0, 0, 1});
}

TEST(ObjectNormals, SharedVerticesAverageUnitNormalsWithoutRenormalising) {
    // Two faces folded at a right angle along the edge 0-1: one in the z = 0
    // plane (normal -z), one in the x = 0 plane.
    Mesh m({{0, 0, 0}, {0, 5, 0}, {5, 0, 0}, {0, 0, 5}}, {{0, 2, 1}, {0, 1, 3}});
    compute_normals(m.object);
    const Vec3 a = m.faces[0].face_normal;
    const Vec3 b = m.faces[1].face_normal;
    EXPECT_NEAR(vec_dot(a, a), 1.0, 1e-12);
    EXPECT_NEAR(vec_dot(b, b), 1.0, 1e-12);
    EXPECT_NEAR(vec_dot(a, b), 0.0, 1e-12);
    const Vec3 mean = {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
    expect_vec(m.normals[0], mean);
    expect_vec(m.normals[1], mean);
    expect_vec(m.normals[2], a);
    expect_vec(m.normals[3], b);
    EXPECT_NEAR(vec_dot(m.normals[0], m.normals[0]), 0.5, 1e-12);

    // Running again from changed view vertices starts from zero, not from
    // the previous sums.
    for (Vec3& p : m.view)
        p = {p.x, p.y, -p.z};
    compute_normals(m.object);
    EXPECT_NEAR(vec_dot(m.normals[2], m.normals[2]), 1.0, 1e-12);
}

TEST(ObjectNormals, VertexInManyFacesIsStillAveraged) {
    // A fan of 200 and one of 300 triangles around vertex 0, in two planes
    // with different normals; counts past 127 or 255 must not wrap.
    for (int fan : {200, 300}) {
        std::vector<Vec3> points = {{0, 0, 0}};
        std::vector<std::array<int32_t, 3>> triangles;
        for (int i = 0; i < fan; ++i) {
            const double angle = 2 * std::numbers::pi * i / fan;
            points.push_back({std::cos(angle), std::sin(angle), 0});
        }
        for (int i = 0; i < fan; ++i)
            triangles.push_back({0, 1 + i, 1 + (i + 1) % fan});
        Mesh m(points, triangles);
        compute_normals(m.object);
        expect_vec(m.normals[0], {0, 0, -1});
        expect_vec(m.normals[1], {0, 0, -1});
    }
}

} // namespace

// The vertex normals from the loader's list of each vertex's faces are the
// scan's, bit for bit: same faces, same order, repeated and unused vertices
// included.
TEST(ObjectNormals, VertexFaceListGivesTheScansNormals) {
    std::vector<Vec3> points;
    for (int i = 0; i < 40; ++i)
        points.push_back(
            {std::sin(i * 1.7) * 50, std::cos(i * 2.3) * 40, 260 + std::sin(i * 0.9) * 30});
    std::vector<std::array<int32_t, 3>> triangles;
    for (int f = 0; f < 90; ++f) // vertex 39 unused; some faces name a vertex twice
        triangles.push_back(
            {(f * 7) % 39, (f * 11 + 3) % 39, f % 10 == 0 ? (f * 7) % 39 : (f * 5 + 1) % 39});
    Mesh mesh(points, triangles);
    compute_normals(mesh.object);
    const std::vector<Vec3> scanned = mesh.normals;
    ASSERT_TRUE(index_vertex_faces(mesh.object));
    compute_normals(mesh.object);
    EXPECT_EQ(0, std::memcmp(scanned.data(), mesh.normals.data(), scanned.size() * sizeof(Vec3)));
    std::free(mesh.object.vertex_face_start);
    std::free(mesh.object.vertex_faces);
}
