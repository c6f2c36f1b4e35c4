// Additive sprites: a 256 x 256 image scaled to any size and added onto the
// frame, and draw_vertex_sprites, which puts one at every vertex of an object.
//
// Sprite texture coordinates are 16.16 (texels x 65536): 256 texels spread
// across the sprite's width and height. Every write is clipped to the frame,
// whatever the centre or size.
#include <algorithm>

#include "core/pixels4.h"
#include "core/screen.h"
#include "render/draw.h"
#include "render/pixel.h"
#include "render/truncate.h"
#include "render/vector.h"

void draw_additive_sprite(uint32_t* frame, const Image& sprite, int32_t width, int32_t height,
                          int32_t centre_x, int32_t centre_y) {
    if (width < 1 || height < 1) return;
    const int64_t u_step = (int64_t{1} << 24) / width;
    const int64_t v_step = (int64_t{1} << 24) / height;

    int64_t left = int64_t{centre_x} - (width >> 1);
    int64_t top = int64_t{centre_y} - (height >> 1);
    const int64_t right = std::min<int64_t>(int64_t{centre_x} + (width >> 1), kFrameWidth);
    const int64_t bottom = std::min<int64_t>(int64_t{centre_y} + (height >> 1), kFrameHeight);

    int64_t u_start = 0;
    if (left < 0) {
        u_start = -left * u_step;
        left = 0;
    }
    int64_t v = 0;
    if (top < 0) {
        v = -top * v_step;
        top = 0;
    }
    if (left >= right || top >= bottom) return;

    // Wherever a pixel is drawn its coordinates lie within 0 .. 2^24 - 1, so
    // the 32-bit sums below are exact there. Every row reads the same texel
    // columns: they are worked out once, and each row adds four pixels at a
    // time.
    const uint32_t* texels = sprite.pixels;
    const uint32_t du = static_cast<uint32_t>(u_step);
    const int64_t width_drawn = right - left;
    uint8_t columns[kFrameWidth];
    uint32_t u = static_cast<uint32_t>(u_start);
    for (int64_t i = 0; i < width_drawn; ++i, u += du)
        columns[i] = static_cast<uint8_t>(u >> 16);
    uint32_t vv = static_cast<uint32_t>(v);
    for (int64_t y = top; y < bottom; ++y) {
        uint32_t* row = frame + y * kFrameWidth + left;
        const uint32_t* texel_row = texels + ((vv >> 8) & 0xFF00u); // row (vv >> 16) mod 256
        int64_t i = 0;
        for (; i + 4 <= width_drawn; i += 4) {
            using namespace px4;
            const Pixels4 t = gather(texel_row[columns[i]], texel_row[columns[i + 1]],
                                     texel_row[columns[i + 2]], texel_row[columns[i + 3]]);
            store(row + i, add_bytes_saturate(load(row + i), t & splat(0x00FFFFFFu)));
        }
        for (; i < width_drawn; ++i)
            row[i] = add_saturate(row[i], texel_row[columns[i]]);
        vv += static_cast<uint32_t>(v_step);
    }
}

void draw_vertex_sprites(uint32_t* frame, Object& object, const Image& sprite, int32_t centre_x,
                         int32_t centre_y, double zoom, int32_t sprite_size) {
    for (int32_t i = 0; i < object.vertex_count; ++i) {
        const Vec3& m = object.model_vertices[i];
        const Vec3 p = transform_point(m.x, m.y, m.z, object.orientation);
        object.view_vertices[i] = p;
        if (!(p.z > 0.0)) continue; // behind the eye: no sprite
        const double k = 256.0 / p.z;
        const int32_t size = trunc_to_int32(sprite_size * k);
        const int32_t y = trunc_to_int32(k * p.y * zoom + centre_y);
        const int32_t x = trunc_to_int32(k * zoom * p.x + centre_x);
        draw_additive_sprite(frame, sprite, size, size, x, y);
    }
}
