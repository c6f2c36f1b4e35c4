// Additive sprites: a 256 x 256 image scaled to any size and added onto the
// frame, and draw_vertex_sprites, which puts one at every vertex of an object.
//
// Sprite texture coordinates are 16.16 texels: 256 texels spread
// across the sprite's width and height. Every write is clipped to the frame,
// whatever the centre or size.
//
// A sprite is drawn in two steps: clipping works out the part on screen and
// which column and row of the whole sprite its first pixel shows; the add
// loop then reads the texel for each of those sprite columns and rows. A
// SpriteBatch (draw_vertex_sprites in scenes 1 and 3, and scene 5's sprites)
// keeps a scaled copy of the image for every size it has drawn, since the
// sprites of one size read the same texels, with each row's non-black
// extent, outside which adding changes nothing.
#include <algorithm>
#include <vector>

#include "core/bands.h"
#include "core/fixed16.h"
#include "core/pixels4.h"
#include "core/screen.h"
#include "render/draw.h"
#include "render/pixel.h"
#include "render/truncate.h"
#include "render/vector.h"

namespace {

constexpr uint32_t kColourBits = 0x00FFFFFFu;
// The image's 256 texels across (or down), in 16.16: spread over a sprite's
// width (height), they give its per-pixel step.
constexpr int64_t kImageTexels = int64_t{256} * fx16::kOne;

bool clip_sprite(int32_t width, int32_t height, int32_t centre_x, int32_t centre_y, SpriteClip& c) {
    if (width < 1 || height < 1) return false;
    c.u_step = static_cast<uint32_t>(kImageTexels / width);
    c.v_step = static_cast<uint32_t>(kImageTexels / height);
    c.left = int64_t{centre_x} - (width >> 1);
    c.top = int64_t{centre_y} - (height >> 1);
    c.right = std::min<int64_t>(int64_t{centre_x} + (width >> 1), kFrameWidth);
    c.bottom = std::min<int64_t>(int64_t{centre_y} + (height >> 1), kFrameHeight);
    c.first_column = c.left < 0 ? -c.left : 0;
    c.first_row = c.top < 0 ? -c.top : 0;
    c.left = std::max<int64_t>(c.left, 0);
    c.top = std::max<int64_t>(c.top, 0);
    return c.left < c.right && c.top < c.bottom;
}

uint32_t sprite_coordinate(int64_t n, uint32_t step) {
    return static_cast<uint32_t>(n) * step;
}

// The sprite's texels for the clipped part within frame rows [top, bottom),
// one sprite row at a time; the texel columns are the same for every row.
void draw_clipped(uint32_t* frame, const uint32_t* texels, const SpriteClip& c, int64_t top,
                  int64_t bottom) {
    const int64_t width = c.right - c.left;
    uint8_t columns[kFrameWidth];
    for (int64_t i = 0; i < width; ++i)
        columns[i] = static_cast<uint8_t>(
            fx16::texel_column(sprite_coordinate(c.first_column + i, c.u_step)));
    for (int64_t y = std::max(c.top, top); y < std::min(c.bottom, bottom); ++y) {
        const uint32_t v = sprite_coordinate(c.first_row + (y - c.top), c.v_step);
        const uint32_t* texel_row = texels + fx16::texel_row_offset(v);
        uint32_t* row = frame + y * kFrameWidth + c.left;
        int64_t i = 0;
        for (; i + 4 <= width; i += 4) {
            using namespace px4;
            const Pixels4 t = gather(texel_row[columns[i]], texel_row[columns[i + 1]],
                                     texel_row[columns[i + 2]], texel_row[columns[i + 3]]);
            store(row + i, add_bytes_saturate(load(row + i), t & splat(kColourBits)));
        }
        for (; i < width; ++i)
            row[i] = add_saturate(row[i], texel_row[columns[i]]);
    }
}

} // namespace

