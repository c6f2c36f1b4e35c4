// The working space of draw_object and draw_object_distorted (draw.h): its
// owner (the scene that draws the object) keeps one, so that a frame
// allocates nothing, each buffer growing to the object's size. Each call
// writes every entry it reads before reading it, so nothing passes from one
// call to the next; calls with one scratch must not overlap (inside a call,
// the parts and bands write only their own entries).
#pragma once
#include <cstdint>
#include <vector>

#include "core/mesh.h"
#include "render/depth_seam.h"
#include "render/face_corners.h"

// One view-space point projected to the screen: whole pixels and the depth
// value; in_front false (and nothing else set) when the point is not in front
// of the eye.
struct ScreenCorner {
    bool in_front = false;
    int32_t x = 0, y = 0, depth = 0;
};

struct DrawScratch {
    std::vector<ScreenCorner> corners;        // per vertex: its projected corner
    std::vector<uint8_t> used;                // per vertex: 1 when some face uses it
    std::vector<Vec3> jittered;               // per face corner (3 per face): its view point
    std::vector<TexturePoint> texture_points; // per vertex: its environment-mapped point
    DepthSeam seam;                           // the two bands' shared depth entry
};
