// Single-precision three-component vectors of the metaball renderer and the
// five operations on them. Every operation computes in double precision and
// rounds what it stores to float; dot_product alone hands back the double.
//
// Units are whatever the caller's vectors carry (view-space units for
// positions, unnormalised directions for normals).
#pragma once
#include <cmath>

struct FloatVector {
    float x = 0;
    float y = 0;
    float z = 0;
};

inline FloatVector vector_difference(const FloatVector& a, const FloatVector& b) {
    return {static_cast<float>(double(a.x) - double(b.x)),
            static_cast<float>(double(a.y) - double(b.y)),
            static_cast<float>(double(a.z) - double(b.z))};
}

inline float vector_length(const FloatVector& a) {
    const double x = a.x, y = a.y, z = a.z;
    return static_cast<float>(std::sqrt(x * x + y * y + z * z));
}

inline double dot_product(const FloatVector& a, const FloatVector& b) {
    return double(a.x) * double(b.x) + double(a.y) * double(b.y) + double(a.z) * double(b.z);
}

// The product b x a, the negative of the usual a x b: the metaball back-face
// test is written for this orientation.
inline FloatVector cross_product(const FloatVector& a, const FloatVector& b) {
    const double ax = a.x, ay = a.y, az = a.z;
    const double bx = b.x, by = b.y, bz = b.z;
    return {static_cast<float>(az * by - ay * bz), static_cast<float>(ax * bz - az * bx),
            static_cast<float>(ay * bx - ax * by)};
}

// Each component divided by the float length. A zero vector has no direction
// and comes back as NaN in every component.
inline FloatVector normalise(const FloatVector& a) {
    const double length = vector_length(a);
    return {static_cast<float>(a.x / length), static_cast<float>(a.y / length),
            static_cast<float>(a.z / length)};
}