bool SpriteBatch::place(const Place& where, Placed& out) const {
    if (texels_ == nullptr) return false;
    SpriteClip& c = out.clip;
    if (!clip_sprite(where.width, where.height, where.centre_x, where.centre_y, c)) return false;
    const Scaled* copy = find_copy(where.width, where.height);
    if (copy == nullptr) {
        out.copy = -1;
        out.top = c.top;
        out.bottom = c.bottom;
        return true;
    }
    const Scaled& s = *copy;
    // Only the copy's non-black box is added (black adds nothing), widened to
    // whole groups of four frame pixels (frame columns 0 and 320 are group
    // edges) that read black from the copy's margins: every row of a sprite
    // then runs the same whole groups, which keeps the loops predictable.
    const int64_t shift = c.left - c.first_column; // frame column of sprite column 0
    const int64_t row_shift = c.top - c.first_row; // frame row of sprite row 0
    const int64_t first = std::max<int64_t>(s.lit.left + shift, c.left);
    const int64_t last = std::min<int64_t>(s.lit.right + shift, c.right);
    out.top = std::max<int64_t>(s.lit.top + row_shift, c.top);
    out.bottom = std::min<int64_t>(s.lit.bottom + row_shift, c.bottom);
    if (first >= last || out.top >= out.bottom) return false;
    out.x0 = first & ~int64_t{3};
    out.x1 = (last + 3) & ~int64_t{3};
    out.copy = static_cast<int32_t>(&s - sizes_.data());
    // Copy row of frame row `top`, indexed by frame column.
    out.source = (out.top - row_shift) * s.stride + kMargin - shift;
    return true;
}

void SpriteBatch::add(uint32_t* frame, const Placed& p, int64_t top, int64_t bottom) const {
    if (p.copy < 0) {
        draw_clipped(frame, texels_, p.clip, top, bottom);
        return;
    }
    const Scaled& s = sizes_[static_cast<size_t>(p.copy)];
    const int64_t first_row = std::max(p.top, top), end_row = std::min(p.bottom, bottom);
    const uint32_t* source = s.pixels.data() + p.source + (first_row - p.top) * s.stride;
    for (int64_t y = first_row; y < end_row; ++y, source += s.stride) {
        uint32_t* row = frame + y * kFrameWidth;
        for (int64_t x = p.x0; x < p.x1; x += 4) {
            using namespace px4;
            store(row + x, add_bytes_saturate(load(row + x), load(source + x)));
        }
    }
}

void SpriteBatch::draw(uint32_t* frame, int32_t width, int32_t height, int32_t centre_x,
                       int32_t centre_y) {
    make_copy(width, height);
    Placed p;
    if (place({width, height, centre_x, centre_y}, p)) add(frame, p, 0, kFrameHeight);
}

void SpriteBatch::draw_all(uint32_t* frame, const std::vector<Place>& places) {
    // Every copy is made before the bands start, so that they only read.
    // Each band then places the sprites that may reach it itself: a list of
    // placements written here and read by the other thread would cost more
    // in moving memory between the cores than placing twice.
    // The rows a sprite covers at most: centre_y - height / 2 up to, not
    // including, centre_y + height / 2.
    auto top = [](const Place& p) { return int64_t{p.centre_y} - (p.height >> 1); };
    auto bottom = [](const Place& p) { return int64_t{p.centre_y} + (p.height >> 1); };
    RowWork work;
    for (const Place& where : places) {
        make_copy(where.width, where.height);
        work.add(top(where), bottom(where));
    }
    for_each_band(
        [&](const Band& band) {
            for (const Place& where : places) {
                if (top(where) >= band.bottom || bottom(where) <= band.top) continue;
                Placed p;
                if (place(where, p) && p.top < band.bottom && p.bottom > band.top)
                    add(frame, p, band.top, band.bottom);
            }
        },
        band_count() == 2 ? work.split() : kFrameHeight);
}

