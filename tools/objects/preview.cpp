// Object previews (see preview.h): four turned views of 320 x 240 each,
// triangles flat-shaded with a depth buffer, points as additive glows.
#include "objects/preview.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/png_writer.h"

namespace {

struct P3 {
    double x, y, z;
};

P3 rotate(P3 p, double a, double b, double c) {
    double sa = std::sin(a), ca = std::cos(a), sb = std::sin(b), cb = std::cos(b), sc = std::sin(c),
           cc = std::cos(c);
    // Row-vector convention: p * Rx(a) * Ry(b) * Rz(c).
    double m[3][3] = {{cb * cc, cb * sc, -sb},
                      {sa * sb * cc - ca * sc, sa * sb * sc + ca * cc, sa * cb},
                      {ca * sb * cc + sa * sc, ca * sb * sc - sa * cc, ca * cb}};
    return {p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0],
            p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1],
            p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2]};
}

struct Frame {
    int w = 320, h = 240;
    std::vector<float> r, g, b, depth;
    Frame() : r(76800, 0.f), g(76800, 0.f), b(76800, 0.f), depth(76800, 1e30f) {}
};

void draw_view(Frame& f, const Mesh& mesh, const PreviewStyle& st, double ax, double ay,
               double az) {
    std::vector<P3> v;
    for (const Vec3f& p : mesh.points) {
        P3 q = {p.x * st.scale, -p.y * st.scale, -p.z * st.scale};
        q = rotate(q, ax, ay, az);
        q.z += 256.0;
        v.push_back(q);
    }
    auto sx = [&](const P3& p) { return 256.0 / p.z * st.zoom * p.x + 160.0; };
    auto sy = [&](const P3& p) { return 256.0 / p.z * st.zoom * p.y + 120.0; };
    if (!st.points) {
        for (const auto& t : mesh.triangles) {
            P3 a = v[t[0]], b = v[t[1]], c = v[t[2]];
            P3 e1 = {b.x - a.x, b.y - a.y, b.z - a.z}, e2 = {c.x - a.x, c.y - a.y, c.z - a.z};
            P3 n = {e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z,
                    e1.x * e2.y - e1.y * e2.x};
            double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
            if (len == 0) continue;
            double light = std::fabs(n.z / len) * 0.75 + 0.2;
            double x0 = sx(a), y0 = sy(a), x1 = sx(b), y1 = sy(b), x2 = sx(c), y2 = sy(c);
            double area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
            if (area == 0) continue;
            int minx = std::max(0, int(std::floor(std::min({x0, x1, x2}))));
            int maxx = std::min(319, int(std::ceil(std::max({x0, x1, x2}))));
            int miny = std::max(0, int(std::floor(std::min({y0, y1, y2}))));
            int maxy = std::min(239, int(std::ceil(std::max({y0, y1, y2}))));
            // Front faces (toward the eye, by winding) warm, back faces cool.
            bool front = area < 0;
            for (int y = miny; y <= maxy; ++y)
                for (int x = minx; x <= maxx; ++x) {
                    double px = x + 0.5, py = y + 0.5;
                    double w0 = ((x1 - px) * (y2 - py) - (x2 - px) * (y1 - py)) / area;
                    double w1 = ((x2 - px) * (y0 - py) - (x0 - px) * (y2 - py)) / area;
                    double w2 = 1 - w0 - w1;
                    if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                    double z = w0 * a.z + w1 * b.z + w2 * c.z;
                    size_t i = size_t(y) * 320 + size_t(x);
                    if (z >= f.depth[i]) continue;
                    f.depth[i] = float(z);
                    double edge = std::min({w0, w1, w2}) < 0.04 ? 0.6 : 1.0;
                    f.r[i] = float(light * edge * (front ? 1.0 : 0.4));
                    f.g[i] = float(light * edge * (front ? 0.8 : 0.6));
                    f.b[i] = float(light * edge * (front ? 0.5 : 1.0));
                }
        }
    }
    if (st.sprite > 0) {
        for (const P3& p : v) {
            double k = 256.0 / p.z;
            double size = st.sprite * k * (st.points ? 1.0 : 0.6);
            double cx = sx(p), cy = sy(p), rad = size / 2;
            for (int y = int(cy - rad); y <= int(cy + rad); ++y)
                for (int x = int(cx - rad); x <= int(cx + rad); ++x) {
                    if (x < 0 || y < 0 || x >= 320 || y >= 240) continue;
                    double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / rad;
                    if (d >= 1) continue;
                    double gl = std::exp(-d * d * 9.0) * 0.9;
                    size_t i = size_t(y) * 320 + size_t(x);
                    f.r[i] += float(gl * 0.6);
                    f.g[i] += float(gl * 0.8);
                    f.b[i] += float(gl);
                }
        }
    }
}

} // namespace

bool write_preview(const std::string& path, const Mesh& mesh, const PreviewStyle& style) {
    const double views[4][3] = {{0, 0, 0}, {0.6, 0.4, 0.1}, {1.2, -0.8, 0.5}, {1.57, 0.3, 0.9}};
    const int W = 4 * 320 + 3 * 4;
    std::vector<uint8_t> rgb(size_t(W) * 240 * 3, 60);
    for (int v = 0; v < 4; ++v) {
        Frame f;
        draw_view(f, mesh, style, views[v][0], views[v][1], views[v][2]);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                size_t i = size_t(y) * 320 + size_t(x);
                size_t o = (size_t(y) * W + size_t(v * 324 + x)) * 3;
                auto q = [](float c) {
                    return uint8_t(std::lround(std::clamp(c, 0.f, 1.f) * 255));
                };
                rgb[o] = q(f.r[i]);
                rgb[o + 1] = q(f.g[i]);
                rgb[o + 2] = q(f.b[i]);
            }
    }
    return write_png(path, W, 240, rgb);
}
