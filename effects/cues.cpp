// Flash and overlay cues shared by the scenes (see cues.h).
#include "effects/cues.h"

#include <cstring>

#include "core/bands.h"
#include "core/screen.h"
#include "core/sync.h"

void flash_on_cue(Flash& flash, uint32_t* frame, int32_t tick) {
    const bool seen = sync_flag(1);
    if (seen) clear_sync_flag(1);
    flash_frame(flash, frame, tick, seen);
}

void backdrop_with_overlay_cue(uint32_t* frame, const Image& background, const Image& overlay,
                               uint32_t& overlay_start, int32_t tick) {
    if (!sync_flag(5)) {
        copy_frame(frame, background.pixels);
        return;
    }
    if (overlay_start == 0) overlay_start = static_cast<uint32_t>(tick);
    keyed_overlay(frame, overlay.pixels, background.pixels);
    if (static_cast<uint32_t>(tick) - overlay_start > 5u) {
        clear_sync_flag(5);
        overlay_start = 0;
    }
}
