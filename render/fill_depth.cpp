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

void fill_depth_tested_corners(uint32_t* frame, const FaceCorners& fc, const uint32_t* texture) {
    uint32_t* depth = depth_buffer;
    if (!depth) return;
    walk_triangle(fc.c[0], fc.c[1], fc.c[2],
                  [frame, depth, texture](const ClippedSpan& run, int64_t y) {
                      depth_pixels(frame, depth, run, y, texture);
                  });
}

void fill_depth_tested_triangle(uint32_t* frame, ScreenFace corners, const Face& face,
                                const Image& texture, const Object& object) {
    fill_depth_tested_corners(frame, face_corners(corners, face, object), texture.pixels);
}
