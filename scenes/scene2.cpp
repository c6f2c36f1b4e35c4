// Scene 2: wobbling picture window and greetings (see scene2.h).
#include "scenes/scene2.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "assets/pcx.h"
#include "core/rand.h"
#include "core/screen.h"
#include "core/sync.h"
#include "render/tables.h"
#include "scenes/cues.h"

Scene2 scene2;

namespace {

// Each window pixel adds the picture texel displaced by two sine-table
// lookups; the displacement pattern runs 102 table steps per column and -136
// per row, and the phases swing it over time.
void draw_window(uint32_t* frame, const uint32_t* picture, int32_t s1, int32_t s2) {
    for (int32_t y = kWindowTop; y <= kWindowBottom; ++y) {
        const int32_t p = 136 * (y - 10);
        uint32_t* row = frame + y * kFrameWidth;
        for (int32_t x = kWindowLeft; x <= kWindowRight; ++x) {
            const int32_t q = 102 * (x - 170);
            const int32_t du = sine_table[(s1 + q - p) & 65535] >> 9;
            const int32_t dv = sine_table[(s2 + q - p) & 65535] >> 9;
            const uint32_t u = static_cast<uint32_t>(x + du) & 255u;
            const uint32_t v = static_cast<uint32_t>(y + dv) & 255u;
            row[x] = add_saturate(row[x], picture[v * 256 + u]);
        }
    }
}

void draw_window_frame(uint32_t* frame, uint32_t colour) {
    for (int32_t x = kWindowLeft - 1; x <= kWindowRight + 1; ++x) {
        frame[(kWindowTop - 1) * kFrameWidth + x] = colour;
        frame[(kWindowBottom + 1) * kFrameWidth + x] = colour;
    }
    for (int32_t y = kWindowTop - 1; y <= kWindowBottom + 1; ++y) {
        frame[y * kFrameWidth + kWindowLeft - 1] = colour;
        frame[y * kFrameWidth + kWindowRight + 1] = colour;
    }
}

// Greeting `index` sits 20 rows lower per slot, shaken by up to 29 pixels
// right and down: columns 0..148 and rows 0..208 at most.
void draw_greeting(uint32_t* frame, const uint32_t* greeting, int32_t index) {
    const int32_t xo = vorn::rand() % 30;
    const int32_t yo = vorn::rand() % 30;
    for (int32_t j = 0; j < kGreetingRows; ++j) {
        const uint32_t* src = greeting + j * kGreetingWidth;
        uint32_t* row = frame + (yo + j + 20 * index) * kFrameWidth + xo;
        for (int32_t i = 0; i < kGreetingWidth; ++i)
            row[i] = add_saturate(row[i], src[i]);
    }
}

} // namespace

void scene2_setup() {
    Scene2& s = scene2;
    s.pictures[0] = load_picture("brisel2.pcx", 256, 256);
    s.pictures[1] = load_picture("brisel.pcx", 256, 256);
    const char* greeting_files[kGreetingImages] = {"greets1.pcx", "greets2.pcx", "greets3.pcx",
                                                   "greets4.pcx", "qol.pcx"};
    for (int i = 0; i < kGreetingImages; ++i)
        s.greetings[i] = load_picture(greeting_files[i], kGreetingWidth, kGreetingRows);
    s.background = load_picture("backgr3.pcx", kFrameWidth, kFrameHeight);
    s.overlay = load_picture("kjetweak.pcx", kFrameWidth, kFrameHeight);
    const uint8_t slots[kGreetingSlots] = {0, 4, 1, 4, 2, 4, 3, 4};
    std::memcpy(s.greeting_slots, slots, sizeof slots);
    s.frame_colour = kWindowFrameColour;
    s.overlay_start = 0;
    s.greeting_index = -1;
    s.picture_choice = 0;
}

void scene2_render(uint32_t* frame) {
    Scene2& s = scene2;
    const int32_t t = tick_counter;

    if (sync_flag(4)) {
        s.picture_choice = static_cast<uint8_t>(1 - s.picture_choice);
        clear_sync_flag(4);
    }

    backdrop_with_overlay_cue(frame, s.background, s.overlay, s.overlay_start, t);

    flash_on_cue(s.flash, frame, t);

    s.phase1 = static_cast<int32_t>(std::sin(t * 0.02 + 1.0) * 32000);
    s.phase2 = static_cast<int32_t>(std::cos(t * 0.017 + 0.5) * 32000);
    draw_window(frame, s.pictures[s.picture_choice & 1].pixels, s.phase1, s.phase2);
    draw_window_frame(frame, s.frame_colour);

    if (sync_flag(6)) {
        // Held at 8 once every slot has been shown, so it cannot overflow.
        if (s.greeting_index < kGreetingSlots) ++s.greeting_index;
        clear_sync_flag(6);
    }
    if (s.greeting_index >= 0 && s.greeting_index < kGreetingSlots)
        draw_greeting(frame,
                      s.greetings[s.greeting_slots[s.greeting_index] % kGreetingImages].pixels,
                      s.greeting_index);
}

void scene2_release() {
    std::free(scene2.overlay.pixels);
    scene2.overlay = Image{};
    std::free(scene2.background.pixels);
    scene2.background = Image{};
}
