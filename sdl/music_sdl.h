// The music layer: the module played by libxmp, heard through an SDL audio
// device, or played silently at real-time pace on a thread of its own when
// there is no sound, so its sync commands drive the show either way.
//
//   startup(file, configure)  opens the default output device (configure 0)
//                             or asks which one (any other value: a dialog
//                             listing the devices, "No sound" and "Cancel";
//                             Cancel fails), then loads the module.
//   start()                   begins playback (looping) at the start row
//                             and installs the sync callback.
//   deliver_sync()            hands the sync values of every row that is
//                             heard by now (see heard_sample.h; the silent
//                             clock is heard at once), shifted by the
//                             user's audio offset, to the sync callback.
//   pause(on)                 the device plays silence (or the silent
//                             thread waits) and no music passes
//   start_from(from)          before start(): where it plays from (a row,
//                             or a moment inside one)
//   seek(from)                plays on from there: the
//                             queue is dropped, the heard clock starts over
//   replace_module(file, error)
//                             loads another module (the data folder's
//                             changed); silent until the next seek(), which
//                             plays it from that row. False with the reason
//                             in `error`, the module playing kept.
//   shutdown()                removes the callback, stops, frees, closes.
#pragma once
#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include <SDL.h>

#include "music/heard_sample.h"
#include "music/xmp_player.h"
#include "show/platform.h"

class SdlMusic : public Music {
  public:
    SdlMusic(Dialogs& dialogs, bool no_sound, SyncFunction callback)
        : dialogs_(dialogs), no_sound_(no_sound), callback_(callback) {}
    ~SdlMusic() override;

    bool startup(const char* file_name, uint8_t configure) override;
    bool start() override;
    bool shutdown() override;
    void deliver_sync() override;
    void pause(bool paused) override;
    bool seek(const MusicStart& from) override;
    void start_from(const MusicStart& from) override { start_ = from; }
    bool song_over() override { return song_over_.load(std::memory_order_acquire); }
    bool replace_module(std::shared_ptr<const FileRead> file, std::string& error);

    // Positive: sync values take effect later than the heard sample (ms).
    void set_audio_offset_ms(int ms) { offset_ms_ = ms; }
    // The module file as already read, for startup() to load instead of
    // reading it again.
    void set_module_file(std::shared_ptr<const FileRead> file) { module_file_ = std::move(file); }
    // For --stats: how far the sync values were held back behind the mixed
    // sound on average (empty without a sound device), and how long after
    // their row was heard they were applied: in all, and the first ones
    // after each play-on from a pause and after each seek.
    std::string latency_report() const;

  private:
    void hold_output();
    static void audio_callback(void* self, Uint8* stream, int len);
    void fill(int16_t* out, size_t frames);
    void silent_loop();
    bool open_device(const char* name);
    void stop_output();

    Dialogs& dialogs_;
    bool no_sound_;
    SyncFunction callback_;
    bool audio_ = false;
    SDL_AudioDeviceID device_ = 0;
    int rate_ = 44100;
    std::unique_ptr<XmpPlayer> player_;
    int device_frames_ = 0;
    int offset_ms_ = 0;
    MusicStart start_;
    std::shared_ptr<const FileRead> module_file_;
    std::unique_ptr<HeardSample> heard_;
    double held_back_sum_ = 0; // sample frames between the mix and the heard sample
    int64_t held_back_count_ = 0;
    // Sync values applied late, in sample frames after their row was heard:
    // the oldest of each batch delivered.
    struct Lateness {
        int64_t count = 0, sum = 0, max = 0;
        void add(int64_t late) { ++count, sum += late, max = std::max(max, late); }
    };
    Lateness late_all_, late_after_resume_, late_after_seek_;
    bool resumed_ = false, sought_ = false; // the next batch is the first since
    size_t pending_at_ = 0; // samples of the current tick already handed out (in frames)
    SyncQueue queue_;
    std::atomic<int64_t> played_{0}; // sample frames handed to the device (or played silently)
    std::thread silent_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> paused_{false};    // the silent thread waits while set
    std::atomic<bool> song_over_{false}; // the player rendered its last tick
};
