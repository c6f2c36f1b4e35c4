// The show's data files and their roles (see show_files.h). Sizes and scales
// are those the scenes load them with.
#include "check/show_files.h"

#include "core/screen.h"
#include "scenes/scene0.h"
#include "scenes/scene2.h"
#include "scenes/scene5.h"

namespace {

constexpr uint16_t bit(int scene) {
    return static_cast<uint16_t>(1u << scene);
}

ShowFile picture(const char* name, const char* scenes, uint16_t bits, int32_t w, int32_t h,
                 const char* role, PictureRole kind = PictureRole::plain) {
    ShowFile f{name, FileKind::picture, scenes, role, bits};
    f.width = w;
    f.height = h;
    f.picture_role = kind;
    return f;
}

ShowFile object(const char* name, const char* scenes, uint16_t bits, double scale,
                ObjectParts parts, const char* role) {
    ShowFile f{name, FileKind::object, scenes, role, bits};
    f.scale = scale;
    f.parts = parts;
    return f;
}

} // namespace

const std::vector<ShowFile>& show_files() {
    constexpr int32_t W = kFrameWidth, H = kFrameHeight;
    constexpr ObjectParts points = ObjectParts::points;
    constexpr ObjectParts surface = ObjectParts::points_and_polygons;
    const uint16_t opening = bit(0) | bit(7);
    static const std::vector<ShowFile> files = {
        picture("a1txt.pcx", "0 (from 0:08), 7", opening, W, H,
                "the \"VORN\" title, one of the three light pictures", PictureRole::light),
        picture("a1light1.pcx", "0 (from 0:08), 7", opening, W, H, "light picture: warm glows",
                PictureRole::light),
        picture("a1light2.pcx", "0 (from 0:08), 7", opening, W, H, "light picture: cool glows",
                PictureRole::light),
        picture("mulptext.pcx", "0", bit(0), kStripWidth, H,
                "the text strip that scrolls left (it wraps round)"),
        picture("backgr1.pcx", "1", bit(1), W, H, "background: starry sky"),
        picture("qolonvrn.pcx", "1", bit(1), W, H, "picture that flashes up on a beat",
                PictureRole::overlay),
        picture("part1.pcx", "1", bit(1), 256, 256, "the glowing dot of the ring cloud"),
        picture("part2.pcx", "1, 3, 5", bit(1) | bit(3) | bit(5), 256, 256,
                "in scene 1 the picture mapped onto the knot; in scenes 3 and 5 the glowing dot"),
        object("ringar2.lwo", "1", bit(1), 50.0, points,
               "three interlocking rings (only the points are used)"),
        object("env3.lwo", "1", bit(1), 20.0, surface, "the knot: a knotted tube"),
        picture("backgr3.pcx", "2", bit(2), W, H, "background: sunset over a grid"),
        picture("kjetweak.pcx", "2", bit(2), W, H, "picture that flashes up on a beat",
                PictureRole::overlay),
        picture("brisel2.pcx", "2, 5", bit(2) | bit(5), 256, 256,
                "in scene 2 the window's first picture; in scene 5 the picture on the grid"),
        picture("brisel.pcx", "2", bit(2), 256, 256, "the window's second picture"),
        picture("greets1.pcx", "2", bit(2), kGreetingWidth, kGreetingRows, "greeting 1"),
        picture("greets2.pcx", "2", bit(2), kGreetingWidth, kGreetingRows, "greeting 2"),
        picture("greets3.pcx", "2", bit(2), kGreetingWidth, kGreetingRows, "greeting 3"),
        picture("greets4.pcx", "2", bit(2), kGreetingWidth, kGreetingRows, "greeting 4"),
        picture("qol.pcx", "2", bit(2), kGreetingWidth, kGreetingRows, "the fifth greeting"),
        object("2plan.lwo", "3", bit(3), 80.0, points,
               "two planes of points (only the points are used)"),
        picture("envmap.pcx", "4", bit(4), 256, 256,
                "the turning pattern, also mapped onto the star ring"),
        object("knas.lwo", "4", bit(4), 50.0, surface, "the star ring"),
        picture("scroll.pcx", "5", bit(5), kScrollerWidth, kScrollerRows, "the credits strip"),
        object("16x16_1.lwo", "5", bit(5), 65.0, surface, "a flat grid"),
        picture("envmap3.pcx", "6", bit(6), 256, 256, "the light mapped onto the blobs"),
        picture("backgr4.pcx", "6", bit(6), W, H, "background: dark hexagons"),
        picture("omla.pcx", "6", bit(6), W, H, "picture added on a beat: a \"Q\" in a ring of rays",
                PictureRole::overlay),
        ShowFile{"vorn.xm", FileKind::module, "all", "the music; it also chooses the scenes", 0xFF},
    };
    return files;
}
