// The frame on screen as a numbered PNG (see saved_frame.h).
#include "show/saved_frame.h"

#include <cstdio>
#include <filesystem>

#include "core/screen.h"
#include "show/png_write.h"

void save_numbered_frame(const uint32_t* frame, const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (int n = 1; n < 10000; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "vorn-frame-%04d.png", n);
        const fs::path path = fs::absolute(fs::path(folder) / name, ec);
        if (fs::exists(path, ec)) continue;
        std::string error;
        if (write_png_rgb(path.string(), frame, kFrameWidth, kFrameHeight, error))
            std::fprintf(stderr, "vorn: saved the frame as %s\n", path.c_str());
        else
            std::fprintf(stderr, "vorn: cannot save the frame: %s\n", error.c_str());
        return;
    }
    std::fprintf(stderr,
                 "vorn: cannot save the frame: vorn-frame-0001.png to 9999 all exist in %s\n",
                 folder.c_str());
}
