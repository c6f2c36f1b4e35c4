// Object previews in scene context (see preview.h). Geometry follows the
// show's conventions: the file's y and z are negated and scaled, points
// are row vectors times the rotation, 256 is added to z, and a point
// projects to 256 / z * (x, y) + centre. Reflection maps are read at
// ((n.x + 1) * 127.5, (n.y + 1) * 127.5) from averaged view-space normals.
#include "objects/preview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "common/noise.h"
#include "common/pcx_reader.h"
#include "common/png_writer.h"

namespace {

constexpr double kDegree = 3.14159256 / 180.0;

struct V3 {
    double x, y, z;
};
V3 sub(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct Mat {
    double m[3][3];
};

Mat rotation(double a, double b, double c) {
    double sa = std::sin(a), ca = std::cos(a), sb = std::sin(b), cb = std::cos(b), sc = std::sin(c),
           cc = std::cos(c);
    return {{{cb * cc, cb * sc, -sb},
             {sa * sb * cc - ca * sc, sa * sb * sc + ca * cc, sa * cb},
             {ca * sb * cc + sa * sc, ca * sb * sc - sa * cc, ca * cb}}};
}

V3 apply(const Mat& r, V3 p) {
    return {p.x * r.m[0][0] + p.y * r.m[1][0] + p.z * r.m[2][0],
            p.x * r.m[0][1] + p.y * r.m[1][1] + p.z * r.m[2][1],
            p.x * r.m[0][2] + p.y * r.m[1][2] + p.z * r.m[2][2] + 256.0};
}

std::vector<V3> model(const Mesh& m, double scale) {
    std::vector<V3> v;
    for (const Vec3f& p : m.points)
        v.push_back({p.x * scale, -(p.y * scale), -(p.z * scale)});
    return v;
}

struct Frame {
    std::vector<uint32_t> px = std::vector<uint32_t>(76800, 0);
    std::vector<double> depth = std::vector<double>(76800, 0.0);
    void add(size_t i, uint32_t c) {
        uint32_t p = px[i], out = 0;
        for (int s = 0; s <= 16; s += 8)
            out |= std::min(255u, ((p >> s) & 255) + ((c >> s) & 255)) << s;
        px[i] = out;
    }
};

// Sprite: the whole 256 x 256 picture squeezed into a w x w square.
void sprite(Frame& f, const RgbImage& img, int w, int cx, int cy) {
    if (w < 1) return;
    int step = (1 << 24) / w;
    int left = cx - (w >> 1), right = cx + (w >> 1), top = cy - (w >> 1), bottom = cy + (w >> 1);
    int u0 = 0, v = 0;
    if (left < 0) {
        u0 = -left * step;
        left = 0;
    }
    if (top < 0) {
        v = -top * step;
        top = 0;
    }
    for (int y = top; y < bottom && y < 240; ++y, v += step) {
        int u = u0;
        for (int x = left; x < right && x < 320; ++x, u += step)
            f.add(size_t(y) * 320 + size_t(x), img.at((u >> 16) & 255, (v >> 16) & 255));
    }
}

void sprites(Frame& f, const std::vector<V3>& view, const RgbImage& img, int cx, int cy,
             double zoom, int size) {
    for (const V3& p : view) {
        double k = 256.0 / p.z;
        sprite(f, img, int(size * k), int(k * zoom * p.x + cx), int(k * p.y * zoom + cy));
    }
}

// Unit face normals averaged per vertex, in view space.
std::vector<V3> vertex_normals(const Mesh& m, const std::vector<V3>& view) {
    std::vector<V3> n(view.size(), V3{0, 0, 0});
    std::vector<int> count(view.size(), 0);
    for (const auto& t : m.triangles) {
        V3 p0 = view[t[0]], p1 = view[t[1]], p2 = view[t[2]];
        V3 c = cross(sub(p2, p1), sub(p2, p0));
        double len = std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z);
        for (uint16_t i : t) {
            n[i] = {n[i].x + c.x / len, n[i].y + c.y / len, n[i].z + c.z / len};
            ++count[i];
        }
    }
    for (size_t i = 0; i < n.size(); ++i)
        if (count[i]) n[i] = {n[i].x / count[i], n[i].y / count[i], n[i].z / count[i]};
    return n;
}

struct Corner {
    double x, y, u, v, inv_z;
};

// Fills a triangle: texels added (additive) or written where nearer.
void triangle(Frame& f, Corner a, Corner b, Corner c, const RgbImage& tex, bool additive) {
    double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (area == 0) return;
    int minx = std::max(0, int(std::floor(std::min({a.x, b.x, c.x}))));
    int maxx = std::min(319, int(std::ceil(std::max({a.x, b.x, c.x}))));
    int miny = std::max(0, int(std::floor(std::min({a.y, b.y, c.y}))));
    int maxy = std::min(239, int(std::ceil(std::max({a.y, b.y, c.y}))));
    for (int y = miny; y <= maxy; ++y)
        for (int x = minx; x <= maxx; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double w0 = ((b.x - px) * (c.y - py) - (c.x - px) * (b.y - py)) / area;
            double w1 = ((c.x - px) * (a.y - py) - (a.x - px) * (c.y - py)) / area;
            double w2 = 1 - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            size_t i = size_t(y) * 320 + size_t(x);
            int u = int(w0 * a.u + w1 * b.u + w2 * c.u) & 255;
            int v = int(w0 * a.v + w1 * b.v + w2 * c.v) & 255;
            if (additive) {
                f.add(i, tex.at(u, v));
                continue;
            }
            double d = w0 * a.inv_z + w1 * b.inv_z + w2 * c.inv_z;
            if (d <= f.depth[i]) continue;
            f.depth[i] = d;
            f.px[i] = tex.at(u, v);
        }
}

// Reflection-mapped mesh; `stretch` scales view x, y and z (the distortion
// scene 1 applies to its centre object).
void mapped(Frame& f, const Mesh& m, std::vector<V3> view, const RgbImage& tex, int cx, int cy,
            bool additive, V3 stretch = {1, 1, 1}) {
    for (V3& p : view)
        p = {p.x * stretch.x, p.y * stretch.y, p.z * stretch.z};
    std::vector<V3> n = vertex_normals(m, view);
    for (const auto& t : m.triangles) {
        Corner c[3];
        for (int k = 0; k < 3; ++k) {
            const V3& p = view[t[size_t(k)]];
            double q = 256.0 / p.z;
            c[k] = {double(int(q * p.x + cx)), double(int(q * p.y + cy)),
                    (n[t[size_t(k)]].x + 1.0) * 127.5, (n[t[size_t(k)]].y + 1.0) * 127.5,
                    1.0 / p.z};
        }
        triangle(f, c[0], c[1], c[2], tex, additive);
    }
}

std::vector<V3> turned(const std::vector<V3>& base, const Mat& r) {
    std::vector<V3> v;
    for (const V3& p : base)
        v.push_back(apply(r, p));
    return v;
}

// The tiled, turned and zoomed texture behind the scene 4 object: the
// screen's top-left 256 x 256 block maps onto a rectangle turned about the
// pivot, texel steps px / 256 per column and py / 256 per row.
void rotating_fill(Frame& f, const RgbImage& tex, int px, int py, double angle) {
    const double P = 3.14159256;
    const int r = int(std::sqrt(double(px * px + py * py)));
    const double t = std::atan2(-py, -px);
    const double d[4] = {t + angle, angle - t, (P - t) + angle, t + angle + P};
    int X[4], Y[4];
    for (int i = 0; i < 4; ++i) {
        X[i] = int(px + r * std::cos(d[i]));
        Y[i] = int(py + r * std::sin(d[i]));
    }
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const int k = y + 1, j = x + 1;
            const int U = (512 - 2 * k) * ((256 - j) * X[0] + j * X[2]) +
                          2 * k * ((256 - j) * X[1] + j * X[3]);
            const int V = (512 - 2 * k) * ((256 - j) * Y[0] + j * Y[2]) +
                          2 * k * ((256 - j) * Y[1] + j * Y[3]);
            f.px[size_t(y) * 320 + size_t(x)] = tex.at((U >> 18) & 255, (V >> 18) & 255);
        }
}

