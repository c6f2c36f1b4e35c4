// The mesh the metaball renderer extracts every frame: surface vertices and
// the triangles between them.
//
// Positions are view-space units (eye at the origin, z growing away from it);
// env u and env v are 16.16 environment-map texels held in floats (0 .. 255
// whole texels); screen x and screen y are 16.16 fixed-point pixels.
#pragma once
#include <cstdint>

#include "metaball/vector.h"

struct MetaballVertex {
    FloatVector position;
    FloatVector normal; // not normalised
    float env_u = 0;
    float env_v = 0;
    int32_t screen_x = 0;
    int32_t screen_y = 0;
};

struct MetaballTriangle {
    int32_t corners[3] = {0, 0, 0}; // indices into the vertex array, in table order
    FloatVector face_normal;        // not normalised
    int32_t hidden = 0;             // 1 when the triangle faces away from the eye
};
