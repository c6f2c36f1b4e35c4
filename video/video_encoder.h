// A recording's video file through FFmpeg's libraries. Built into the video
// module only (video_module.h): the program itself does not link FFmpeg.
//
//   .mp4  H.264 (libx264) in yuv420p, BT.709 limited range, with AAC sound.
//         While recording the file is fragmented (a fragment about every
//         second, each in the file and playable as soon as it is complete,
//         so a recording killed midway plays up to about a second before it
//         stopped); finish() rewrites it as a plain MP4 with its index at
//         the front, so that browsers start playing at once. One encoder
//         thread, so that the same frames always give the same file
//   .mkv  FFV1 in 8-bit RGB, lossless: it decodes back to exactly the pixels
//         given, scaled; FLAC sound
//
// Frames are scaled up by the integer factor `scale` with nearest-neighbour
// sampling. The file is written at `path`, which the caller chooses as a
// working name and moves into place once complete (record_files.h); on
// failure (or abandon() before finish(), or discard()) it is removed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "show/frame_sink.h"
#include "show/record_timing.h"
#include "video/video_module.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwrContext;
struct SwsContext;

class VideoEncoder : public FrameSink {
  public:
    // Writes `path`; messages name `shown_as` (the name the file will get).
    VideoEncoder(std::string path, std::string shown_as, Container container, int scale,
                 FrameRate rate);
    ~VideoEncoder() override;
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    void open() override;
    void video(const uint32_t* frame) override;
    void audio(const int16_t* samples, size_t frames) override;
    void finish() override;
    void abandon() override;
    void discard() override;
    const std::string& path() const override { return shown_as_; }

  private:
    [[noreturn]] void fail(const std::string& what, int error);
    void open_video();
    void open_audio();
    void encode(AVCodecContext* ctx, AVStream* st, AVFrame* frame);
    void send_audio(size_t count);
    void free_all();
    void index_at_front();

    std::string path_, shown_as_;
    Container container_;
    int scale_;
    FrameRate rate_;
    AVFormatContext* fmt_ = nullptr;
    AVCodecContext* vctx_ = nullptr;
    AVCodecContext* actx_ = nullptr;
    AVStream* vst_ = nullptr;
    AVStream* ast_ = nullptr;
    AVFrame* vframe_ = nullptr;
    AVFrame* small_ = nullptr; // yuv444p at 320 x 240, for even scales
    AVFrame* aframe_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* sws_ = nullptr;
    SwrContext* swr_ = nullptr;
    std::vector<uint32_t> scaled_;
    std::vector<int16_t> pending_; // interleaved samples waiting for a whole codec frame
    size_t audio_frame_ = 1024;
    int audio_delay_ = 0; // the audio encoder's priming samples
    int64_t video_pts_ = 0, audio_pts_ = 0;
    bool file_open_ = false, finished_ = false, failed_ = false;
    bool created_ = false; // the file at path_ is this encoder's
};
