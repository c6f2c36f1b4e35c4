// SDL audio output for the libxmp player, or silent real-time playback
// (see music_sdl.h).
#include "sdl/music_sdl.h"

#include "core/clock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

SdlMusic::~SdlMusic() {
    stop_output();
    player_.reset();
    if (audio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlMusic::open_device(const char* name) {
    SDL_AudioSpec want{}, have{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = audio_callback;
    want.userdata = this;
    device_ = SDL_OpenAudioDevice(name, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) return false;
    if (have.freq != 44100 && have.freq != 48000) {
        // Let SDL convert from 44.1 kHz rather than play at an odd rate.
        SDL_CloseAudioDevice(device_);
        device_ = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
        if (device_ == 0) return false;
    }
    rate_ = have.freq;
    device_frames_ = have.samples;
    return true;
}

bool SdlMusic::startup(const char* file_name, uint8_t configure) {
    // Start the audio subsystem; without it there is simply no device to find.
    audio_ = !no_sound_ && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!no_sound_ && !audio_) {
        const char* driver = SDL_getenv("SDL_AUDIODRIVER");
        std::fprintf(stderr,
                     "vorn: no sound output is available (%s%s%s), so the show plays "
                     "silently. Choose another driver with SDL_AUDIODRIVER (pulseaudio, "
                     "pipewire, alsa), or start with --no-sound to skip sound\n",
                     driver && *driver ? "SDL_AUDIODRIVER=" : "", driver && *driver ? driver : "",
                     driver && *driver ? (std::string(": ") + SDL_GetError()).c_str()
                                       : SDL_GetError());
    }

    if (audio_) {
        bool opened = configure == 0 && open_device(nullptr);
        if (!opened) {
            std::vector<std::string> buttons;
            const int n = SDL_GetNumAudioDevices(0);
            for (int i = 0; i < n; ++i) {
                const char* name = SDL_GetAudioDeviceName(i, 0);
                buttons.push_back(name ? name : "Output device");
            }
            buttons.push_back("No sound");
            buttons.push_back("Cancel");
            const int choice = dialogs_.choose("Choose the sound output", "Sound set-up", buttons);
            if (choice == static_cast<int>(buttons.size()) - 1) {
                std::fprintf(stderr, "vorn: the sound set-up was cancelled, so the show ends. To "
                                     "skip the question, start it with --auto-sound (the "
                                     "system's sound output) or --no-sound\n");
                return false;
            }
            if (choice < 0) {
                std::fprintf(stderr, "vorn: no sound device was found and no set-up dialog can be "
                                     "shown; playing without sound\n");
            } else if (choice < n) {
                if (!open_device(buttons[static_cast<size_t>(choice)].c_str())) {
                    std::fprintf(stderr, "vorn: cannot open %s: %s\n",
                                 buttons[static_cast<size_t>(choice)].c_str(), SDL_GetError());
                    return false;
                }
            }
        }
    }

    player_ = std::make_unique<XmpPlayer>();
    if (player_->load_file(file_name, module_file_)) return true;
    std::fprintf(stderr, "vorn: %s\n", player_->error().c_str());
    return false;
}

bool SdlMusic::start() {
    if (!player_) return false;
    player_->set_sync_queue(&queue_);
    if (!player_->start_from(rate_, start_)) {
        std::fprintf(stderr, "vorn: %s\n", player_->error().c_str());
        return false;
    }
    stopping_ = false;
    if (device_) heard_ = std::make_unique<HeardSample>(rate_, device_frames_);
    if (device_)
        SDL_PauseAudioDevice(device_, 0);
    else
        silent_ = std::thread(&SdlMusic::silent_loop, this);
    return true;
}

void SdlMusic::stop_output() {
    if (device_) {
        SDL_CloseAudioDevice(device_); // waits for the callback to return
        device_ = 0;
    }
    stopping_ = true;
    if (silent_.joinable()) silent_.join();
}

bool SdlMusic::shutdown() {
    stop_output();
    heard_.reset();
    if (player_) player_->stop();
    player_.reset();
    if (audio_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audio_ = false;
    }
    return true;
}

void SdlMusic::pause(bool paused) {
    // Playing on right after a seek (which pauses around itself) counts as the seek.
    if (!paused && paused_.load(std::memory_order_relaxed) && !sought_) resumed_ = true;
    paused_.store(paused, std::memory_order_release);
    if (device_) SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

// The audio thread held (the device locked), or the silent one stopped;
// the caller lets it go on.
void SdlMusic::hold_output() {
    if (device_) {
        SDL_LockAudioDevice(device_);
        return;
    }
    stopping_ = true;
    if (silent_.joinable()) silent_.join();
    stopping_ = false;
}

bool SdlMusic::seek(const MusicStart& from) {
    if (!player_) return false;
    // The output is held while the player and the counters start again.
    hold_output();
    const bool ok = player_->restart(rate_, from);
    queue_.clear();
    sought_ = true;
    pending_at_ = 0;
    played_.store(0, std::memory_order_release);
    song_over_.store(!ok, std::memory_order_release);
    if (device_) {
        heard_ = std::make_unique<HeardSample>(rate_, device_frames_);
        SDL_UnlockAudioDevice(device_);
    } else {
        silent_ = std::thread(&SdlMusic::silent_loop, this);
    }
    if (!ok) std::fprintf(stderr, "vorn: %s\n", player_->error().c_str());
    return ok;
}

bool SdlMusic::replace_module(std::shared_ptr<const FileRead> file, std::string& error) {
    auto loaded = std::make_unique<XmpPlayer>();
    if (!loaded->load_file("vorn.xm", std::move(file))) {
        error = loaded->error();
        return false;
    }
    loaded->set_sync_queue(&queue_);
    // Swapped while the output is held; it stays silent (as at the song's
    // end) until a seek starts the new module.
    hold_output();
    player_ = std::move(loaded);
    queue_.clear();
    pending_at_ = 0;
    song_over_.store(true, std::memory_order_release);
    if (device_) SDL_UnlockAudioDevice(device_);
    return true;
}

void SdlMusic::deliver_sync() {
    const int64_t mixed = played_.load(std::memory_order_acquire);
    int64_t heard = mixed;
    if (heard_) {
        heard = heard_->heard(clock_us());
        if (heard < 0) return; // the device has not asked for sound yet
        held_back_sum_ += static_cast<double>(mixed - heard);
        ++held_back_count_;
    }
    const int64_t due = heard - static_cast<int64_t>(offset_ms_) * rate_ / 1000;
    int64_t oldest = 0;
    if (queue_.next_sample(oldest) && oldest <= due) {
        late_all_.add(due - oldest);
        if (resumed_) late_after_resume_.add(due - oldest);
        if (sought_) late_after_seek_.add(due - oldest);
        resumed_ = sought_ = false;
    }
    queue_.deliver_due(due, callback_);
}

std::string SdlMusic::latency_report() const {
    std::string report;
    char line[200];
    if (held_back_count_) {
        std::snprintf(line, sizeof line,
                      "audio: %d Hz, device buffer %d frames; sync held back %.1f ms behind the "
                      "mix on average, plus an offset of %d ms\n",
                      rate_, device_frames_,
                      held_back_sum_ / static_cast<double>(held_back_count_) * 1000.0 / rate_,
                      offset_ms_);
        report += line;
    }
    const auto ms = [this](double frames) { return frames * 1000.0 / rate_; };
    const auto add = [&](const char* what, const Lateness& l) {
        if (!l.count) return;
        std::snprintf(line, sizeof line,
                      "sync applied after being heard%s: mean %.1f ms, max %.1f ms (%lld rows)\n",
                      what, ms(static_cast<double>(l.sum) / static_cast<double>(l.count)),
                      ms(static_cast<double>(l.max)), static_cast<long long>(l.count));
        report += line;
    };
    add("", late_all_);
    add(" (first after playing on from a pause)", late_after_resume_);
    add(" (first after a seek)", late_after_seek_);
    return report;
}

void SdlMusic::audio_callback(void* self, Uint8* stream, int len) {
    static_cast<SdlMusic*>(self)->fill(reinterpret_cast<int16_t*>(stream),
                                       static_cast<size_t>(len) / 4);
}

// Hands out the rendered ticks frame by frame, rendering the next tick when
// the current one is used up.
void SdlMusic::fill(int16_t* out, size_t frames) {
    if (heard_) heard_->on_callback(clock_us(), played_.load(std::memory_order_relaxed));
    while (frames > 0) {
        if (pending_at_ >= player_->sample_frames()) {
            pending_at_ = 0;
            if (song_over_.load(std::memory_order_relaxed) || !player_->play_tick()) {
                song_over_.store(true, std::memory_order_release);
                std::memset(out, 0, frames * 4);
                return;
            }
        }
        size_t n = std::min(frames, player_->sample_frames() - pending_at_);
        std::memcpy(out, player_->samples() + pending_at_ * 2, n * 4);
        out += n * 2;
        frames -= n;
        pending_at_ += n;
        played_.store(player_->tick_start() + static_cast<int64_t>(pending_at_),
                      std::memory_order_release);
    }
}

// Without a device the module still plays, one tick at a time at the pace
// of the clock, so the sync commands arrive when they would be heard.
void SdlMusic::silent_loop() {
    using clock = std::chrono::steady_clock;
    auto next = clock::now();
    while (!stopping_) {
        if (paused_.load(std::memory_order_acquire)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            next = clock::now(); // no music passes while paused
            continue;
        }
        if (!player_->play_tick()) {
            song_over_.store(true, std::memory_order_release);
            // Over: what the queue folded while it was full still goes in
            // once the main loop makes room.
            while (!stopping_ && !queue_.flush())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return;
        }
        played_.store(player_->tick_start(), std::memory_order_release);
        const auto tick = std::chrono::microseconds(static_cast<int64_t>(player_->sample_frames()) *
                                                    1000000 / rate_);
        next += tick;
        const auto now = clock::now();
        if (next < now - std::chrono::seconds(1))
            next = now; // fell far behind (suspended): do not race to catch up
        std::this_thread::sleep_until(next);
    }
}
