// The opaque triangle filler: texels replace the frame pixels.
#include "render/face_corners.h"
#include "render/fill.h"
#include "render/spans.h"
#include "render/triangle_walk.h"

void fill_textured_triangle(uint32_t* frame, ScreenFace corners, const Face& face,
                            const Image& texture, const Object& object) {
    const FaceCorners fc = face_corners(corners, face, object);
    const uint32_t* tex = texture.pixels;
    walk_triangle(fc.c[0], fc.c[1], fc.c[2], [frame, tex](SpanEnd a, SpanEnd b, int64_t y) {
        opaque_span(frame, a, b, y, tex);
    });
}
