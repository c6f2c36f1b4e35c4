// Previews of the objects in their scenes: each object turned, lit and
// placed as its scene shows it (the scene's scale, rotation speeds,
// projection with focal length 256, sprites and reflection maps from the
// pictures already written), four moments side by side, 320 x 240 each.
#pragma once
#include <string>

#include "common/lwob_writer.h"

struct ShowObjects {
    Mesh rings, knot, planes, star, grid;
};

// Reads the pictures from `data`; writes ringar2.png, env3.png, 2plan.png,
// knas.png and 16x16_1.png into `previews`. False after a message on failure.
bool write_object_previews(const std::string& data, const std::string& previews,
                           const ShowObjects& objects);
