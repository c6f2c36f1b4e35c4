// draw_object and draw_object_distorted: transform, project, recompute the
// normals and fill every face of a mesh.
//
// Projection uses focal length 256 (view units to pixels at z = 256); screen
// positions are whole pixels, depth values 65536 / z + depth_bias. A face
// with a corner at z <= 0 (or NaN) would divide by zero or mirror through the
// eye, so it is skipped: its screen face becomes all zeros, a triangle with
// three corners on one row, which the fillers draw as nothing. Each vertex is
// projected once per call; the faces take their corners from there.
#include <algorithm>
#include <vector>

#include "core/bands.h"
#include "core/rand.h"
#include "render/depth.h"
#include "render/depth_seam.h"
#include "render/draw.h"
#include "render/face_bands.h"
#include "render/face_corners.h"
#include "render/truncate.h"
#include "render/vector.h"

namespace {

// One view-space point projected to the screen: whole pixels and the depth
// value; in_front false (and nothing else set) when the point is not in front
// of the eye.
struct ScreenCorner {
    bool in_front = false;
    int32_t x = 0, y = 0, depth = 0;
};

ScreenCorner project(const Vec3& p, int32_t centre_x, int32_t centre_y) {
    ScreenCorner c;
    if (!(p.z > 0.0)) return c;
    const double k = 256.0 / p.z;
    c.in_front = true;
    c.x = trunc_to_int32(p.x * k + centre_x);
    c.y = trunc_to_int32(p.y * k + centre_y);
    c.depth = trunc_to_int32(65536.0 / p.z + depth_bias);
    return c;
}

// The screen face of three projected corners: all zeros (a triangle on one
// row, which the fillers draw as nothing) unless every corner is in front.
ScreenFace screen_face(const ScreenCorner& a, const ScreenCorner& b, const ScreenCorner& c) {
    if (!(a.in_front && b.in_front && c.in_front)) return ScreenFace{};
    ScreenFace sf;
    sf.x0 = a.x, sf.y0 = a.y, sf.depth0 = a.depth;
    sf.x1 = b.x, sf.y1 = b.y, sf.depth1 = b.depth;
    sf.x2 = c.x, sf.y2 = c.y, sf.depth2 = c.depth;
    return sf;
}

// Each face's screen face from its vertices' projected corners.
void set_screen_faces(Object& object, const std::vector<ScreenCorner>& corners) {
    for_each_part(object.face_count, [&](int32_t first, int32_t end) {
        for (int32_t f = first; f < end; ++f) {
            const int32_t* v = object.faces[f].vertex_index;
            object.screen_faces[f] =
                screen_face(corners[static_cast<size_t>(v[0])], corners[static_cast<size_t>(v[1])],
                            corners[static_cast<size_t>(v[2])]);
        }
    });
}

// Per-vertex working space kept between calls, so that a frame does not
// allocate; grows to the largest object seen.
std::vector<ScreenCorner>& corner_store(int32_t vertex_count) {
    static std::vector<ScreenCorner> corners;
    corners.resize(static_cast<size_t>(vertex_count > 0 ? vertex_count : 0));
    return corners;
}

Vec3 transformed(const Object& object, int32_t vertex) {
    const Vec3& m = object.model_vertices[vertex];
    return transform_point(m.x, m.y, m.z, object.orientation);
}

// Mode 0's distortion with the three random values r1, r2, r3 drawn for
// this corner.
void jitter(Vec3& p, double amount_x, double amount_y, double amount_z, int r1, int r2, int r3) {
    p.x = p.x + (32768 - r1) * p.x * amount_x / 32768;
    p.y = p.y + (32768 - r2) * amount_y * p.y / 32768;
    p.z = p.z + (32768 - r3) * p.z * amount_z / 32768;
}

// The distortions other than jitter: a stretch, or none.
void stretch(Vec3& p, double amount_x, double amount_y, double amount_z, Distortion mode) {
    if (mode == Distortion::stretch) {
        p.x = (1 + amount_x) * p.x;
        p.y = (1 + amount_y) * p.y;
        p.z = (1 - amount_z) * p.z;
    }
}

// Fills every face with the filler its material asks for, in two bands at
// once where there are two (core/bands.h). With environment mapping each
// vertex's texture point is worked out once, not once for every face that
// uses it.
void fill_faces(uint32_t* frame, Object& object, const Image& texture) {
    static std::vector<TexturePoint> points;
    if (object.mapping_mode == MappingMode::from_normals) {
        points.resize(static_cast<size_t>(std::max(object.vertex_count, 0)));
        for (int32_t i = 0; i < object.vertex_count; ++i)
            points[static_cast<size_t>(i)] = environment_point(object.vertex_normals[i]);
    }
    static DepthSeam seam;
    int32_t split = kFrameHeight;
    if (band_count() == 2) {
        split = balanced_split(object.screen_faces, object.face_count);
        if (depth_buffer) seam.start(depth_buffer, split, object.face_count);
    }
    for_each_band(
        [&](const Band& band) {
            DepthSeam* shared = band.count == 2 ? &seam : nullptr;
            for (int32_t f = 0; f < object.face_count; ++f) {
                const ScreenFace& sf = object.screen_faces[f];
                if (face_reaches(sf, band)) {
                    const Face& face = object.faces[f];
                    const FaceCorners corners =
                        gather_corners(sf, face, object, [point = points.data()](int32_t vertex) {
                            return point[vertex];
                        });
                    if (face.material && face.material->fill_kind == FillKind::depth_tested)
                        fill_depth_tested_corners(frame, corners, texture.pixels, band, shared, f);
                    else
                        fill_additive_corners(frame, corners, texture.pixels, band);
                }
                if (shared && band.has_band_above()) shared->faces_done(f + 1);
            }
        },
        split);
}

} // namespace

