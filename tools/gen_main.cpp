// vorn-gen: writes the show's data files (pictures, objects, soundtrack).
//
//   vorn-gen --out DIR [--previews DIR] [--icons DIR]
//                                         write every file into DIR
//   vorn-gen --timeline                   print the soundtrack's sync timeline
#include "generator.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

static void usage(std::FILE* f) {
    std::fputs("usage: vorn-gen --out DIR [--previews DIR] [--icons DIR]\n"
               "       vorn-gen --timeline\n"
               "Writes the show's pictures, objects and soundtrack into DIR;\n"
               "--previews also writes a contact sheet and object previews as PNG,\n"
               "--icons the program's icon in the hicolor theme's layout.\n"
               "--timeline prints the soundtrack's sync commands.\n",
               f);
}

static bool make_dir(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "vorn-gen: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    std::string out, previews, icons;
    bool timeline = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--out") && i + 1 < argc) {
            out = argv[++i];
        } else if (!std::strcmp(a, "--previews") && i + 1 < argc) {
            previews = argv[++i];
        } else if (!std::strcmp(a, "--icons") && i + 1 < argc) {
            icons = argv[++i];
        } else if (!std::strcmp(a, "--timeline")) {
            timeline = true;
        } else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "vorn-gen: unknown argument '%s'\n", a);
            usage(stderr);
            return 2;
        }
    }
    if (timeline) {
        print_timeline(stdout);
        if (out.empty()) return 0;
    }
    if (out.empty()) {
        usage(stderr);
        return 2;
    }
    if (!make_dir(out) || (!previews.empty() && !make_dir(previews))) return 1;
    if (!write_pictures(out, previews) || !write_objects(out, previews) || !write_soundtrack(out))
        return 1;
    if (!icons.empty() && !write_icons(icons)) return 1;
    return 0;
}
