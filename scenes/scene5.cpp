// Scene 5: waving picture grid and scroller (see scene5.h).
#include "scenes/scene5.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assets/lwo.h"
#include "assets/pcx.h"
#include "core/screen.h"
#include "core/sync.h"
#include "effects/cues.h"
#include "render/draw.h"
#include "render/face_bands.h"
#include "render/face_corners.h"
#include "render/fill.h"
#include "render/truncate.h"
#include "render/vector.h"

Scene5 scene5;

namespace {

constexpr double kTextureScale = 3.0; // texels per model unit
constexpr int32_t kSpriteSize = 16;
constexpr int32_t kCentreX = 160;
constexpr int32_t kCentreY = 120;

// Every corner's picture column moves by `delta` texels. The sum wraps rather
// than overflowing; only its value modulo 256 picks a texel.
void slide_texture(Object& grid, int32_t delta) {
    for (int32_t f = 0; f < grid.face_count; ++f)
        for (int32_t& u : grid.faces[f].texture_u)
            u = static_cast<int32_t>(static_cast<uint32_t>(u) + static_cast<uint32_t>(delta));
}

// Each vertex from its model position: rippled in three steps, each using the
// coordinates the steps before it changed, then turned and pushed 256 away.
void ripple(Object& grid, int32_t t) {
    for_each_part(grid.vertex_count, [&grid, t](int32_t first, int32_t end) {
        for (int32_t i = first; i < end; ++i) {
            const Vec3& m = grid.model_vertices[i];
            const double x = m.x + 5 * std::sin(0.01 * t + 0.07 * m.y);
            const double y = m.y + 5 * std::cos(0.013 * t + 0.053 * x);
            const double z =
                m.z - 40 * (std::sin(0.04 * t + 0.03 * x) + std::cos(0.026 * y - 0.06 * t));
            grid.view_vertices[i] = transform_point(x, y, z, grid.orientation);
        }
    });
}

// Each vertex on the screen: k = 256 / z, then position and sprite size.
// Nothing here guards against the eye: a point at z <= 0 (or NaN) is not
// drawn (front false), and a face with such a corner is skipped.
void project_grid(const Object& grid, std::vector<ProjectedVertex>& points) {
    points.resize(static_cast<size_t>(std::max(grid.vertex_count, 0)));
    for_each_part(grid.vertex_count, [&grid, &points](int32_t first, int32_t end) {
        for (int32_t i = first; i < end; ++i) {
            const Vec3& p = grid.view_vertices[i];
            const double k = perspective_scale(p.z);
            points[static_cast<size_t>(i)] = {p.z > 0.0, trunc_to_int32(k * p.x + kCentreX),
                                              trunc_to_int32(k * p.y + kCentreY),
                                              trunc_to_int32(kSpriteSize * k)};
        }
    });
}

void draw_faces(uint32_t* frame, Scene5& s, const std::vector<ProjectedVertex>& points) {
    Object& grid = s.grid;
    for (int32_t f = 0; f < grid.face_count; ++f) {
        const int32_t* v = grid.faces[f].vertex_index;
        const ProjectedVertex& a = points[static_cast<size_t>(v[0])];
        const ProjectedVertex& b = points[static_cast<size_t>(v[1])];
        const ProjectedVertex& c = points[static_cast<size_t>(v[2])];
        ScreenFace& screen = grid.screen_faces[f];
        screen.x0 = a.x, screen.y0 = a.y;
        screen.x1 = b.x, screen.y1 = b.y;
        screen.x2 = c.x, screen.y2 = c.y;
    }
    // The faces in two bands at once where there are two (core/bands.h).
    const int32_t split =
        band_count() == 2 ? balanced_split(grid.screen_faces, grid.face_count) : kFrameHeight;
    for_each_band(
        [&](const Band& band) {
            for (int32_t f = 0; f < grid.face_count; ++f) {
                const Face& face = grid.faces[f];
                const int32_t* v = face.vertex_index;
                const ScreenFace& screen = grid.screen_faces[f];
                if (points[static_cast<size_t>(v[0])].front &&
                    points[static_cast<size_t>(v[1])].front &&
                    points[static_cast<size_t>(v[2])].front && face_reaches(screen, band))
                    fill_textured_corners(frame, face_corners(screen, face, grid), s.texture.pixels,
                                          band);
            }
        },
        split);
}

void draw_sprites(uint32_t* frame, Scene5& s, const std::vector<ProjectedVertex>& points) {
    if (!s.sprites.draws(s.sprite)) s.sprites = SpriteBatch(s.sprite);
    SpriteBatch& batch = s.sprites;
    std::vector<SpriteBatch::Place>& places = batch.places.get();
    places.clear();
    for (const ProjectedVertex& p : points)
        if (p.front) places.push_back({p.sprite_size, p.sprite_size, p.x, p.y});
    batch.draw_all(frame, places);
}

void draw_scroller(uint32_t* frame, const Image& scroller, int32_t t) {
    const int64_t top = scroller_top(t);
    const int64_t first = std::max<int64_t>(top, 0);
    const int64_t last = std::min<int64_t>(top + kScrollerRows - 1, kFrameHeight - 1);
    for (int64_t r = first; r <= last; ++r)
        std::memcpy(frame + r * kFrameWidth + kScrollerLeft,
                    scroller.pixels + (r - top) * kScrollerWidth,
                    sizeof(uint32_t) * kScrollerWidth);
}

} // namespace

