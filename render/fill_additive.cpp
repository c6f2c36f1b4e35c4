// The additive triangle filler: texels added onto the frame per colour byte.
#include "render/face_corners.h"
#include "render/fill.h"
#include "render/runs.h"
#include "render/triangle_walk.h"

void fill_additive_corners(uint32_t* frame, const FaceCorners& fc, const uint32_t* texture,
                           const Band& band) {
    walk_triangle(
        fc.c[0], fc.c[1], fc.c[2],
        [frame, texture](const DrawnRun& run, int64_t y) {
            additive_pixels(frame, run, y, texture);
        },
        band.top, band.bottom);
}

void fill_additive_triangle(uint32_t* frame, ScreenFace corners, const Face& face,
                            const Image& texture, const Object& object) {
    fill_additive_corners(frame, face_corners(corners, face, object), texture.pixels);
}
