// The rotation matrix built from three angles in radians (row-vector
// convention: a point p maps to p x M).
#include <cmath>
#include <cstring>

#include "render/draw.h"

Matrix3 rotation_matrix(double a, double b, double c) {
    const double sa = std::sin(a), ca = std::cos(a);
    const double sb = std::sin(b), cb = std::cos(b);
    const double sc = std::sin(c), cc = std::cos(c);

    // Rx(a) * Ry(b), written out.
    const double xy[3][3] = {
        {cb, 0.0, -sb},
        {sa * sb, ca, sa * cb},
        {ca * sb, -sa, ca * cb},
    };
    const double z[3][3] = {
        {cc, sc, 0.0},
        {-sc, cc, 0.0},
        {0.0, 0.0, 1.0},
    };
    Matrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = xy[i][0] * z[0][j] + xy[i][1] * z[1][j] + xy[i][2] * z[2][j];
    return r;
}

void set_orientation(Object& object, const Matrix3& rotation) {
    std::memcpy(object.orientation, rotation.m, sizeof object.orientation);
}
