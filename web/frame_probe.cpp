// Frames rendered outside the main loop (see frame_probe.h).
#include "web/frame_probe.h"

#include <cstddef>
#include <vector>

#include "core/screen.h"
#include "core/sync.h"
#include "scenes/scenes.h"

namespace {
std::vector<uint32_t>& probe_buffer() {
    static std::vector<uint32_t> frame(kFramePixels, 0u);
    return frame;
}
} // namespace

uint32_t fnv1a32(const uint32_t* words, size_t n) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < n; ++i)
        for (int b = 0; b < 32; b += 8) {
            h ^= (words[i] >> b) & 0xFFu;
            h *= 16777619u;
        }
    return h;
}

void probe_setup() {
    set_up_scenes();
}

void probe_render(int scene, int32_t tick) {
    tick_counter = tick;
    scene_table()[static_cast<size_t>(scene)].render(probe_buffer().data());
}

uint32_t probe_frame(int scene, int32_t tick, uint32_t flags) {
    for (int k = 1; k <= kSyncFlagCount; ++k)
        if (flags & (1u << k)) raise_sync_flag(k);
    probe_render(scene, tick);
    return fnv1a32(probe_buffer().data(), probe_buffer().size());
}

void probe_release() {
    for (const SceneOps& s : scene_table())
        s.release();
}
