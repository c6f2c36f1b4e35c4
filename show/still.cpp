// Stills: one frame of one scene, rendered without window or sound and
// written as a PNG (see still.h).
#include "show/still.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/screen.h"
#include "core/sync.h"
#include "scenes/scenes.h"
#include "show/png_write.h"

namespace {

constexpr int kBadArgument = 2;

struct StillRequest {
    int scene = 0;
    int32_t tick = 0;
    bool flags[kSyncFlagCount + 1] = {};
};

// A whole field of decimal digits within [low, high].
bool parse_number(std::string_view text, int64_t low, int64_t high, int64_t& out) {
    if (text.empty() || text.size() > 10) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < low || value > high) return false;
    out = value;
    return true;
}

// "SCENE:TICK[:FLAGS]"; on a bad field, `why` names it.
bool parse_request(std::string_view request_text, StillRequest& req, const char*& why) {
    const size_t first = request_text.find(':');
    if (first == std::string_view::npos) {
        why = "expected SCENE:TICK[:FLAGS]";
        return false;
    }
    const std::string_view scene = request_text.substr(0, first);
    std::string_view rest = request_text.substr(first + 1);
    const size_t second = rest.find(':');
    const std::string_view tick = rest.substr(0, second);
    int64_t value = 0;
    if (!parse_number(scene, 0, kSceneCount - 1, value)) {
        why = "SCENE must be a number from 0 to 7";
        return false;
    }
    req.scene = static_cast<int>(value);
    if (!parse_number(tick, 0, INT32_MAX, value)) {
        why = "TICK must be a number from 0 to 2147483647";
        return false;
    }
    req.tick = static_cast<int32_t>(value);
    if (second == std::string_view::npos) return true;
    std::string_view flags = rest.substr(second + 1);
    while (true) {
        const size_t comma = flags.find(',');
        if (!parse_number(flags.substr(0, comma), 1, kSyncFlagCount, value)) {
            why = "FLAGS must be sync flag numbers from 1 to 9 joined by commas";
            return false;
        }
        req.flags[value] = true;
        if (comma == std::string_view::npos) return true;
        flags = flags.substr(comma + 1);
    }
}

} // namespace

int run_still(const std::string& request_text, const std::string& out_png) {
    StillRequest req;
    const char* why = "";
    if (!parse_request(request_text, req, why)) {
        std::fprintf(stderr, "vorn: bad --still argument \"%s\": %s\n", request_text.c_str(), why);
        return kBadArgument;
    }
    if (out_png.empty()) {
        std::fprintf(stderr, "vorn: --still needs --out FILE.png\n");
        return kBadArgument;
    }

    set_up_scenes();
    const auto& scenes = scene_table();
    for (int k = 1; k <= kSyncFlagCount; ++k)
        if (req.flags[k]) raise_sync_flag(k);
    tick_counter = req.tick;

    std::vector<uint32_t> frame(kFramePixels, 0u);
    scenes[req.scene].render(frame.data());
    std::fflush(stdout);

    std::string error;
    const bool written = write_png_rgb(out_png, frame.data(), kFrameWidth, kFrameHeight, error);
    for (const SceneOps& ops : scenes)
        ops.release();
    if (!written) {
        std::fprintf(stderr, "vorn: cannot write \"%s\": %s\n", out_png.c_str(), error.c_str());
        return kBadArgument;
    }
    return 0;
}
