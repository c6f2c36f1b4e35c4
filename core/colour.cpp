// Whole-frame colour operations and the flash fades (see colour.h).
#include "core/colour.h"

#include <cmath>

#include "core/bands.h"
#include "core/pixels4.h"
#include "core/screen.h"

void brighten(uint32_t* frame, uint32_t amount) {
    const uint32_t add = (amount & 0xFFu) * 0x00010101u;
    for_each_band([frame, add](const Band& band) {
        int32_t p = band.first_pixel();
        const int32_t end = band.end_pixel();
        for (; p + 4 <= end; p += 4)
            px4::store(frame + p, px4::add_bytes_saturate(px4::load(frame + p), px4::splat(add)));
        for (; p < end; ++p)
            frame[p] = add_saturate(frame[p], add);
    });
}

void keyed_overlay(uint32_t* frame, const uint32_t* overlay, const uint32_t* background) {
    for_each_band([=](const Band& band) {
        int32_t p = band.first_pixel();
        const int32_t end = band.end_pixel();
        for (; p + 4 <= end; p += 4) {
            using namespace px4;
            const Pixels4 o = load(overlay + p);
            store(frame + p, select(is_zero(o & splat(0x00FFFFFFu)), load(background + p), o));
        }
        for (; p < end; ++p) {
            const uint32_t o = overlay[p];
            frame[p] = (o & 0x00FFFFFFu) != 0 ? o : background[p];
        }
    });
}

uint32_t flash_fade(Fade fade, int32_t tick, uint32_t start_tick) {
    const uint32_t t = static_cast<uint32_t>(tick);
    if (fade == Fade::Quick) {
        const uint32_t q = (t * 510u - start_tick * 510u) / 70u;
        return q <= 255u ? 255u - q : 0u;
    }
    const uint32_t d = t * 255u - start_tick * 255u;
    const double level = std::trunc(255.0 - static_cast<double>(d) * 0.5 / 70.0);
    return level >= 0.0 ? static_cast<uint32_t>(level) : 0u;
}

bool flash_frame(Flash& flash, uint32_t* frame, int32_t tick, bool triggered) {
    if (triggered) {
        flash.amount = 255;
        flash.start_tick = static_cast<uint32_t>(tick);
    } else if (flash.amount == 0) {
        return false;
    }
    brighten(frame, flash.amount);
    flash.amount = flash_fade(flash.fade, tick, flash.start_tick);
    return true;
}