void draw_object(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                 int32_t centre_y) {
    // Every vertex is turned and projected once; faces share their corners.
    std::vector<ScreenCorner>& corners = corner_store(object.vertex_count);
    for_each_part(object.vertex_count, [&](int32_t first, int32_t end) {
        for (int32_t i = first; i < end; ++i) {
            object.view_vertices[i] = transformed(object, i);
            corners[static_cast<size_t>(i)] = project(object.view_vertices[i], centre_x, centre_y);
        }
    });
    set_screen_faces(object, corners);

    compute_normals(object);
    fill_faces(frame, object, texture);
}

void draw_object_distorted(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                           int32_t centre_y, double amount_x, double amount_y, double amount_z,
                           Distortion mode) {
    std::vector<ScreenCorner>& corners = corner_store(object.vertex_count);
    if (mode == Distortion::jitter) {
        // Fresh random numbers for every corner of every face, three in turn
        // from the shared generator (x, y, z): each corner is transformed,
        // distorted and projected on its own. A part of the faces starts the
        // generator where the faces before it leave it.
        constexpr uint64_t kPerFace = 9;
        const vorn::RandStream start = vorn::rand_take();
        static std::vector<Vec3> corner_points;
        corner_points.resize(3 * static_cast<size_t>(std::max(object.face_count, 0)));
        for_each_part(object.face_count, [&](int32_t first, int32_t end) {
            vorn::RandStream stream = start.skipped(kPerFace * static_cast<uint64_t>(first));
            for (int32_t f = first; f < end; ++f) {
                ScreenCorner c[3];
                for (int j = 0; j < 3; ++j) {
                    Vec3& p = corner_points[3 * static_cast<size_t>(f) + static_cast<size_t>(j)];
                    p = transformed(object, object.faces[f].vertex_index[j]);
                    const int r1 = stream.next();
                    const int r2 = stream.next();
                    const int r3 = stream.next();
                    jitter(p, amount_x, amount_y, amount_z, r1, r2, r3);
                    c[j] = project(p, centre_x, centre_y);
                }
                object.screen_faces[f] = screen_face(c[0], c[1], c[2]);
            }
        });
        const uint64_t drawn = kPerFace * static_cast<uint64_t>(std::max(object.face_count, 0));
        vorn::rand_give_back(start.skipped(drawn));
        // The last face to use a vertex leaves its view position.
        for (int32_t f = 0; f < object.face_count; ++f)
            for (int j = 0; j < 3; ++j)
                object.view_vertices[object.faces[f].vertex_index[j]] =
                    corner_points[3 * static_cast<size_t>(f) + static_cast<size_t>(j)];
    } else {
        // A stretch or none gives a vertex the same point every time: each
        // vertex some face uses is worked out once, then the faces take
        // their corners from there. (Unused vertices stay untouched.) The
        // object's list of each vertex's faces tells which are used, where
        // it has one.
        static std::vector<uint8_t> used;
        const int32_t* uses = object.vertex_face_start;
        if (!uses) {
            used.assign(corners.size(), 0);
            for (int32_t f = 0; f < object.face_count; ++f)
                for (const int32_t i : object.faces[f].vertex_index)
                    used[static_cast<size_t>(i)] = 1;
        }
        for_each_part(object.vertex_count, [&](int32_t first, int32_t end) {
            for (int32_t i = first; i < end; ++i) {
                if (uses ? uses[i + 1] == uses[i] : !used[static_cast<size_t>(i)]) continue;
                Vec3& p = object.view_vertices[i];
                p = transformed(object, i);
                stretch(p, amount_x, amount_y, amount_z, mode);
                corners[static_cast<size_t>(i)] = project(p, centre_x, centre_y);
            }
        });
        set_screen_faces(object, corners);
    }

    compute_normals(object);
    fill_faces(frame, object, texture);
}
