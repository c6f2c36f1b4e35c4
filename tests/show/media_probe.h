// Reading a recorded video file back through libavformat for tests: its
// streams, frame size and rate, durations, and checksums of the decoded
// frames and samples.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

struct MediaProbe {
    bool opened = false;
    std::vector<std::string> codecs; // one per stream, in order
    int width = 0, height = 0;
    AVRational frame_rate{0, 1};
    double video_seconds = 0; // the video stream's duration (else the file's)
    int64_t frames = 0;       // decoded video frames
    int64_t samples = 0;      // decoded audio sample frames
    uint64_t video_sum = 0, audio_sum = 0;
    int peak = 0;                      // largest decoded sample, of 32767
    std::vector<uint64_t> frame_sums;  // per decoded frame
    std::vector<uint32_t> first_frame; // pixels of frame 0, if 0RGB32 (lossless)
};

inline uint64_t fnv(uint64_t h, const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

inline MediaProbe probe_media(const std::string& path) {
    MediaProbe m;
    av_log_set_level(AV_LOG_FATAL); // a file cut short by a test says so in its frame count
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) return m;
    if (avformat_find_stream_info(fmt, nullptr) < 0) {
        avformat_close_input(&fmt);
        return m;
    }
    m.opened = true;
    if (fmt->duration != AV_NOPTS_VALUE)
        m.video_seconds = static_cast<double>(fmt->duration) / AV_TIME_BASE;
    std::vector<AVCodecContext*> decoders(fmt->nb_streams, nullptr);
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVStream* st = fmt->streams[i];
        const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
        m.codecs.push_back(avcodec_get_name(st->codecpar->codec_id));
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            m.width = st->codecpar->width;
            m.height = st->codecpar->height;
            m.frame_rate = st->avg_frame_rate;
            if (st->duration != AV_NOPTS_VALUE)
                m.video_seconds = static_cast<double>(st->duration) * av_q2d(st->time_base);
        }
        decoders[i] = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoders[i], st->codecpar);
        avcodec_open2(decoders[i], codec, nullptr);
    }
    uint64_t video_hash = 1469598103934665603ull, audio_hash = video_hash;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&](unsigned s) {
        AVCodecContext* c = decoders[s];
        while (avcodec_receive_frame(c, frame) == 0) {
            if (c->codec_type == AVMEDIA_TYPE_VIDEO) {
                uint64_t h = 1469598103934665603ull;
                const int bytes_wide =
                    frame->format == AV_PIX_FMT_YUV420P ? frame->width : frame->width * 4;
                for (int p = 0; p < (frame->format == AV_PIX_FMT_YUV420P ? 3 : 1); ++p) {
                    const int w = p == 0 ? bytes_wide : bytes_wide / 2;
                    const int rows = p == 0 ? frame->height : frame->height / 2;
                    for (int y = 0; y < rows; ++y)
                        h = fnv(h, frame->data[p] + static_cast<ptrdiff_t>(y) * frame->linesize[p],
                                static_cast<size_t>(w));
                }
                if (m.frames == 0 && frame->format == AV_PIX_FMT_0RGB32)
                    for (int y = 0; y < frame->height; ++y) {
                        const auto* row = reinterpret_cast<const uint32_t*>(
                            frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0]);
                        m.first_frame.insert(m.first_frame.end(), row, row + frame->width);
                    }
                m.frame_sums.push_back(h);
                video_hash = fnv(video_hash, reinterpret_cast<const uint8_t*>(&h), sizeof h);
                ++m.frames;
            } else if (c->codec_type == AVMEDIA_TYPE_AUDIO) {
                const int channels = frame->ch_layout.nb_channels;
                const bool planar =
                    av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame->format));
                const int size =
                    av_get_bytes_per_sample(static_cast<AVSampleFormat>(frame->format));
                for (int ch = 0; ch < (planar ? channels : 1); ++ch) {
                    const size_t n = static_cast<size_t>(frame->nb_samples) *
                                     static_cast<size_t>(size) *
                                     static_cast<size_t>(planar ? 1 : channels);
                    audio_hash = fnv(audio_hash, frame->data[ch], n);
                    for (size_t i = 0; i < n; i += static_cast<size_t>(size)) {
                        int v = 0;
                        if (frame->format == AV_SAMPLE_FMT_S16 ||
                            frame->format == AV_SAMPLE_FMT_S16P)
                            v = *reinterpret_cast<const int16_t*>(frame->data[ch] + i);
                        else if (frame->format == AV_SAMPLE_FMT_FLTP ||
                                 frame->format == AV_SAMPLE_FMT_FLT)
                            v = static_cast<int>(
                                *reinterpret_cast<const float*>(frame->data[ch] + i) * 32767);
                        else if (frame->format == AV_SAMPLE_FMT_S32 ||
                                 frame->format == AV_SAMPLE_FMT_S32P)
                            v = *reinterpret_cast<const int32_t*>(frame->data[ch] + i) >> 16;
                        if (v < 0) v = -v;
                        if (v > m.peak) m.peak = v;
                    }
                }
                m.samples += frame->nb_samples;
            }
        }
    };
    while (av_read_frame(fmt, packet) >= 0) {
        const unsigned s = static_cast<unsigned>(packet->stream_index);
        if (s < decoders.size() && decoders[s]) {
            avcodec_send_packet(decoders[s], packet);
            drain(s);
        }
        av_packet_unref(packet);
    }
    for (unsigned s = 0; s < decoders.size(); ++s)
        if (decoders[s]) {
            avcodec_send_packet(decoders[s], nullptr);
            drain(s);
        }
    m.video_sum = video_hash;
    m.audio_sum = audio_hash;
    for (AVCodecContext*& c : decoders)
        avcodec_free_context(&c);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&fmt);
    return m;
}
