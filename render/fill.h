// The three triangle fillers: draw one texture-mapped triangle into a 320 x 240
// frame, affine in screen space, with no lighting and no triangle-level
// clipping (each row clips itself, so any corner coordinates are safe).
//
//   fill_additive_triangle     frame pixel + texel, per colour byte, saturating
//   fill_textured_triangle     texel replaces the frame pixel
//   fill_depth_tested_triangle texel replaces the frame pixel where the face is
//                              nearer than depth_buffer (render/depth.h), which
//                              then takes the face's depth; draws nothing while
//                              depth_buffer is not allocated
//
// corners: screen x, y in whole pixels and depth values (only the depth-tested
// filler reads them). face, object: where the texture coordinates come from
// (see face_corners.h). texture: 256 x 256 pixels; coordinates wrap at 256.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/mesh.h"

void fill_additive_triangle(uint32_t* frame, ScreenFace corners, const Face& face,
                            const Image& texture, const Object& object);
void fill_textured_triangle(uint32_t* frame, ScreenFace corners, const Face& face,
                            const Image& texture, const Object& object);
void fill_depth_tested_triangle(uint32_t* frame, ScreenFace corners, const Face& face,
                                const Image& texture, const Object& object);
