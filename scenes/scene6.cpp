// Scene 6: metaballs over a picture (see scene6.h).
#include "scenes/scene6.h"

#include <cstring>

#include "assets/pcx.h"
#include "core/bands.h"
#include "core/pixels4.h"
#include "core/screen.h"
#include "core/sync.h"
#include "effects/cues.h"
#include "metaball/metaball.h"

Scene6 scene6;

namespace {

// Adds the picture onto the frame with saturation, leaving the frame alone
// where the picture is black.
void add_picture(uint32_t* frame, const uint32_t* picture) {
    int32_t i = 0;
    for (; i + 4 <= kFramePixels; i += 4) {
        using namespace px4;
        // The frame's top bytes are cleared so that the picture's pass through.
        const Pixels4 p = load(picture + i), f = load(frame + i);
        const Pixels4 sum = add_bytes_saturate(p, f & splat(0x00FFFFFFu));
        store(frame + i, select(is_zero(p & splat(0x00FFFFFFu)), f, sum));
    }
    for (; i < kFramePixels; ++i) {
        const uint32_t p = picture[i];
        if ((p & 0x00FFFFFFu) != 0) frame[i] = add_saturate(p, frame[i]);
    }
}

} // namespace

void scene6_setup() {
    Scene6& s = scene6;
    metaball_setup();
    s.flash_picture = load_picture("omla.pcx", kFrameWidth, kFrameHeight);
    s.background = load_picture("backgr4.pcx", kFrameWidth, kFrameHeight);
    s.flash = Flash{Fade::Quick};
}

void scene6_render(uint32_t* frame) {
    Scene6& s = scene6;
    const int32_t t = tick_counter;

    copy_frame(frame, s.background.pixels);
    metaball_frame(frame);

    if (sync_flag(5)) {
        add_picture(frame, s.flash_picture.pixels);
        clear_sync_flag(5);
    }

    flash_on_cue(s.flash, frame, t);
}

// Frees the metaball renderer's buffers; the two pictures stay until the
// process ends.
void scene6_release() {
    metaball_release();
}
