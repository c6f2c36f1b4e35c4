// Scene 2: a framed window on the right in which a 256 x 256 picture is added
// to the background through a moving sine-wave displacement, greetings shaken
// at random on the left, an overlay picture for a few ticks on sync flag 5,
// the other picture on sync flag 4, the next greeting on sync flag 6 and a
// white flash fading over 35 ticks on sync flag 1.
//
// Ticks are 1/70 s; sine-table angles are 65536 steps per turn.
#pragma once
#include <cstdint>

#include "core/colour.h"
#include "core/image.h"

// The window: columns 171..309, rows 11..229; its frame lines run along rows
// 10 and 230 and columns 170 and 310.
constexpr int32_t kWindowLeft = 171;
constexpr int32_t kWindowRight = 309;
constexpr int32_t kWindowTop = 11;
constexpr int32_t kWindowBottom = 229;
constexpr uint32_t kWindowFrameColour = 0x00DCDCFFu;

constexpr int32_t kGreetingWidth = 120;
constexpr int32_t kGreetingRows = 40;
constexpr int32_t kGreetingImages = 5; // greets1..greets4, qol
constexpr int32_t kGreetingSlots = 8;

struct Scene2 {
    Image pictures[2];                // 256 x 256: "brisel2.pcx", "brisel.pcx"
    Image greetings[kGreetingImages]; // 120 wide, 40 rows used
    uint8_t greeting_slots[kGreetingSlots] = {0, 4, 1, 4, 2, 4, 3, 4}; // into greetings
    Image background;                                                  // 320 x 240: "backgr3.pcx"
    Image overlay;                                                     // 320 x 240: "kjetweak.pcx"
    uint32_t frame_colour = kWindowFrameColour;
    uint8_t picture_choice = 0;  // 0 or 1: which picture the window shows
    int32_t greeting_index = -1; // slot shown; -1 none yet, 8 all shown
    uint32_t overlay_start = 0;  // tick the running overlay began; 0 = none
    Flash flash{Fade::Quick};
    int32_t phase1 = 0; // s1 and s2 of this frame: sine-table offsets of the
    int32_t phase2 = 0; // horizontal and vertical displacement
};

extern Scene2 scene2;

void scene2_setup();
void scene2_render(uint32_t* frame);
void scene2_release();
