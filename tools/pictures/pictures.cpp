// The show's 22 pictures: paints each in true colour, reduces it to 256
// colours and writes it as PCX; also a contact sheet of all of them (PNG,
// palette colours, labelled) into the previews folder.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/font.h"
#include "common/pcx_writer.h"
#include "common/png_writer.h"
#include "generator.h"
#include "pictures/paint.h"

namespace {

// One picture of the show: file name, size, whether to dither, the painter.
struct PictureEntry {
    const char* file;
    int w, h;
    bool dither;
    Canvas (*paint)();
};

const PictureEntry kPictures[] = {
    {"a1txt.pcx", 320, 240, true, paint_a1txt},
    {"a1light1.pcx", 320, 240, true, paint_a1light1},
    {"a1light2.pcx", 320, 240, true, paint_a1light2},
    {"mulptext.pcx", 640, 240, true, paint_mulptext},
    {"part1.pcx", 256, 256, true, paint_part1},
    {"part2.pcx", 256, 256, true, paint_part2},
    {"backgr1.pcx", 320, 240, true, paint_backgr1},
    {"backgr3.pcx", 320, 240, true, paint_backgr3},
    {"backgr4.pcx", 320, 240, true, paint_backgr4},
    {"qolonvrn.pcx", 320, 240, false, paint_qolonvrn},
    {"kjetweak.pcx", 320, 240, false, paint_kjetweak},
    {"omla.pcx", 320, 240, true, paint_omla},
    {"brisel2.pcx", 256, 256, true, paint_brisel2},
    {"brisel.pcx", 256, 256, true, paint_brisel},
    {"greets1.pcx", 120, 40, false, paint_greets1},
    {"greets2.pcx", 120, 40, false, paint_greets2},
    {"greets3.pcx", 120, 40, false, paint_greets3},
    {"greets4.pcx", 120, 40, false, paint_greets4},
    {"qol.pcx", 120, 40, false, paint_qol},
    {"envmap.pcx", 256, 256, true, paint_envmap},
    {"scroll.pcx", 100, 480, false, paint_scroll},
    {"envmap3.pcx", 256, 256, true, paint_envmap3},
};

struct Sheet {
    int w, h;
    std::vector<uint8_t> rgb;
    void put(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        size_t i = (size_t(y) * w + x) * 3;
        rgb[i] = r;
        rgb[i + 1] = g;
        rgb[i + 2] = b;
    }
};

// Lays the pictures out in rows, each labelled with its name, on grey.
bool write_contact_sheet(const std::string& path, const std::vector<Indexed>& pics) {
    const int kWidth = 1360, kGap = 12, kLabel = 16;
    struct Place {
        int x, y;
    };
    std::vector<Place> at;
    int x = kGap, y = kGap, row_h = 0;
    for (const Indexed& p : pics) {
        if (x + p.w + kGap > kWidth) {
            x = kGap;
            y += row_h + kLabel + kGap;
            row_h = 0;
        }
        at.push_back({x, y});
        x += p.w + kGap;
        row_h = std::max(row_h, p.h);
    }
    Sheet s{kWidth, y + row_h + kLabel + kGap, {}};
    s.rgb.assign(size_t(s.w) * s.h * 3, 48);
    Font font("DejaVuSans.ttf", 11);
    Mask labels(s.w, s.h);
    for (size_t i = 0; i < pics.size(); ++i) {
        const Indexed& p = pics[i];
        std::vector<uint8_t> rgb = expand(p);
        for (int yy = 0; yy < p.h; ++yy)
            for (int xx = 0; xx < p.w; ++xx) {
                size_t k = (size_t(yy) * p.w + xx) * 3;
                s.put(at[i].x + xx, at[i].y + yy, rgb[k], rgb[k + 1], rgb[k + 2]);
            }
        char text[64];
        std::snprintf(text, sizeof text, "%s %dx%d", kPictures[i].file, p.w, p.h);
        font.draw(labels, at[i].x, at[i].y + p.h + 12, text);
    }
    for (int yy = 0; yy < s.h; ++yy)
        for (int xx = 0; xx < s.w; ++xx) {
            float a = labels.at(xx, yy);
            if (a > 0) {
                uint8_t v = uint8_t(48 + a * (220 - 48));
                s.put(xx, yy, v, v, v);
            }
        }
    return write_png(path, s.w, s.h, s.rgb);
}

} // namespace

bool write_pictures(const std::string& dir, const std::string& previews) {
    // Without its fonts every lettered picture would come out blank: refuse
    // rather than write them.
    for (const char* font : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf",
                             "DejaVuSans-BoldOblique.ttf"})
        if (!Font(font, 12).ok()) return false;
    std::vector<Indexed> done;
    for (const PictureEntry& pic : kPictures) {
        Canvas c = pic.paint();
        if (c.w != pic.w || c.h != pic.h) {
            std::fprintf(stderr, "vorn-gen: %s painted at %dx%d, expected %dx%d\n", pic.file, c.w,
                         c.h, pic.w, pic.h);
            return false;
        }
        QuantizeOptions opt;
        opt.dither = pic.dither;
        Indexed img = quantize(c, opt);
        if (!write_pcx(dir + "/" + pic.file, img)) return false;
        done.push_back(std::move(img));
    }
    if (!previews.empty() && (!write_contact_sheet(previews + "/pictures.png", done) ||
                              !write_metaball_mockup(dir, previews + "/metaballs.png")))
        return false;
    return true;
}
