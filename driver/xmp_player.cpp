// libxmp playback one tick at a time, calling the sync function on each row
// entered (see xmp_player.h).
#include "driver/xmp_player.h"

XmpPlayer::XmpPlayer() : ctx_(xmp_create_context()) {}

XmpPlayer::~XmpPlayer() {
    stop();
    if (ctx_) xmp_free_context(ctx_);
}

bool XmpPlayer::load(const std::vector<uint8_t>& module) {
    stop();
    if (!ctx_) {
        error_ = "out of memory";
        return false;
    }
    std::vector<uint8_t> blanked;
    if (!read_xm_sync(module.data(), module.size(), sync_, &blanked)) {
        error_ = "not a readable XM module";
        return false;
    }
    if (xmp_load_module_from_memory(ctx_, blanked.data(), static_cast<long>(blanked.size())) != 0) {
        error_ = "the player refused the module";
        return false;
    }
    loaded_ = true;
    return true;
}

bool XmpPlayer::start(int rate) {
    if (!loaded_ || playing_) return false;
    if (xmp_start_player(ctx_, rate, 0) != 0) {
        error_ = "the player cannot start";
        return false;
    }
    playing_ = true;
    return true;
}

bool XmpPlayer::play_tick() {
    if (!playing_ || xmp_play_frame(ctx_) != 0) return false;
    xmp_get_frame_info(ctx_, &info_);
    if (info_.frame == 0) {
        SyncFunction f = sync_function_.load(std::memory_order_acquire);
        if (f) {
            for (uint8_t v : sync_.at(info_.pattern, info_.row))
                f(v);
        }
    }
    return true;
}

void XmpPlayer::stop() {
    if (playing_) {
        xmp_end_player(ctx_);
        playing_ = false;
    }
    if (loaded_) {
        xmp_release_module(ctx_);
        loaded_ = false;
    }
}
