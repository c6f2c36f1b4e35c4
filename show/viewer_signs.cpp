// The words of the viewer's signs (see viewer_signs.h).
#include "show/viewer_signs.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

std::string time_text(int64_t ms) {
    ms = std::max<int64_t>(0, ms);
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64 ":%02" PRId64 ".%02" PRId64, ms / 60000,
                  ms / 1000 % 60, ms / 10 % 100);
    return text;
}

std::string jump_caption(int order, int scene, int64_t ms) {
    std::string text = "order " + std::to_string(order) + " \u00b7 ";
    if (scene >= 0) text += "scene " + std::to_string(scene) + " \u00b7 ";
    return text + time_text(ms);
}
