// How long each scene plays in the show's module, for the benchmark's
// whole-show line: the module's sync timeline walked without sound, each scene
// counted from the value that selects it to the next scene value (or the end).
#include "bench/show_weights.h"

#include <fstream>
#include <iterator>

#include "music/music_timeline.h"

std::array<double, kSceneCount> scene_play_ms(const std::string& module_path) {
    std::array<double, kSceneCount> ms{};
    std::ifstream in(module_path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    int scene = -1;
    int64_t since = 0;
    for (const SyncEvent& e : walk_sync_timeline(bytes, 60 * 60 * 1000)) {
        if (e.value >= 32) continue; // flags
        if (scene >= 0 && scene < kSceneCount)
            ms[static_cast<size_t>(scene)] += double(e.time_ms - since);
        scene = e.value;
        since = e.time_ms;
    }
    return ms;
}
