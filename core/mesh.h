// The in-memory triangle mesh: what the object loader makes and the 3D
// renderer draws (render/vector.h and render/object.cpp prepare it each frame:
// transform_point, compute_normals).
//
// All geometry is double precision; only projected corners are integers.
// An Object is a plain record copied by value: the loader returns one and each
// scene keeps its own copy; the arrays it points to are shared by the copies
// and live until the process ends.
//
// View space: x to the right, y down, z away from the eye; transform_point
// adds 256 to z, which places the object 256 units in front of the eye.
#pragma once
#include <cstdint>

struct Vec3 {
    double x, y, z;
};

// Which triangle filler draws a face: the loader sets depth_tested (2), and
// scene 1 sets additive (0). The values are those of the object record.
enum class FillKind : int32_t { additive = 0, depth_tested = 2 };

// Where a face's texture coordinates come from: its vertices' normals (the
// loader's choice), or the coordinates stored per corner (scene 5's grid).
enum class MappingMode : int32_t { from_normals = 0, stored = 1 };

struct Material {
    FillKind fill_kind;
    int32_t light_scale; // 400 after loading; no filler output depends on it
};

struct Face {
    int32_t vertex_index[3]; // into the vertex arrays
    int32_t texture_u[3];    // stored texture column per corner (MappingMode::stored)
    int32_t texture_v[3];    // stored texture row per corner
    Vec3 face_normal;        // unit normal, written by compute_normals
    Material* material;      // shared by all faces of one loaded object
};

// Screen coordinates (whole pixels) and depth values of a face's corners.
struct ScreenFace {
    int32_t x0, x1, x2;
    int32_t y0, y1, y2;
    int32_t depth0, depth1, depth2;
};

struct Object {
    MappingMode mapping_mode = MappingMode::from_normals;
    int32_t face_count = 0;
    int32_t vertex_count = 0;
    Face* faces = nullptr;
    Vec3* model_vertices = nullptr; // as loaded: scaled, y and z negated
    Vec3* view_vertices = nullptr;  // rotated, +256 on z
    Vec3* vertex_normals = nullptr; // average of the unit normals of a vertex's faces
    ScreenFace* screen_faces = nullptr;
    double orientation[3][3] = {
        {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}; // row-major, row-vector convention
    int32_t light_offset = 0;             // -50 after loading polygons
    // Optional, set by index_vertex_faces: the faces of vertex v are
    // vertex_faces[vertex_face_start[v] .. vertex_face_start[v + 1] - 1], in
    // face order (a face naming v twice is listed twice). compute_normals
    // reads them where present and scans every face where not.
    int32_t* vertex_face_start = nullptr;
    int32_t* vertex_faces = nullptr;
};

// Lists each vertex's faces for compute_normals, once the faces are final
// (the loader does this). false, with nothing set, when memory runs out.
bool index_vertex_faces(Object& object);
