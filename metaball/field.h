// The metaball field: eight blobs drifting on sine paths and their summed
// field sampled on a fixed 20 x 20 x 20 grid.
//
// Positions are view-space units. The grid spans -1000..1000 on every axis
// (y running from +1000 at j = 0 down to -1000 at j = 19) and is stored 3200
// units in front of the eye; a single blob's field 62500 / distance^2 reaches
// the surface level 1.0 at distance 250. Ticks are 1/70 s.
#pragma once
#include "core/scratch.h"
#include <cstdint>

#include "metaball/vector.h"

constexpr int kBlobCount = 8;
constexpr int kGridSize = 20;
constexpr int kGridPoints = kGridSize * kGridSize * kGridSize;
constexpr float kDepthOffset = 3200;
constexpr double kFieldStrength = 62500;
constexpr float kSurfaceLevel = 1.0f;
constexpr uint32_t kBlobSeed = 19;

struct Blob {
    FloatVector position;      // recomputed every frame
    float a = 0, b = 0, c = 0; // per-axis phase offsets, fixed at set-up
};

struct GridPoint {
    FloatVector position; // with the depth offset
    float value = 0;
};

// The working arrays of sample_field_near_surface, about 64 KiB: more than
// some stacks hold (the web build's is 64 KiB), so the field owns them. Each
// call writes every entry it reads before reading it, so nothing passes from
// one call to the next; calls on one field must not overlap, which holds as
// the renderer samples its field from one thread (the two parts inside a call
// write entries of their own).
struct NearSurfaceScratch {
    double xy[kGridSize][kGridSize][kBlobCount]; // d.x^2 + d.y^2 per column and blob
    bool exact[kGridPoints];                     // value and position set by this call
    int32_t pending[kGridPoints];                // points whose exact values are due
};

struct Field {
    Blob blobs[kBlobCount];
    float speeds[kBlobCount] = {};
    GridPoint grid[kGridPoints]; // point (i, j, k) at i * 400 + j * 20 + k
    Scratch<NearSurfaceScratch> near_surface;
};

inline int grid_index(int i, int j, int k) {
    return i * kGridSize * kGridSize + j * kGridSize + k;
}

// Coordinate n (0..19) of an axis running from lo to hi, before the depth
// offset.
float grid_coordinate(int n, float lo, float hi);

// Seeds the show's generator with 19 and draws each blob's speed and phases.
void draw_blob_parameters(Field& field);

// Blob positions at tick t, around the origin (no depth offset yet).
void move_blobs(Field& field, int32_t tick);

// Field values at every grid point; afterwards grid and blobs carry the depth
// offset on z.
void sample_field(Field& field);

// As sample_field, but with the exact value and the position only where
// surface extraction reads them: at the points near the surface level and at
// both ends of every grid edge that crosses the level. Every other point gets
// a stand-in value on the same side of the level (a bound of its value) and
// keeps its position as it was, so that the extracted mesh is the same as
// from sample_field, for a fraction of the divisions.
void sample_field_near_surface(Field& field);
