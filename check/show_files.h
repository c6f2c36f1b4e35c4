// The data files the show reads, with the size, scale and role each has in
// its scenes: what `vorn --check` judges a data folder by (the README's table
// of files says the same for people).
#pragma once
#include <cstdint>
#include <vector>

#include "assets/lwo.h"

enum class FileKind : uint8_t { picture, object, module };

// What a picture does where it shows, for the warnings that fit its role.
enum class PictureRole : uint8_t {
    plain,
    light,   // a light map of scenes 0 and 7: shaded and added to the other two
    overlay, // flashes up over a background; pure black lets the background through
};

struct ShowFile {
    const char* name;
    FileKind kind;
    const char* scenes; // where it shows, as people read it: "0 (from 0:08), 7"
    const char* role;
    uint16_t scene_bits; // bit s for scene s
    // Pictures: exactly `width` wide, at least `height` high.
    int32_t width = 0, height = 0;
    PictureRole picture_role = PictureRole::plain;
    // Objects: the scale the scene loads it at and what it draws of it.
    double scale = 0.0;
    ObjectParts parts = ObjectParts::points;
};

// Every file, in the order of the README's table.
const std::vector<ShowFile>& show_files();
