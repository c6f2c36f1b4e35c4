// The depth-tested triangle filler: texels replace the frame pixels where the
// face is nearer than the depth buffer (larger depth = nearer).
//
// Only the texture reaches the picture: no per-corner light level is worked
// out, since no span would read it.
#include "render/depth.h"
#include "render/face_corners.h"
#include "render/fill.h"
#include "render/spans.h"
#include "render/triangle_walk.h"

void fill_depth_tested_triangle(uint32_t* frame, ScreenFace corners, const Face& face,
                                const Image& texture, const Object& object) {
    uint32_t* depth = depth_buffer;
    if (!depth) return;
    const FaceCorners fc = face_corners(corners, face, object);
    const uint32_t* tex = texture.pixels;
    walk_triangle(fc.c[0], fc.c[1], fc.c[2], [frame, depth, tex](SpanEnd a, SpanEnd b, int64_t y) {
        depth_span(frame, depth, a, b, y, tex);
    });
}