void copy_picture(Frame& f, const RgbImage& img) {
    for (size_t i = 0; i < 76800 && i < img.px.size(); ++i)
        f.px[i] = img.px[i];
}

bool save_strip(const std::string& path, const std::vector<Frame>& frames) {
    const int W = int(frames.size()) * 324 - 4;
    std::vector<uint8_t> rgb(size_t(W) * 240 * 3, 60);
    for (size_t k = 0; k < frames.size(); ++k)
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                uint32_t p = frames[k].px[size_t(y) * 320 + size_t(x)];
                size_t o = (size_t(y) * size_t(W) + k * 324 + size_t(x)) * 3;
                rgb[o] = uint8_t(p >> 16);
                rgb[o + 1] = uint8_t(p >> 8);
                rgb[o + 2] = uint8_t(p);
            }
    return write_png(path, W, 240, rgb);
}

} // namespace

bool write_object_previews(const std::string& data, const std::string& previews,
                           const ShowObjects& o) {
    RgbImage part1 = read_pcx(data + "/part1.pcx"), part2 = read_pcx(data + "/part2.pcx"),
             backgr1 = read_pcx(data + "/backgr1.pcx"), envmap = read_pcx(data + "/envmap.pcx"),
             brisel2 = read_pcx(data + "/brisel2.pcx");
    for (const RgbImage* img : {&part1, &part2, &backgr1, &envmap, &brisel2})
        if (img->w < 256 || img->h < 240) {
            std::fprintf(stderr, "vorn-gen: previews need the pictures in %s\n", data.c_str());
            return false;
        }
    const int ticks[4] = {40, 230, 520, 900};
    const std::vector<V3> rings = model(o.rings, 50), knot = model(o.knot, 20),
                          planes = model(o.planes, 80), star = model(o.star, 50),
                          grid = model(o.grid, 65);
    std::vector<Frame> s1a, s1b, s3, s4, s5;
    for (int t : ticks) {
        const double a = double(float(t * kDegree));
        const double rx = 0.4 * a, ry = -1.1 * a, rz = -1.3 * a;
        const Mat ring_r = rotation(rx, ry, rz), knot_r = rotation(4 * rz, -6 * ry, -7 * rx);
        const double p = 0.5 * std::cos(double(uint32_t(t) * 278u) * 3.14159256 / 4200) + 1.5;
        // Scene 1, rings in the middle, knot in the corner.
        Frame f;
        copy_picture(f, backgr1);
        sprites(f, turned(rings, ring_r), part1, 160, 120, p, 32);
        mapped(f, o.knot, turned(knot, knot_r), part2, 280, 200, true);
        s1a.push_back(f);
        // Scene 1, knot stretched in the middle, rings in the corner.
        copy_picture(f, backgr1);
        sprites(f, turned(rings, ring_r), part1, 280, 200, 0.3 * p, 16);
        mapped(f, o.knot, turned(knot, knot_r), part2, 160, 120, true,
               {1.0, 1.0 + std::sin(4 * rx) + 1.0, 1.0 - 0.5 * std::sin(rz)});
        s1b.push_back(f);
        // Scene 3: planes of sprites over grey noise.
        Rng rng{uint64_t(t)};
        for (uint32_t& px : f.px) {
            uint32_t g = uint32_t(rng.below(40));
            px = g << 16 | g << 8 | g;
        }
        sprites(
            f,
            turned(planes, rotation(0.2 * std::sin(0.01 * t), -1.1 * a, 0.2 * std::cos(0.007 * t))),
            part2, 160, 120, 1.0, 32);
        s3.push_back(f);
        // Scene 4: the star torus over the turning, zooming texture.
        Frame g;
        const double sw = std::sin(0.012 * t);
        rotating_fill(g, envmap, int(sw * 60 + 160), int(sw * 40 + 120), 4 * std::sin(0.01 * t));
        mapped(g, o.star, turned(star, rotation(1.4 * a, -1.1 * a, -4 * std::sin(0.01 * t))),
               envmap, 160, 120, false);
        s4.push_back(g);
        // Scene 5: the rippling textured grid with sprites at its points.
        Frame h;
        const Mat turn = rotation(0, 0, t * 0.02);
        std::vector<V3> view;
        for (const V3& q : grid) {
            double x = q.x + 5 * std::sin(0.01 * t + 0.07 * q.y);
            double y = q.y + 5 * std::cos(0.013 * t + 0.053 * x);
            double z = q.z - 40 * (std::sin(0.04 * t + 0.03 * x) + std::cos(0.026 * y - 0.06 * t));
            view.push_back(apply(turn, {x, y, z}));
        }
        for (const auto& tri : o.grid.triangles) {
            Corner c[3];
            for (int k = 0; k < 3; ++k) {
                const V3& q = view[tri[size_t(k)]];
                const V3& m = grid[tri[size_t(k)]];
                double kk = 256.0 / q.z;
                c[k] = {double(int(kk * q.x + 160)), double(int(kk * q.y + 120)),
                        double(int(3.0 * m.x) + 2 * t), double(int(3.0 * m.y)), 1.0 / q.z};
            }
            triangle(h, c[0], c[1], c[2], brisel2, false);
        }
        for (const V3& q : view) {
            double kk = 256.0 / q.z;
            sprite(h, part2, int(16 * kk), int(kk * q.x + 160), int(kk * q.y + 120));
        }
        s5.push_back(h);
    }
    const std::string dir = previews + "/";
    return save_strip(dir + "ringar2.png", s1a) && save_strip(dir + "env3.png", s1b) &&
           save_strip(dir + "2plan.png", s3) && save_strip(dir + "knas.png", s4) &&
           save_strip(dir + "16x16_1.png", s5);
}
