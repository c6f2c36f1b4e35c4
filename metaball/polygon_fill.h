// The metaball polygon filler: scan-converts a convex polygon and adds the
// environment map's texels onto the frame, red, green and blue each
// saturating at 255 (the written pixel takes the texel's top byte).
//
// Corners carry screen x, screen y in 16.16 fixed point and env u, env v in
// 16.16 texels (held in floats); texture coordinates wrap at 256 texels. Mapping is affine:
// u and v step by constant 16.16 gradients along each span.
//
// Spans run from the start side (the chain walked backward from the top
// corner) to the end side (walked forward), so only polygons whose corners
// run clockwise on the screen (y down) draw anything.
//
// Whatever the corner coordinates, only rows 0..239 and columns 0..319 of
// the target frame are written.
#pragma once
#include <cstdint>

#include "core/bands.h"
#include "metaball/mesh.h"

// What the filler reads its texels from and draws onto.
struct PolygonFillBuffers {
    const uint32_t* environment_map = nullptr; // 256 x 256 texels, 0x00RRGGBB
    uint32_t* target = nullptr;                // 320 x 240 frame
};

// Draws the polygon of n corners (n >= 3, convex) into buffers.target, only
// its rows in `band` (core/bands.h).
void fill_metaball_polygon(const PolygonFillBuffers& buffers, const MetaballVertex* const* corners,
                           int n, const Band& band = kWholeFrame);