// The copy of the whole (unclipped) sprite of one size, 2 (width / 2) by
// 2 (height / 2) pixels, colour bits only, with kMargin black pixels left and
// right of each row; null when make_copy has not made it yet.
const SpriteBatch::Scaled* SpriteBatch::find_copy(int32_t width, int32_t height) const {
    if (width < 1 || height < 1 || width > kLargest || height > kLargest) return nullptr;
    const int32_t last = last_of_width_[width];
    if (last > 0 && sizes_[last - 1].height == height) return &sizes_[last - 1];
    for (const Scaled& s : sizes_)
        if (s.width == width && s.height == height) return &s;
    return nullptr;
}

void SpriteBatch::make_copy(int32_t width, int32_t height) {
    if (texels_ == nullptr || width < 1 || height < 1 || width > kLargest || height > kLargest ||
        find_copy(width, height) != nullptr)
        return;
    const uint32_t u_step = static_cast<uint32_t>(kImageTexels / width);
    const uint32_t v_step = static_cast<uint32_t>(kImageTexels / height);
    const int32_t columns = 2 * (width >> 1);
    const int32_t rows = 2 * (height >> 1);
    Scaled s{width, height, columns + 2 * kMargin, {}, {columns, rows, 0, 0}};
    s.pixels.resize(static_cast<size_t>(s.stride * rows));
    uint8_t texel_columns[2 * (kLargest / 2)];
    for (int32_t col = 0; col < columns; ++col)
        texel_columns[col] =
            static_cast<uint8_t>(fx16::texel_column(sprite_coordinate(col, u_step)));
    for (int32_t r = 0; r < rows; ++r) {
        uint32_t* out = s.pixels.data() + r * s.stride + kMargin;
        const uint32_t v = sprite_coordinate(r, v_step);
        const uint32_t* texel_row = texels_ + fx16::texel_row_offset(v);
        for (int32_t col = 0; col < columns; ++col) {
            out[col] = texel_row[texel_columns[col]] & kColourBits;
            if (out[col] != 0) {
                s.lit.left = std::min(s.lit.left, col);
                s.lit.right = std::max(s.lit.right, col + 1);
                s.lit.top = std::min(s.lit.top, r);
                s.lit.bottom = r + 1;
            }
        }
    }
    sizes_.push_back(std::move(s));
    last_of_width_[width] = static_cast<int32_t>(sizes_.size());
}

void draw_additive_sprite(uint32_t* frame, const Image& sprite, int32_t width, int32_t height,
                          int32_t centre_x, int32_t centre_y) {
    SpriteClip c;
    if (clip_sprite(width, height, centre_x, centre_y, c))
        draw_clipped(frame, sprite.pixels, c, 0, kFrameHeight);
}

void draw_vertex_sprites(uint32_t* frame, Object& object, SpriteBatch& batch, int32_t centre_x,
                         int32_t centre_y, double zoom, int32_t sprite_size) {
    std::vector<SpriteBatch::Place>& places = batch.places.get();
    places.clear();
    for (int32_t i = 0; i < object.vertex_count; ++i) {
        const Vec3& m = object.model_vertices[i];
        const Vec3 p = transform_point(m.x, m.y, m.z, object.orientation);
        object.view_vertices[i] = p;
        if (!(p.z > 0.0)) continue; // behind the eye: no sprite
        const double k = perspective_scale(p.z);
        const int32_t size = trunc_to_int32(sprite_size * k);
        const int32_t y = trunc_to_int32(k * p.y * zoom + centre_y);
        const int32_t x = trunc_to_int32(k * zoom * p.x + centre_x);
        places.push_back({size, size, x, y});
    }
    batch.draw_all(frame, places);
}

void draw_vertex_sprites(uint32_t* frame, Object& object, const Image& sprite, int32_t centre_x,
                         int32_t centre_y, double zoom, int32_t sprite_size) {
    SpriteBatch batch(sprite);
    draw_vertex_sprites(frame, object, batch, centre_x, centre_y, zoom, sprite_size);
}
