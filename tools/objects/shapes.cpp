// Object shapes (see shapes.h). Triangles wind counter-clockwise seen from
// outside (right-hand normals point out of closed shapes).
#include "objects/shapes.h"

#include <cmath>

namespace {

constexpr double kTau = 6.283185307179586;

struct V {
    double x, y, z;
};
V operator+(V a, V b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V operator-(V a, V b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V operator*(V a, double k) {
    return {a.x * k, a.y * k, a.z * k};
}
double dot(V a, V b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V cross(V a, V b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
V unit(V a) {
    return a * (1.0 / std::sqrt(dot(a, a)));
}
Vec3f to_f(V a) {
    return {float(a.x), float(a.y), float(a.z)};
}

// Quads between rings of `around` points, `along` rings closed in a loop;
// point (i, j) is i * around + j. When each ring runs clockwise about the
// tube's direction of travel these triangles face outward; `ccw` says it
// runs the other way, and the triangles are turned round. A twisted tube
// closes with its last ring's point j meeting the first ring's j + `shift`.
void tube_faces(Mesh& m, int along, int around, bool ccw, int shift = 0) {
    for (int i = 0; i < along; ++i) {
        int i2 = (i + 1) % along;
        int s = i2 == 0 ? shift : 0;
        for (int j = 0; j < around; ++j) {
            int j2 = (j + 1) % around;
            auto a = uint16_t(i * around + j), b = uint16_t(i2 * around + (j + s) % around),
                 c = uint16_t(i2 * around + (j2 + s) % around), d = uint16_t(i * around + j2);
            if (ccw) {
                m.triangles.push_back({a, c, b});
                m.triangles.push_back({a, d, c});
            } else {
                m.triangles.push_back({a, b, c});
                m.triangles.push_back({a, c, d});
            }
        }
    }
}

} // namespace

Mesh make_rings() {
    Mesh m;
    m.surface = "Rings";
    const double a = 1.1, b = 0.6;
    const int n = 80;
    // Sample the ellipse evenly by arc length.
    const int fine = 4000;
    std::vector<double> len(fine + 1, 0.0);
    for (int i = 1; i <= fine; ++i) {
        double t0 = kTau * (i - 1) / fine, t1 = kTau * i / fine;
        double dx = a * (std::cos(t1) - std::cos(t0)), dy = b * (std::sin(t1) - std::sin(t0));
        len[size_t(i)] = len[size_t(i - 1)] + std::sqrt(dx * dx + dy * dy);
    }
    std::vector<std::pair<double, double>> ring;
    size_t k = 0;
    for (int s = 0; s < n; ++s) {
        double want = len[fine] * s / n;
        while (k + 1 < len.size() && len[k + 1] < want)
            ++k;
        double t = kTau * double(k) / fine;
        ring.push_back({a * std::cos(t), b * std::sin(t)});
    }
    for (auto [p, q] : ring)
        m.points.push_back(to_f({p, q, 0}));
    for (auto [p, q] : ring)
        m.points.push_back(to_f({0, p, q}));
    for (auto [p, q] : ring)
        m.points.push_back(to_f({q, 0, p}));
    return m;
}

Mesh make_knot() {
    Mesh m;
    m.surface = "Knot";
    const int along = 120, around = 8;
    const double R = 1.05, r = 0.42, tube = 0.26;
    auto curve = [&](double t) {
        double k = R + r * std::cos(3 * t);
        return V{k * std::cos(2 * t), k * std::sin(2 * t), r * std::sin(3 * t)};
    };
    for (int i = 0; i < along; ++i) {
        double t = kTau * i / along;
        V c = curve(t);
        V tan = unit(curve(t + 1e-4) - curve(t - 1e-4));
        V core = {R * std::cos(2 * t), R * std::sin(2 * t), 0};
        V d = c - core;
        V nrm = unit(d - tan * dot(d, tan));
        V bin = cross(tan, nrm);
        for (int j = 0; j < around; ++j) {
            double a = kTau * j / around;
            m.points.push_back(to_f(c + nrm * (tube * std::cos(a)) + bin * (tube * std::sin(a))));
        }
    }
    // Each ring turns from the normal toward the binormal: counter-clockwise.
    tube_faces(m, along, around, true);
    return m;
}

Mesh make_planes() {
    Mesh m;
    m.surface = "Planes";
    for (double z : {-0.45, 0.45})
        for (int j = 0; j < 12; ++j)
            for (int i = 0; i < 12; ++i)
                m.points.push_back(to_f({-0.95 + 1.9 * i / 11, -0.95 + 1.9 * j / 11, z}));
    return m;
}

Mesh make_star_torus() {
    Mesh m;
    m.surface = "Star";
    const int along = 72, around = 10;
    const double R = 1.3;
    for (int i = 0; i < along; ++i) {
        double phi = kTau * i / along;
        double twist = phi * 7.0 / 5.0;
        double outer = 0.5 + 0.08 * std::sin(3 * phi), inner = 0.24;
        V radial = {std::cos(phi), std::sin(phi), 0}, up = {0, 0, 1};
        V centre = radial * R;
        for (int j = 0; j < around; ++j) {
            double a = kTau * j / around + twist;
            double rad = (j % 2 == 0) ? outer : inner;
            m.points.push_back(
                to_f(centre + radial * (rad * std::cos(a)) + up * (rad * std::sin(a))));
        }
    }
    // The cross-section turns from the radial direction toward +z, which is
    // clockwise about the sweep direction.
    // A full loop twists the star by 7/5 turn: 14 steps of the cross-section.
    tube_faces(m, along, around, false, 14 % around);
    return m;
}

Mesh make_grid() {
    Mesh m;
    m.surface = "Grid";
    const int n = 16;
    const double half = 2.1;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            m.points.push_back(
                to_f({-half + 2 * half * i / (n - 1), -half + 2 * half * j / (n - 1), 0}));
    for (int j = 0; j + 1 < n; ++j)
        for (int i = 0; i + 1 < n; ++i) {
            auto a = uint16_t(j * n + i), b = uint16_t(j * n + i + 1),
                 c = uint16_t((j + 1) * n + i + 1), d = uint16_t((j + 1) * n + i);
            m.triangles.push_back({a, b, c});
            m.triangles.push_back({a, c, d});
        }
    return m;
}
