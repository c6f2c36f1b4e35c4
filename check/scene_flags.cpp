// The flags each scene reads and what they do (see scene_flags.h).
#include "check/scene_flags.h"

#include <iterator>

namespace {

constexpr SceneFlag kSceneFlags[] = {
    {0, 3, "the lights swell toward white"},
    {0, 4, "the three light pictures come on, from then on"},
    {1, 1, "the sky flashes white"},
    {1, 4, "the knot shakes"},
    {1, 5, "the \"QOLTRAX on VORN\" picture flashes up"},
    {1, 6, "the dot cloud and the knot swap places"},
    {2, 1, "the picture flashes white"},
    {2, 4, "the window shows its other picture"},
    {2, 5, "\"zurnik tweaked every pixel\" flashes up"},
    {2, 6, "the next greeting shows"},
    {3, 1, "the noise flashes white"},
    {4, 1, "the picture flashes white"},
    {5, 1, "the picture flashes white"},
    {5, 4, "the grid's faces show, from then on"},
    {6, 1, "the picture flashes white"},
    {6, 5, "the \"Q\" in its ring of rays flashes up"},
};

} // namespace

const SceneFlag* scene_flags_begin() {
    return std::begin(kSceneFlags);
}
const SceneFlag* scene_flags_end() {
    return std::end(kSceneFlags);
}

uint16_t scene_read_flags(int scene) {
    uint16_t bits = 0;
    for (const SceneFlag& f : kSceneFlags)
        if (f.scene == scene) bits = static_cast<uint16_t>(bits | 1u << f.flag);
    return bits;
}

const char* scene_flag_effect(int scene, int flag) {
    for (const SceneFlag& f : kSceneFlags)
        if (f.scene == scene && f.flag == flag) return f.effect;
    return nullptr;
}
