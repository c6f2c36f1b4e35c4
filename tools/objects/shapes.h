// The show's objects as meshes, in file units (before the loader's scale):
// point clouds for the sprite scenes, closed tubes for the mapped objects,
// and the flat grid of the waving scene.
#pragma once
#include "common/lwob_writer.h"

// Three interlocking rings (mutually perpendicular ellipses, linked like
// Borromean rings): 240 points within radius 1.1.
Mesh make_rings();
// A (2, 3) torus knot tube, 120 x 8 segments: 960 points, 1920 triangles,
// within radius 1.75.
Mesh make_knot();
// Two parallel planes of 12 x 12 points, 0.9 apart: 288 points.
Mesh make_planes();
// A star-shaped tube swept round a ring, twisted 1.4 turns, its star
// swelling and shrinking: 720 points, 1440 triangles, within radius 1.9.
Mesh make_star_torus();
// A flat 16 x 16 grid in the x-y plane spanning +-2.1: 256 points, 450 triangles.
Mesh make_grid();
