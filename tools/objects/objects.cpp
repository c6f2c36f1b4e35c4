// The show's five LightWave objects: builds each shape, writes it as LWOB
// and, when asked, previews of them in their scenes.
#include <string>

#include "common/file_write.h"
#include "generator.h"
#include "objects/preview.h"
#include "objects/shapes.h"

bool write_objects(const std::string& dir, const std::string& previews) {
    const ShowObjects all{make_rings(), make_knot(), make_planes(), make_star_torus(), make_grid()};
    const struct {
        const char* file;
        const Mesh* mesh;
    } files[] = {{"ringar2.lwo", &all.rings},
                 {"env3.lwo", &all.knot},
                 {"2plan.lwo", &all.planes},
                 {"knas.lwo", &all.star},
                 {"16x16_1.lwo", &all.grid}};
    for (const auto& f : files)
        if (!write_file(dir + "/" + f.file, encode_lwob(*f.mesh))) return false;
    return previews.empty() || write_object_previews(dir, previews, all);
}
