// Double-precision vector operations on vertex triples, and the two
// operations that prepare an Object for drawing: transform_point (rotation
// plus the view distance on depth) and compute_normals (face and vertex normals
// from the current view vertices).
//
// Units: view-space units throughout (the loader's scaled model units); normals
// are unit length or, for vertex normals, averages of unit vectors.
#pragma once
#include <cmath>

#include "core/mesh.h"

inline Vec3 vec_sub(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

inline Vec3 vec_add(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

inline Vec3 vec_cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline double vec_dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Each component divided by the length; a zero vector gives 0/0 (NaN) in
// every component, which callers must expect from degenerate triangles.
inline Vec3 vec_normalise(Vec3 a) {
    double length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return {a.x / length, a.y / length, a.z / length};
}

// The object renderer's perspective: transform_point puts an object's
// centre kViewDistance units in front of the eye, and a point at depth z > 0
// lands kFocalLength / z pixels per unit from the screen's centre.
constexpr double kViewDistance = 256.0;
constexpr double kFocalLength = 256.0;

// Pixels per view unit at depth z (z > 0): what every projection of the
// object renderer scales x, y and sizes by.
inline double perspective_scale(double z) {
    return kFocalLength / z;
}

// The point as a row vector times the row-major matrix, then kViewDistance
// on z: x' = x*m00 + y*m10 + z*m20, y' = x*m01 + y*m11 + z*m21,
// z' = x*m02 + y*m12 + z*m22 + kViewDistance.
Vec3 transform_point(double x, double y, double z, const double matrix[3][3]);

// Fills every face normal (unit normal of (p2 - p1) x (p2 - p0)) and every
// vertex normal (the plain average of the unit normals of the faces using
// the vertex, not normalised again) from object.view_vertices. A vertex used
// by no face gets 0/0. The per-vertex counts are 32-bit, so a vertex may be
// shared by any number of faces.
void compute_normals(Object& object);
