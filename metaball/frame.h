// The per-frame pipeline of the metaball renderer: extraction, back-face
// test, vertex normals from the blob directions, environment coordinates and
// projection (a frame works these three out only for the vertices of
// triangles that face the eye; the functions below do every vertex), and
// additive drawing.
//
// View space: eye at the origin looking along +z, x to the right, y down the
// screen, focal length = screen width. Screen coordinates are 16.16 pixels,
// environment coordinates 16.16 texels held in floats (kEnvScale = 127.5 in
// 16.16 maps a unit direction component -1..1 onto 0..255 texels).
#pragma once
#include <cstdint>

#include "core/fixed16.h"
#include "metaball/field.h"
#include "metaball/marching_cubes.h"

constexpr double kEnvScale = 127.5 * fx16::kOneF;

// Each vertex's normal: the sum over the blobs of the direction from the
// blob to the vertex divided by the squared distance (not normalised).
void vertex_normals(Surface& surface, const Field& field);

// Face normal (d2 x d1 of the corner differences) and hidden = 1 when it
// points away from the eye.
void face_normals(Surface& surface);

// env u and env v from the normal reflected about the viewing direction.
void environment_coordinates(Surface& surface);

// 16.16 screen positions of every vertex.
void project_vertices(Surface& surface);
