// Scene 7: the closing light maps (see scene7.h).
#include "scenes/scene7.h"

#include <cstdlib>

#include "assets/pcx.h"
#include "core/rand.h"
#include "core/screen.h"

Scene7 scene7;

void scene7_setup() {
    scene7.lights[0] = load_picture("a1txt.pcx", kFrameWidth, kFrameHeight);
    scene7.lights[1] = load_picture("a1light1.pcx", kFrameWidth, kFrameHeight);
    scene7.lights[2] = load_picture("a1light2.pcx", kFrameWidth, kFrameHeight);
    for (float& angle : scene7.angles)
        angle = static_cast<float>((vorn::rand() - 32768) / 32768.0);
    for (int i = 0; i < kLightCount; ++i)
        scene7.speeds[i] = kLightSpeeds[i];
}

void scene7_render(uint32_t* frame) {
    Scene7& s = scene7;
    for (int i = 0; i < kLightCount; ++i) {
        s.angles[i] = light_angle(s.speeds[i], tick_counter);
        s.levels[i] = light_level(s.angles[i], 0);
    }
    draw_light_maps(frame, s.lights, s.levels);
}

// Frees the three light maps, all that the scene loads.
void scene7_release() {
    for (Image& light : scene7.lights) {
        std::free(light.pixels);
        light = Image{};
    }
}
