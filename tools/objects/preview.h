// Preview pictures of objects: the mesh placed as its scene places it
// (loader scale, y and z flipped, 256 units in front of the eye, focal
// length 256, centre of a 320 x 240 frame), shown from four angles side by
// side in one PNG.
#pragma once
#include <string>

#include "common/lwob_writer.h"

struct PreviewStyle {
    double scale; // the loader's scale for this object
    double zoom;  // extra enlargement a scene applies (point clouds)
    int sprite;   // sprite size in pixels at z = 256 (0: none)
    bool points;  // draw only the points, as glows
};

bool write_preview(const std::string& path, const Mesh& mesh, const PreviewStyle& style);
