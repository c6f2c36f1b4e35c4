// A recording as files for one's own editor: numbered PNG frames
// (frame_000000.png, ... at 320 x 240 times the scale) and the sound as one
// 16-bit stereo 48 kHz WAV file (sound.wav), in a folder that must exist
// (frame_folder.h claims it). Each PNG is written as NAME.part and renamed
// when whole, and the WAV header is brought up to date every two seconds of
// sound, so a folder whose run was killed holds whole frames and a WAV file
// that plays up to the last update. On failure, or abandon() before
// finish(), the files written are removed again; discard() removes them
// also after finish().
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "show/frame_sink.h"

class FrameFiles : public FrameSink {
  public:
    FrameFiles(std::string folder, int scale) : folder_(std::move(folder)), scale_(scale) {}
    ~FrameFiles() override { abandon(); }
    FrameFiles(const FrameFiles&) = delete;
    FrameFiles& operator=(const FrameFiles&) = delete;

    void open() override;
    void video(const uint32_t* frame) override;
    void audio(const int16_t* samples, size_t frames) override;
    void finish() override;
    void abandon() override;
    void discard() override;
    const std::string& path() const override { return folder_; }

    // The name of frame n inside the folder.
    static std::string frame_name(int64_t n);

  private:
    [[noreturn]] void fail(const std::string& file, const std::string& cause);
    void write_wav_header();
    void remove_written();

    std::string folder_, wav_;
    int scale_;
    std::FILE* sound_ = nullptr;
    std::vector<uint32_t> scaled_;
    int64_t frames_ = 0;
    uint64_t sound_bytes_ = 0;
    uint64_t header_at_ = 0; // sound_bytes_ when the header was last written
    bool finished_ = false;
};
