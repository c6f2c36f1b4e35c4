// draw_object and draw_object_distorted: transform, project, recompute the
// normals and fill every face of a mesh.
//
// Projection uses focal length 256 (view units to pixels at z = 256); screen
// positions are whole pixels, depth values 1 / z in 16.16 plus depth_bias. A
// face with a corner at z <= 0 (or NaN) would divide by zero or mirror
// through the eye, so it is skipped: its screen face becomes all zeros, a
// triangle with three corners on one row, which the fillers draw as nothing.
// Where every corner of a vertex comes out the same (no distortion, or a
// stretch), each vertex is projected once per call and the faces take their
// corners from there; a jitter projects every face corner on its own.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/bands.h"
#include "core/fixed16.h"
#include "core/rand.h"
#include "render/depth.h"
#include "render/depth_seam.h"
#include "render/draw.h"
#include "render/draw_scratch.h"
#include "render/face_bands.h"
#include "render/face_corners.h"
#include "render/truncate.h"
#include "render/vector.h"

namespace {

// A count from the object as a buffer size; a negative count is none.
size_t count_of(int32_t n) {
    return static_cast<size_t>(std::max(n, 0));
}

// The three distortion amounts (x, y, z).
struct Amounts {
    double x, y, z;
};

ScreenCorner project(const Vec3& p, int32_t centre_x, int32_t centre_y) {
    ScreenCorner c;
    if (!(p.z > 0.0)) return c;
    const double k = perspective_scale(p.z);
    c.in_front = true;
    c.x = trunc_to_int32(p.x * k + centre_x);
    c.y = trunc_to_int32(p.y * k + centre_y);
    c.depth = trunc_to_int32(fx16::kOneF / p.z + depth_bias);
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

Vec3 transformed(const Object& object, int32_t vertex) {
    const Vec3& m = object.model_vertices[vertex];
    return transform_point(m.x, m.y, m.z, object.orientation);
}

// The jitter, with the three random values r1, r2, r3 drawn for this corner.
// The order of the products differs between the axes; it decides the
// rounding, so it stays as it is.
void jitter(Vec3& p, const Amounts& amount, int r1, int r2, int r3) {
    p.x = p.x + (32768 - r1) * p.x * amount.x / 32768;
    p.y = p.y + (32768 - r2) * amount.y * p.y / 32768;
    p.z = p.z + (32768 - r3) * p.z * amount.z / 32768;
}

void stretch(Vec3& p, const Amounts& amount) {
    p.x = (1 + amount.x) * p.x;
    p.y = (1 + amount.y) * p.y;
    p.z = (1 - amount.z) * p.z;
}

// Every vertex turned into view space and projected.
void project_every_vertex(Object& object, std::vector<ScreenCorner>& corners, int32_t centre_x,
                          int32_t centre_y) {
    for_each_part(object.vertex_count, [&](int32_t first, int32_t end) {
        for (int32_t i = first; i < end; ++i) {
            object.view_vertices[i] = transformed(object, i);
            corners[static_cast<size_t>(i)] = project(object.view_vertices[i], centre_x, centre_y);
        }
    });
}

// Every vertex some face uses turned into view space, stretched (with
// Distortion::stretch) and projected; unused vertices stay untouched. The
// object's list of each vertex's faces tells which are used, where it has
// one; otherwise `used` is filled from the faces.
void project_used_vertices(Object& object, DrawScratch& s, int32_t centre_x, int32_t centre_y,
                           const Amounts& amount, Distortion mode) {
    const int32_t* uses = object.vertex_face_start;
    if (!uses) {
        s.used.assign(s.corners.size(), 0);
        for (int32_t f = 0; f < object.face_count; ++f)
            for (const int32_t i : object.faces[f].vertex_index)
                s.used[static_cast<size_t>(i)] = 1;
    }
    for_each_part(object.vertex_count, [&](int32_t first, int32_t end) {
        for (int32_t i = first; i < end; ++i) {
            if (uses ? uses[i + 1] == uses[i] : !s.used[static_cast<size_t>(i)]) continue;
            Vec3& p = object.view_vertices[i];
            p = transformed(object, i);
            if (mode == Distortion::stretch) stretch(p, amount);
            s.corners[static_cast<size_t>(i)] = project(p, centre_x, centre_y);
        }
    });
}

// Every corner of every face transformed, jittered with fresh random numbers
// and projected on its own, straight into the face's screen face. Three
// numbers in turn from the shared generator per corner (x, y, z), nine per
// face: a part of the faces starts the generator where the faces before it
// leave it, and the generator is given back past all of them. The last face
// to use a vertex leaves its view position.
void project_jittered_corners(Object& object, DrawScratch& s, int32_t centre_x, int32_t centre_y,
                              const Amounts& amount) {
    constexpr uint64_t kPerFace = 9;
    const vorn::RandStream start = vorn::rand_take();
    s.jittered.resize(3 * count_of(object.face_count));
    for_each_part(object.face_count, [&](int32_t first, int32_t end) {
        vorn::RandStream stream = start.skipped(kPerFace * static_cast<uint64_t>(first));
        for (int32_t f = first; f < end; ++f) {
            ScreenCorner c[3];
            for (int j = 0; j < 3; ++j) {
                Vec3& p = s.jittered[3 * static_cast<size_t>(f) + static_cast<size_t>(j)];
                p = transformed(object, object.faces[f].vertex_index[j]);
                const int r1 = stream.next();
                const int r2 = stream.next();
                const int r3 = stream.next();
                jitter(p, amount, r1, r2, r3);
                c[j] = project(p, centre_x, centre_y);
            }
            object.screen_faces[f] = screen_face(c[0], c[1], c[2]);
        }
    });
    vorn::rand_give_back(start.skipped(kPerFace * count_of(object.face_count)));

    for (int32_t f = 0; f < object.face_count; ++f)
        for (int j = 0; j < 3; ++j)
            object.view_vertices[object.faces[f].vertex_index[j]] =
                s.jittered[3 * static_cast<size_t>(f) + static_cast<size_t>(j)];
}

// Each vertex's environment-mapped texture point, worked out once rather than
// once for every face that uses it.
void set_texture_points(const Object& object, std::vector<TexturePoint>& points) {
    points.resize(count_of(object.vertex_count));
    for (int32_t i = 0; i < object.vertex_count; ++i)
        points[static_cast<size_t>(i)] = environment_point(object.vertex_normals[i]);
}

// Fills every face with the filler its material asks for, in two bands at
// once where there are two (core/bands.h).
void fill_faces(uint32_t* frame, Object& object, const Image& texture, DrawScratch& s) {
    if (object.mapping_mode == MappingMode::from_normals)
        set_texture_points(object, s.texture_points);
    const TexturePoint* points = s.texture_points.data();

    // Where the bands meet, and the seam for the depth entry they share.
    int32_t split = kFrameHeight;
    if (band_count() == 2) {
        split = balanced_split(object.screen_faces, object.face_count);
        if (depth_buffer) s.seam.start(depth_buffer, split, object.face_count);
    }
    // Each band fills the faces that reach it, in list order.
    for_each_band(
        [&](const Band& band) {
            DepthSeam* shared = band.count == 2 ? &s.seam : nullptr;
            for (int32_t f = 0; f < object.face_count; ++f) {
                const ScreenFace& sf = object.screen_faces[f];
                if (face_reaches(sf, band)) {
                    const Face& face = object.faces[f];
                    const FaceCorners corners = gather_corners(
                        sf, face, object, [points](int32_t vertex) { return points[vertex]; });
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
                 int32_t centre_y, DrawScratch& s) {
    s.corners.resize(count_of(object.vertex_count));
    project_every_vertex(object, s.corners, centre_x, centre_y);
    set_screen_faces(object, s.corners);

    compute_normals(object);
    fill_faces(frame, object, texture, s);
}

void draw_object_distorted(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                           int32_t centre_y, double amount_x, double amount_y, double amount_z,
                           Distortion mode, DrawScratch& s) {
    const Amounts amount{amount_x, amount_y, amount_z};
    if (mode == Distortion::jitter) {
        project_jittered_corners(object, s, centre_x, centre_y, amount);
    } else {
        s.corners.resize(count_of(object.vertex_count));
        project_used_vertices(object, s, centre_x, centre_y, amount, mode);
        set_screen_faces(object, s.corners);
    }

    compute_normals(object);
    fill_faces(frame, object, texture, s);
}

void draw_object(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                 int32_t centre_y) {
    DrawScratch s;
    draw_object(frame, object, texture, centre_x, centre_y, s);
}

void draw_object_distorted(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                           int32_t centre_y, double amount_x, double amount_y, double amount_z,
                           Distortion mode) {
    DrawScratch s;
    draw_object_distorted(frame, object, texture, centre_x, centre_y, amount_x, amount_y, amount_z,
                          mode, s);
}