int64_t scroller_top(int32_t tick) {
    // The strip rises 27.62589928057554 (3840 / 139, as a double) rows per
    // second: its 720 rows of travel take 26.06 seconds. The constant is
    // written out because its rounding decides which row shows at which tick.
    const int64_t risen = static_cast<int64_t>(tick * 27.62589928057554 / 70);
    return kFrameHeight - risen;
}

void scene5_setup() {
    Scene5& s = scene5;
    s.texture = load_picture("brisel2.pcx", 256, 256);
    s.sprite = load_picture("part2.pcx", 256, 256);
    s.scroller = load_picture("scroll.pcx", kScrollerWidth, kScrollerRows);
    s.grid = load_object("16x16_1.lwo", 65.0, ObjectParts::points_and_polygons);
    s.mesh_shown = false;
    s.flash = Flash{Fade::Quick};
    s.previous_tick = 0;
    for (int32_t f = 0; f < s.grid.face_count; ++f) {
        Face& face = s.grid.faces[f];
        for (int n = 0; n < 3; ++n) {
            const Vec3& m = s.grid.model_vertices[face.vertex_index[n]];
            face.texture_u[n] = trunc_to_int32(kTextureScale * m.x);
            face.texture_v[n] = trunc_to_int32(kTextureScale * m.y);
        }
    }
    s.grid.mapping_mode = MappingMode::stored;
    s.sprites = SpriteBatch(s.sprite);
}

void scene5_render(uint32_t* frame) {
    Scene5& s = scene5;
    const int32_t t = tick_counter;

    if (sync_flag(4)) {
        clear_sync_flag(4);
        s.mesh_shown = true;
    } else if (!s.mesh_shown) {
        std::memset(frame, 0, sizeof(uint32_t) * kFramePixels);
    }

    set_orientation(s.grid, rotation_matrix(0, 0, t * 0.02));
    slide_texture(s.grid, static_cast<int32_t>(2u * (static_cast<uint32_t>(t) -
                                                     static_cast<uint32_t>(s.previous_tick))));
    s.previous_tick = t;
    ripple(s.grid, t);

    std::vector<ProjectedVertex>& points = s.projected.get();
    project_grid(s.grid, points);
    if (s.mesh_shown) draw_faces(frame, s, points);
    draw_sprites(frame, s, points);
    draw_scroller(frame, s.scroller, t);

    flash_on_cue(s.flash, frame, t);
}

// Frees the pictures, as the other scenes' releases do (the web page sets
// the scenes up again for other files, and would otherwise keep every earlier
// set of them); the grid stays, as every scene's objects do.
void scene5_release() {
    for (Image* picture : {&scene5.texture, &scene5.sprite, &scene5.scroller}) {
        std::free(picture->pixels);
        *picture = Image{};
    }
    scene5.sprites = SpriteBatch{};
}
