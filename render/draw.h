// The draw operations scenes call to put objects and sprites on a 320 x 240
// frame: the rotation matrix, projected triangle meshes, and point clouds as
// additive sprites.
//
// Projection: a view-space point (x, y, z) maps, with k = 256 / z, to screen
// x = trunc(x * k + centre x), screen y = trunc(y * k + centre y) and depth
// value trunc(65536 / z + depth_bias): 1 / z in 16.16 plus the bias (larger =
// nearer). Screen y grows downward. There is no near-plane clipping: a face
// with a corner at z <= 0 is skipped (its screen face is set to all zeros,
// which draws nothing), and a sprite whose vertex has z <= 0 is not drawn.
// Every write stays inside the frame whatever the coordinates.
#pragma once
#include <cstdint>
#include <vector>

#include "core/image.h"
#include "core/mesh.h"
#include "core/scratch.h"
#include "render/draw_scratch.h"
#include "render/fill.h"

// A 3 x 3 rotation, row-major, for row vectors (a point p maps to p x M).
struct Matrix3 {
    double m[3][3];
};

// Rotation about x by a, then about y by b, then about z by c (radians),
// built as Rx(a) * Ry(b) * Rz(c).
Matrix3 rotation_matrix(double a, double b, double c);

// Copies a rotation into the object's orientation.
void set_orientation(Object& object, const Matrix3& rotation);

// Transforms every vertex by the orientation (+256 on z) and projects it
// once; each face takes its three corners from there into screen_faces (the
// same points projecting a face's corners anew would give). Then recomputes
// the normals and fills each face: depth-tested when its material's fill kind
// is FillKind::depth_tested, additive otherwise. No culling, no sorting.
// `scratch` is the caller's working space (draw_scratch.h); without it, the
// call makes its own.
void draw_object(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                 int32_t centre_y, DrawScratch& scratch);
void draw_object(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                 int32_t centre_y);

// How draw_object_distorted moves each corner in view space (the enum's
// values are the drawing operation's mode numbers 0, 1 and 2):
//   jitter:  three vorn::rand() calls per corner (x, y, z); each coordinate
//            grows by a random fraction in (0, 1] of amount * itself (z
//            includes the +256)
//   stretch: x *= 1 + amount_x, y *= 1 + amount_y, z *= 1 - amount_z
//   none:    no change
enum class Distortion : int32_t { jitter = 0, stretch = 1, none = 2 };

// As draw_object, but each face corner's vertex is transformed and then
// distorted in view space (`mode`) just before it is projected.
// A vertex shared by several faces is distorted afresh for each of them;
// view_vertices keep the last result. Vertices used by no face are not
// transformed.
void draw_object_distorted(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                           int32_t centre_y, double amount_x, double amount_y, double amount_z,
                           Distortion mode, DrawScratch& scratch);
void draw_object_distorted(uint32_t* frame, Object& object, const Image& texture, int32_t centre_x,
                           int32_t centre_y, double amount_x, double amount_y, double amount_z,
                           Distortion mode);

// Transforms every vertex and draws an additive sprite at each, scaled with
// distance: size trunc(sprite_size * 256 / z), position scaled by zoom.
// Faces are ignored.
void draw_vertex_sprites(uint32_t* frame, Object& object, const Image& sprite, int32_t centre_x,
                         int32_t centre_y, double zoom, int32_t sprite_size);

// Adds a 256 x 256 image, scaled to width x height pixels, onto the frame,
// centred on (centre_x, centre_y); per colour byte, saturating, keeping the
// frame's top byte. The sprite covers centre - size/2 (rounded down) to
// centre + size/2 exclusive, so an odd size covers one pixel less than its
// value. Nothing is drawn for a width or height below 1.
void draw_additive_sprite(uint32_t* frame, const Image& sprite, int32_t width, int32_t height,
                          int32_t centre_x, int32_t centre_y);

// The on-screen part of a sprite: frame columns [left, right) and rows
// [top, bottom), showing sprite columns from first_column and sprite rows from
// first_row on. Sprite column c reads texel column bits 16..23 of c * u_step
// (in 32 bits: wherever a pixel is drawn the product stays below 2^24).
struct SpriteClip {
    int64_t left, top, right, bottom;
    int64_t first_column, first_row;
    uint32_t u_step, v_step;
};

// Additive sprites of one image drawn one after another, each exactly as
// draw_additive_sprite draws it. Sprites of a size the batch has drawn before
// (up to 128 pixels across) reuse its scaled copy of the image, since they
// read the same texels; a copy knows the box its non-black pixels lie in, and
// only that box is added. A batch may be kept from frame
// to frame as long as its image neither moves nor changes (a default batch
// draws nothing until one is assigned).
class SpriteBatch {
  public:
    SpriteBatch() = default;
    explicit SpriteBatch(const Image& sprite) : texels_(sprite.pixels) {}
    // Whether this batch was made for `sprite`'s pixels.
    bool draws(const Image& sprite) const { return texels_ != nullptr && texels_ == sprite.pixels; }
    void draw(uint32_t* frame, int32_t width, int32_t height, int32_t centre_x, int32_t centre_y);

    // Many sprites, in order, as draw() would draw them one after another;
    // in two bands at once where there are two (core/bands.h).
    struct Place {
        int32_t width, height, centre_x, centre_y;
    };
    void draw_all(uint32_t* frame, const std::vector<Place>& places);
    // Room for the places of a frame's draw_all, kept so that a frame
    // allocates nothing; nothing in it lasts from one frame to the next.
    Scratch<std::vector<Place>> places;

  private:
    static constexpr int32_t kLargest = 128;
    static constexpr int32_t kMargin = 4; // black pixels either side of a scaled row
    // The box of columns [left, right) and rows [top, bottom) outside which a
    // scaled copy is black (column 0 is the first pixel after the left
    // margin); empty when left >= right.
    struct Box {
        int32_t left, top, right, bottom;
    };
    struct Scaled {
        int32_t width, height;
        int64_t stride; // pixels from one row to the next, margins included
        std::vector<uint32_t> pixels;
        Box lit;
    };
    // The copy of one size: made on first use (make_copy), found after.
    void make_copy(int32_t width, int32_t height);
    const Scaled* find_copy(int32_t width, int32_t height) const;
    // Where one sprite goes and what it reads: frame rows [top, bottom) and
    // columns [x0, x1) of the scaled copy `copy` (an index into sizes_),
    // whose row `top` starts `source` pixels into its storage, indexed by
    // frame column; or, for a sprite larger than the copies, its clip. Its
    // copy must have been made.
    struct Placed {
        int64_t top, bottom, x0, x1;
        int32_t copy; // -1: drawn from the image through `clip`
        int64_t source;
        SpriteClip clip;
    };
    bool place(const Place& where, Placed& out) const;
    void add(uint32_t* frame, const Placed& p, int64_t top, int64_t bottom) const;

    const uint32_t* texels_ = nullptr;
    std::vector<Scaled> sizes_;
    int32_t last_of_width_[kLargest + 1] = {}; // 1 + index in sizes_ of the last of that width
};

// draw_vertex_sprites with the sprites drawn by a batch the caller keeps.
void draw_vertex_sprites(uint32_t* frame, Object& object, SpriteBatch& batch, int32_t centre_x,
                         int32_t centre_y, double zoom, int32_t sprite_size);
