// The metaball renderer used by scene 6: eight blobs whose merged surface is
// extracted every frame and added onto the frame as environment-mapped light.
//
//   metaball_setup()       allocates the vertex and triangle arrays, loads
//                          "envmap3.pcx" (256 x 256) and draws the blob
//                          parameters from seed 19
//   metaball_frame(frame)  draws the blobs for the current tick counter onto
//                          the 320 x 240 frame, brightening only (frame.h)
//   metaball_release()     frees the arrays and the environment map
//
// All of the renderer's state is in the one global below.
#pragma once
#include <cstdint>
#include <vector>

#include "core/image.h"
#include "metaball/field.h"
#include "metaball/marching_cubes.h"

struct Metaballs {
    Field field;
    Surface surface;
    Image environment_map;
    std::vector<int32_t> seen_vertices; // scratch of each frame (frame.cpp)
};

extern Metaballs metaballs;

void metaball_setup();
void metaball_release();
void metaball_frame(uint32_t* frame);
