// libxmp playback one tick at a time, with the sync values of each row
// entered (see xmp_player.h).
#include "music/xmp_player.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "assets/load_report.h"

namespace {

std::string full_path(const char* path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.string();
}

} // namespace

std::shared_ptr<const FileRead> read_module_file(const char* path) {
    return std::make_shared<const FileRead>(read_file_bytes(path, kMaxModuleFileBytes));
}

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
        if (module.size() < 17 || std::memcmp(module.data(), "Extended Module: ", 17) != 0)
            error_ = "it is not an XM module (it does not start with \"Extended Module: \"). The "
                     "show plays FastTracker 2 XM modules: save the music as .xm, e.g. with "
                     "MilkyTracker or OpenMPT";
        else
            error_ = "its XM header or patterns are damaged or cut short (the file is " +
                     std::to_string(module.size()) + " bytes). Replace it with a whole copy";
        return false;
    }
    if (xmp_load_module_from_memory(ctx_, blanked.data(), static_cast<long>(blanked.size())) != 0) {
        error_ = "libxmp, which plays the music, refused it: its instruments or samples are "
                 "damaged. Open and save it again in a tracker, or replace it with a whole copy";
        return false;
    }
    loaded_ = true;
    return true;
}

bool XmpPlayer::load_file(const char* path, std::shared_ptr<const FileRead> module) {
    path_ = full_path(path);
    if (!module) module = read_module_file(path);
    if (module->too_large) {
        error_ =
            "cannot load " + full_path(path) + ": " +
            too_large_reason(module->size, kMaxModuleFileBytes, "XM module the show can play") +
            ". Use a FastTracker 2 XM module of at most " +
            std::to_string(kMaxModuleFileBytes >> 20) + " MiB";
        return false;
    }
    if (!module->read()) {
        error_ = "cannot read " + full_path(path) + ": " + read_failure_reason(*module);
        return false;
    }
    if (load(module->bytes)) {
        if (sync_.declared_bytes > module->bytes.size())
            std::fprintf(stderr,
                         "vorn: warning: %s is cut short: the file holds %zu bytes but its "
                         "instruments need at least %llu, so some of them play silent or not at "
                         "all. Replace it with a whole copy\n",
                         full_path(path).c_str(), module->bytes.size(),
                         static_cast<unsigned long long>(sync_.declared_bytes));
        return true;
    }
    error_ = "cannot load " + full_path(path) + ": " + error_;
    return false;
}

bool XmpPlayer::start_from(int rate, const MusicStart& from) {
    const SongPosition at = from.at;
    const int order = at.order;
    if (!loaded_ || playing_) return false;
    const std::string module = "cannot play " + (path_.empty() ? "the module" : path_) + ": ";
    if (sync_.orders.empty()) {
        error_ = module + "its song is empty (song length 0, no order positions); give it at "
                          "least one position in its order list";
        return false;
    }
    if (order < 0 || order >= static_cast<int>(sync_.orders.size())) {
        error_ = module + "it has no order position " + std::to_string(order);
        return false;
    }
    if (xmp_start_player(ctx_, rate, 0) != 0) {
        error_ = module + "the player cannot start";
        return false;
    }
    playing_ = true;
    if (order > 0 && xmp_set_position(ctx_, order) < 0) {
        stop_player();
        error_ = module + "the player cannot go to order position " + std::to_string(order);
        return false;
    }
    if (at.row > 0 && xmp_set_row(ctx_, at.row) < 0) {
        stop_player();
        error_ = module + "the player cannot go to row " + std::to_string(at.row) +
                 " of order position " + std::to_string(order);
        return false;
    }
    tick_start_ = rendered_ = 0;
    info_ = xmp_frame_info{};
    cut_ = 0;
    // Half a frame up, as the recording's own sample counts round.
    skip_left_ = (2 * std::max<int64_t>(0, from.skip) * rate + MusicStart::kSkipRate) /
                 (2 * MusicStart::kSkipRate);
    first_tick_ = true;
    first_row_values_ = from.row_values;
    return true;
}

const std::vector<uint8_t>& XmpPlayer::row_sync() const {
    static const std::vector<uint8_t> none;
    return playing_ && values_now_ && info_.frame == 0 ? sync_.at(info_.pattern, info_.row) : none;
}

bool XmpPlayer::play_tick() {
    // What the queue folded while it was full goes in as soon as there is
    // room, also when no row brings values any more or the song is over.
    if (queue_) queue_->flush();
    if (!playing_) return false;
    // After a start inside a row: the ticks before the moment are dropped
    // whole, the one it falls in is cut.
    for (;;) {
        if (xmp_play_frame(ctx_) != 0) return false;
        xmp_get_frame_info(ctx_, &info_);
        const int64_t frames = info_.buffer_size / 4;
        const bool first = first_tick_;
        first_tick_ = false;
        cut_ = 0;
        values_now_ = !first || first_row_values_;
        if (skip_left_ < frames) {
            cut_ = static_cast<size_t>(skip_left_);
            values_now_ = values_now_ && cut_ == 0;
            skip_left_ = 0;
            break;
        }
        skip_left_ -= frames;
    }
    tick_start_ = rendered_;
    rendered_ += static_cast<int64_t>(sample_frames());
    if (queue_)
        for (uint8_t v : row_sync())
            queue_->push({tick_start_, v});
    return true;
}

void XmpPlayer::stop_player() {
    if (playing_) {
        xmp_end_player(ctx_);
        playing_ = false;
    }
}

bool XmpPlayer::restart(int rate, const MusicStart& from) {
    stop_player();
    return start_from(rate, from);
}

void XmpPlayer::stop() {
    stop_player();
    if (loaded_) {
        xmp_release_module(ctx_);
        loaded_ = false;
    }
}
