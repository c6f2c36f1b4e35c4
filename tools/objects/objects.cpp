// The show's five LightWave objects: builds each shape, writes it as LWOB
// and, when asked, a preview PNG of it as its scene would show it.
#include <cstdio>
#include <string>

#include "common/pcx_writer.h"
#include "generator.h"
#include "objects/preview.h"
#include "objects/shapes.h"

namespace {

struct ObjectSpec {
    const char* file;
    Mesh (*make)();
    PreviewStyle style;
};

const ObjectSpec kObjects[] = {
    {"ringar2.lwo", make_rings, {50.0, 1.6, 32, true}},
    {"env3.lwo", make_knot, {20.0, 2.0, 0, false}},
    {"2plan.lwo", make_planes, {80.0, 1.0, 32, true}},
    {"knas.lwo", make_star_torus, {50.0, 1.0, 0, false}},
    {"16x16_1.lwo", make_grid, {65.0, 1.0, 16, false}},
};

} // namespace

bool write_objects(const std::string& dir, const std::string& previews) {
    for (const ObjectSpec& spec : kObjects) {
        Mesh mesh = spec.make();
        if (!write_file(dir + "/" + spec.file, encode_lwob(mesh))) return false;
        if (!previews.empty()) {
            std::string name = spec.file;
            name = name.substr(0, name.size() - 4) + ".png";
            if (!write_preview(previews + "/" + name, mesh, spec.style)) return false;
        }
    }
    return true;
}
