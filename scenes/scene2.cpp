// Scene 2: wobbling picture window and greetings (see scene2.h).
#include "scenes/scene2.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "assets/pcx.h"
#include "core/bands.h"
#include "core/pixels4.h"
#include "core/rand.h"
#include "core/screen.h"
#include "core/sync.h"
#include "effects/cues.h"
#include "render/tables.h"

Scene2 scene2;

namespace {

// Each window pixel adds the picture texel displaced by two sine-table
// lookups; the displacement pattern runs 102 table steps per column and -136
// per row, and the phases swing it over time.
//
// As 102 = 34 * 3 and 136 = 34 * 4, a pixel's lookups are s + 34m with
// m = 3(x - 170) - 4(y - 10): the two displacements of every m the window
// meets are tabulated once per frame. The table keeps the m of each residue
// mod 3 apart, so that a row, whose m steps by 3, reads consecutive entries.
constexpr int32_t kLowestM = 3 * (kWindowLeft - 170) - 4 * (kWindowBottom - 10); // -873
constexpr int32_t kHighestM = 3 * (kWindowRight - 170) - 4 * (kWindowTop - 10);  // 413
constexpr int32_t kThirdOfMs = (kHighestM - kLowestM + 1) / 3;                   // 429
static_assert(kLowestM % 3 == 0 && (kHighestM - kLowestM + 1) % 3 == 0);

// shifts[r][j], for m = kLowestM + 3j + r: (j + du) mod 256 in bits 0..7 and
// dv mod 256 in bits 8..15 (bits 16..31 are 0). With j folded in, the column
// a row meets at entry j is j plus a constant of the row, so one byte-wise add
// of (that constant, y) gives u and v, which are wanted mod 256 anyway.
using Displacements = uint32_t[3][kThirdOfMs];

void tabulate_displacements(Displacements& shifts, int32_t s1, int32_t s2) {
    for (int32_t k = 0; k < 3 * kThirdOfMs; ++k) {
        const int32_t m = kLowestM + k;
        const int32_t du = sine_table[(s1 + 34 * m) & 65535] >> 9;
        const int32_t dv = sine_table[(s2 + 34 * m) & 65535] >> 9;
        const int32_t j = k / 3;
        shifts[k % 3][j] =
            (static_cast<uint32_t>(j + du) & 255u) | (static_cast<uint32_t>(dv) & 255u) << 8;
    }
}

// Rows top .. bottom - 1 of the window.
void window_rows(uint32_t* frame, const uint32_t* picture, const Displacements& shifts, int32_t s1,
                 int32_t s2, int32_t top, int32_t bottom) {
    for (int32_t y = top; y < bottom; ++y) {
        const int32_t p = 136 * (y - 10);
        uint32_t* row = frame + y * kFrameWidth;
        // Column kWindowLeft + i reads entry j0 + i of its residue's table.
        const int32_t k = 3 * (kWindowLeft - 170) - 4 * (y - 10) - kLowestM;
        const int32_t j0 = k / 3;
        const uint32_t* row_shifts = shifts[k % 3] + j0;
        // Added byte by byte: u = x + du in byte 0, v = y + dv in byte 1, so
        // each lane is the texel's index v * 256 + u.
        const px4::Pixels4 origin = px4::splat((static_cast<uint32_t>(kWindowLeft - j0) & 255u) |
                                               (static_cast<uint32_t>(y) & 255u) << 8);
        int32_t x = kWindowLeft;
        for (; x + 4 <= kWindowRight + 1; x += 4, row_shifts += 4) {
            using namespace px4;
            const Pixels4 at = add_bytes(load(row_shifts), origin);
            // Two indices per 64-bit move: bits 16..31 of every lane are 0.
            const uint64_t first = low64(at), second = high64(at);
            const Pixels4 texels =
                gather(picture[static_cast<uint32_t>(first)], picture[first >> 32],
                       picture[static_cast<uint32_t>(second)], picture[second >> 32]);
            store(row + x, add_bytes_saturate(load(row + x), texels & splat(0x00FFFFFFu)));
        }
        for (; x <= kWindowRight; ++x) {
            const int32_t q = 102 * (x - 170);
            const int32_t du = sine_table[(s1 + q - p) & 65535] >> 9;
            const int32_t dv = sine_table[(s2 + q - p) & 65535] >> 9;
            const uint32_t u = static_cast<uint32_t>(x + du) & 255u;
            const uint32_t v = static_cast<uint32_t>(y + dv) & 255u;
            row[x] = add_saturate(row[x], picture[v * 256 + u]);
        }
    }
}

void draw_window(uint32_t* frame, const uint32_t* picture, int32_t s1, int32_t s2) {
    Displacements shifts; // read by both bands
    tabulate_displacements(shifts, s1, s2);
    for_each_band(
        [&shifts, frame, picture, s1, s2](const Band& band) {
            window_rows(frame, picture, shifts, s1, s2, std::max(band.top, kWindowTop),
                        std::min(band.bottom, kWindowBottom + 1));
        },
        (kWindowTop + kWindowBottom + 1) / 2);
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
        int32_t i = 0;
        for (; i + 4 <= kGreetingWidth; i += 4) {
            using namespace px4;
            // add_saturate keeps the frame's top byte: the greeting's is cleared.
            store(row + i, add_bytes_saturate(load(row + i), load(src + i) & splat(0x00FFFFFFu)));
        }
        for (; i < kGreetingWidth; ++i)
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

// Frees the overlay and the background; the two pictures, the greetings and
// the rest stay until the process ends.
void scene2_release() {
    std::free(scene2.overlay.pixels);
    scene2.overlay = Image{};
    std::free(scene2.background.pixels);
    scene2.background = Image{};
}
