// What each scene does with each sync flag it reads: the --check report and
// the makers' guide name flags by what they do on screen.
#pragma once
#include <cstdint>

struct SceneFlag {
    int scene;
    int flag;
    const char* effect; // "the sky flashes white"
};

// Every flag a scene reads, in scene then flag order.
const SceneFlag* scene_flags_begin();
const SceneFlag* scene_flags_end();

// The flags (bit k for flag k) scene `scene` reads; 0 for scenes 8..31.
uint16_t scene_read_flags(int scene);
// What `flag` does in `scene`, or null when the scene does not read it.
const char* scene_flag_effect(int scene, int flag);
