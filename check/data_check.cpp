// Judging the pictures and objects of the show's data files (see data_check.h).
#include "check/data_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "assets/lwo.h"
#include "assets/lwo_decoder.h"
#include "assets/pcx.h"
#include "check/module_check.h"
#include "check/show_files.h"
#include "render/vector.h"

namespace {

// A light picture whose brightest channel stays below this shows as little
// more than black: the lights shade it at up to half strength most of the time.
constexpr int kDarkLight = 64;
// More points or triangles than this (some twenty times the show's own
// objects) are drawn every frame at the cost of frames coming late.
constexpr int32_t kHeavyObject = 20000;

// "scenes 1, 3, 5: the glowing dot"
std::string where(const ShowFile& f) {
    return std::string("scene") + (f.scene_bits & (f.scene_bits - 1) ? "s " : " ") + f.scenes +
           ": " + f.role;
}

void check_picture(const ShowFile& f, const CheckFiles& files, std::vector<Finding>& out) {
    const PictureLoad load =
        load_picture_from(f.name, files.read(f.name, kMaxPictureFileBytes), f.width, f.height);
    if (load.failure) {
        out.push_back(
            {Level::error, f.name, "does not load (" + where(f) + "): " + load.failure->reason});
        return;
    }
    const Image& image = load.image;
    out.push_back(
        {Level::ok, f.name,
         std::to_string(image.width) + " x " + std::to_string(image.height) + "; " + where(f)});
    if (image.height > f.height)
        out.push_back({Level::note, f.name,
                       "it is " + std::to_string(image.height) + " rows high: only the top " +
                           std::to_string(f.height) + " show"});
    // The rows that show: the brightest channel and whether any pixel is not black.
    uint32_t brightest = 0, any = 0;
    const size_t shown = static_cast<size_t>(f.width) * static_cast<size_t>(f.height);
    for (size_t i = 0; i < shown; ++i) {
        const uint32_t p = image.pixels[i];
        brightest = std::max({brightest, p >> 16 & 0xFFu, p >> 8 & 0xFFu, p & 0xFFu});
        any |= p;
    }
    std::free(image.pixels);
    if (f.picture_role == PictureRole::light && brightest < kDarkLight)
        out.push_back({Level::warning, f.name,
                       "its brightest colour reaches only " + std::to_string(brightest) +
                           " of 255: the lights shade it at up to half strength, so it stays "
                           "nearly black. Use a brighter palette"});
    if (f.picture_role == PictureRole::overlay && any == 0)
        out.push_back({Level::warning, f.name,
                       "it is pure black everywhere, and pure black lets the background "
                       "through: it never shows"});
}

void check_object(const ShowFile& f, const CheckFiles& files, std::vector<Finding>& out) {
    ObjectLoad load =
        load_object_from(f.name, files.read(f.name, kMaxObjectFileBytes), f.scale, f.parts);
    if (load.failure) {
        out.push_back(
            {Level::error, f.name, "does not load (" + where(f) + "): " + load.failure->reason});
        return;
    }
    Object& object = load.object;
    const bool surface = f.parts == ObjectParts::points_and_polygons;
    out.push_back({Level::ok, f.name,
                   std::to_string(object.vertex_count) + " points" +
                       (surface ? ", " + std::to_string(object.face_count) + " triangles" : "") +
                       "; " + where(f)});
    double reach = 0.0; // the farthest point from the centre the object turns about
    for (int32_t i = 0; i < object.vertex_count; ++i) {
        const Vec3& p = object.model_vertices[i];
        reach = std::max(reach, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
    }
    if (!(reach < kViewDistance)) {
        char text[300];
        std::snprintf(text, sizeof text,
                      "its points reach %.0f units from its centre at the scene's scale, but "
                      "the eye is %.0f units away: as it turns, the parts that pass the eye "
                      "vanish. Make it smaller (under %.1f units across in the file)",
                      reach, kViewDistance, 2.0 * kViewDistance / f.scale);
        out.push_back({Level::warning, f.name, text});
    }
    if (object.vertex_count > kHeavyObject || (surface && object.face_count > kHeavyObject))
        out.push_back({Level::warning, f.name,
                       "more than " + std::to_string(kHeavyObject) +
                           " points or triangles: the scene draws every one each frame, and "
                           "frames will come late on a slow machine"});
    free_object(object);
}

} // namespace

std::vector<Finding> check_pictures_and_objects(const CheckFiles& files) {
    std::vector<Finding> out;
    for (const ShowFile& f : show_files()) {
        if (f.kind == FileKind::picture) check_picture(f, files, out);
        if (f.kind == FileKind::object) check_object(f, files, out);
    }
    return out;
}

std::vector<Finding> check_data_files(const CheckFiles& files) {
    std::vector<Finding> out = check_pictures_and_objects(files);
    for (Finding& f : check_module(files))
        out.push_back(std::move(f));
    return out;
}
