// The depth-tested triangle filler: texels replace the frame pixels where the
// face is nearer than the depth buffer (larger depth = nearer).
//
// Only the texture reaches the picture: the filler keeps no light level per
// corner.
#include <algorithm>

#include "render/depth.h"
#include "render/depth_seam.h"
#include "render/face_corners.h"
#include "render/fill.h"
#include "render/runs.h"
#include "render/triangle_walk.h"

void fill_depth_tested_corners(uint32_t* frame, const FaceCorners& fc, const uint32_t* texture,
                               const Band& band, DepthSeam* seam, int32_t face) {
    uint32_t* depth = depth_buffer;
    if (!depth) return;
    // Two bands at once: the upper band's last row asks the seam for the
    // entry below its right border; the lower band's top row tells the seam
    // what it leaves in its first entry. A face that covers neither row
    // (most faces) is walked as in one pass.
    const int64_t asks_row = band.has_band_below() ? band.bottom - 1 : -1;
    const int64_t tells_row = band.has_band_above() ? band.top : -1;
    auto covers = [&fc](int64_t y) {
        const int64_t top = std::min({fc.c[0].y, fc.c[1].y, fc.c[2].y});
        const int64_t bottom = std::max({fc.c[0].y, fc.c[1].y, fc.c[2].y});
        return y >= top && y < bottom; // the bottom row is never drawn
    };
    if (!seam || (!covers(asks_row) && !covers(tells_row))) {
        walk_triangle(
            fc.c[0], fc.c[1], fc.c[2],
            [frame, depth, texture](const DrawnRun& run, int64_t y) {
                depth_pixels(frame, depth, run, y, texture);
            },
            band.top, band.bottom);
        return;
    }
    walk_triangle(
        fc.c[0], fc.c[1], fc.c[2],
        [=](const DrawnRun& run, int64_t y) {
            if (y == asks_row && run.x_end == kFrameWidth) {
                depth_pixels(frame, depth, run, y, texture, [=] { return seam->before(face); });
                return;
            }
            depth_pixels(frame, depth, run, y, texture);
            if (y == tells_row && run.x_start == 0) seam->note(face, depth[y * kFrameWidth]);
        },
        band.top, band.bottom);
}

void fill_depth_tested_triangle(uint32_t* frame, ScreenFace corners, const Face& face,
                                const Image& texture, const Object& object) {
    fill_depth_tested_corners(frame, face_corners(corners, face, object), texture.pixels);
}
