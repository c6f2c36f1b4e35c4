// Writing a recording through libavformat, libavcodec, libswscale and
// libswresample (see video_encoder.h).
#include "video/video_encoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "core/screen.h"

namespace {

// The H.264 settings (the README's Recording section explains them).
const char* const kH264Preset = "veryfast";
const char* const kH264Crf = "23";
const int64_t kH264MaxRate = 8000000; // bit/s, over a 2 s buffer
const char* const kH264Params = "subme=1:me=dia:partitions=i8x8,i4x4";

std::string av_error(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

// Each sample of a w x h plane becomes an f x f block.
void upsample_plane(const uint8_t* src, int src_stride, int w, int h, int f, uint8_t* dst,
                    int dst_stride) {
    for (int y = 0; y < h; ++y) {
        uint8_t* row = dst + static_cast<ptrdiff_t>(y) * f * dst_stride;
        uint8_t* p = row;
        for (int x = 0; x < w; ++x)
            p = std::fill_n(p, f, src[static_cast<ptrdiff_t>(y) * src_stride + x]);
        for (int r = 1; r < f; ++r)
            std::memcpy(row + static_cast<ptrdiff_t>(r) * dst_stride, row,
                        static_cast<size_t>(w * f));
    }
}

void bt709_limited(SwsContext* sws) {
    const int* coefficients = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(sws, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
}

} // namespace

VideoEncoder::VideoEncoder(std::string path, std::string shown_as, Container container, int scale,
                           FrameRate rate)
    : path_(std::move(path)), shown_as_(std::move(shown_as)), container_(container), scale_(scale),
      rate_(rate) {}

VideoEncoder::~VideoEncoder() {
    abandon();
}

void VideoEncoder::fail(const std::string& what, int error) {
    failed_ = true;
    throw RecordError("cannot write " + shown_as_ + ": " + what +
                      (error < 0 ? (what.empty() ? "" : ": ") + av_error(error) : ""));
}

void VideoEncoder::open_video() {
    const bool h264 = container_ == Container::Mp4;
    const AVCodec* codec = avcodec_find_encoder_by_name(h264 ? "libx264" : "ffv1");
    if (!codec)
        fail(h264 ? "this FFmpeg has no libx264 encoder" : "this FFmpeg has no FFV1 encoder", 0);
    vst_ = avformat_new_stream(fmt_, nullptr);
    vctx_ = avcodec_alloc_context3(codec);
    if (!vst_ || !vctx_) fail("out of memory", AVERROR(ENOMEM));
    vctx_->width = kFrameWidth * scale_;
    vctx_->height = kFrameHeight * scale_;
    vctx_->time_base = {static_cast<int>(rate_.den), static_cast<int>(rate_.num)};
    vctx_->framerate = {static_cast<int>(rate_.num), static_cast<int>(rate_.den)};
    vst_->time_base = vctx_->time_base;
    vst_->avg_frame_rate = vctx_->framerate;
    // H.264 on one thread: with the rate ceiling, libx264's frame threads
    // (and, more rarely, its slice threads) plan each frame's bits from how
    // far the other threads have got, so a busy machine would get other
    // pictures. FFV1 keeps two slice threads: lossless, the same bits either way.
    vctx_->thread_count = h264 ? 1 : 2;
    if (h264) {
        vctx_->pix_fmt = AV_PIX_FMT_YUV420P;
        vctx_->color_range = AVCOL_RANGE_MPEG;
        vctx_->colorspace = AVCOL_SPC_BT709;
        vctx_->color_primaries = AVCOL_PRI_BT709;
        vctx_->color_trc = AVCOL_TRC_BT709;
        av_opt_set(vctx_->priv_data, "preset", kH264Preset, 0);
        av_opt_set(vctx_->priv_data, "x264-params", kH264Params, 0);
        av_opt_set(vctx_->priv_data, "crf", kH264Crf, 0);
        // Scenes full of noise would otherwise take 30 Mbit/s.
        vctx_->rc_max_rate = kH264MaxRate;
        vctx_->rc_buffer_size = static_cast<int>(2 * kH264MaxRate);
    } else {
        vctx_->pix_fmt = AV_PIX_FMT_0RGB32; // 0x00RRGGBB words, as our frames
        vctx_->level = 3;
    }
    if (fmt_->oformat->flags & AVFMT_GLOBALHEADER) vctx_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int r = avcodec_open2(vctx_, codec, nullptr);
    if (r < 0) fail(std::string("cannot open the ") + codec->name + " encoder", r);
    r = avcodec_parameters_from_context(vst_->codecpar, vctx_);
    if (r < 0) fail("cannot set up the video stream", r);

    vframe_ = av_frame_alloc();
    if (!vframe_) fail("out of memory", AVERROR(ENOMEM));
    vframe_->format = vctx_->pix_fmt;
    vframe_->width = vctx_->width;
    vframe_->height = vctx_->height;
    if ((r = av_frame_get_buffer(vframe_, 0)) < 0) fail("out of memory", r);
    if (!h264 || scale_ % 2 != 0)
        scaled_.resize(static_cast<size_t>(vctx_->width) * static_cast<size_t>(vctx_->height));
    if (!h264) return;
    // Even scales: convert the small frame to full-resolution chroma, then
    // enlarge the planes; each 2 x 2 chroma block lies inside one pixel.
    // Odd scales: enlarge first, then convert.
    if (scale_ % 2 == 0) {
        small_ = av_frame_alloc();
        if (!small_) fail("out of memory", AVERROR(ENOMEM));
        small_->format = AV_PIX_FMT_YUV444P;
        small_->width = kFrameWidth;
        small_->height = kFrameHeight;
        if ((r = av_frame_get_buffer(small_, 0)) < 0) fail("out of memory", r);
        sws_ =
            sws_getContext(kFrameWidth, kFrameHeight, AV_PIX_FMT_0RGB32, kFrameWidth, kFrameHeight,
                           AV_PIX_FMT_YUV444P, SWS_POINT, nullptr, nullptr, nullptr);
    } else {
        sws_ =
            sws_getContext(vctx_->width, vctx_->height, AV_PIX_FMT_0RGB32, vctx_->width,
                           vctx_->height, AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
    }
    if (!sws_) fail("cannot set up the colour conversion", 0);
    bt709_limited(sws_);
}

void VideoEncoder::open_audio() {
    const bool aac = container_ == Container::Mp4;
    const AVCodec* codec = avcodec_find_encoder(aac ? AV_CODEC_ID_AAC : AV_CODEC_ID_FLAC);
    if (!codec) fail(aac ? "this FFmpeg has no AAC encoder" : "this FFmpeg has no FLAC encoder", 0);
    ast_ = avformat_new_stream(fmt_, nullptr);
    actx_ = avcodec_alloc_context3(codec);
    if (!ast_ || !actx_) fail("out of memory", AVERROR(ENOMEM));
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    actx_->sample_rate = static_cast<int>(kRecordRate);
    av_channel_layout_copy(&actx_->ch_layout, &stereo);
    actx_->sample_fmt = aac ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
    if (aac) actx_->bit_rate = 192000;
    actx_->time_base = {1, static_cast<int>(kRecordRate)};
    ast_->time_base = actx_->time_base;
    if (fmt_->oformat->flags & AVFMT_GLOBALHEADER) actx_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int r = avcodec_open2(actx_, codec, nullptr);
    if (r < 0) fail(std::string("cannot open the ") + codec->name + " encoder", r);
    r = avcodec_parameters_from_context(ast_->codecpar, actx_);
    if (r < 0) fail("cannot set up the audio stream", r);
    if (actx_->frame_size > 0) audio_frame_ = static_cast<size_t>(actx_->frame_size);

    r = swr_alloc_set_opts2(&swr_, &actx_->ch_layout, actx_->sample_fmt, actx_->sample_rate,
                            &stereo, AV_SAMPLE_FMT_S16, actx_->sample_rate, 0, nullptr);
    if (r < 0 || (r = swr_init(swr_)) < 0) fail("cannot set up the sample conversion", r);
    aframe_ = av_frame_alloc();
    if (!aframe_) fail("out of memory", AVERROR(ENOMEM));
    aframe_->format = actx_->sample_fmt;
    aframe_->sample_rate = actx_->sample_rate;
    aframe_->nb_samples = static_cast<int>(audio_frame_);
    av_channel_layout_copy(&aframe_->ch_layout, &stereo);
    if ((r = av_frame_get_buffer(aframe_, 0)) < 0) fail("out of memory", r);
}

void VideoEncoder::open() {
    const bool mp4 = container_ == Container::Mp4;
    av_log_set_level(AV_LOG_ERROR); // the encoders' notes would break the progress line
    int r = avformat_alloc_output_context2(&fmt_, nullptr, mp4 ? "mp4" : "matroska", path_.c_str());
    if (r < 0 || !fmt_) fail("cannot set up the container", r);
    packet_ = av_packet_alloc();
    if (!packet_) fail("out of memory", AVERROR(ENOMEM));
    open_video();
    open_audio();
    if ((r = avio_open(&fmt_->pb, path_.c_str(), AVIO_FLAG_WRITE)) < 0) fail("", r);
    file_open_ = created_ = true;
    // Each write reaches the file at once, not when a 256 kB buffer fills: a
    // killed recording keeps all it wrote, every whole fragment of an .mp4.
    fmt_->flush_packets = 1;
    AVDictionary* options = nullptr;
    if (mp4) {
        // Fragments that play on their own: an empty index up front, then
        // one fragment about every second, sooner at a key frame
        // (frag_duration is in microseconds). A killed recording loses the
        // fragment it was gathering and the frames in the encoder.
        av_dict_set(&options, "movflags", "+frag_keyframe+empty_moov+default_base_moof", 0);
        av_dict_set(&options, "frag_duration", "1000000", 0);
    }
    r = avformat_write_header(fmt_, &options);
    av_dict_free(&options);
    if (r < 0) fail("", r);
}

void VideoEncoder::encode(AVCodecContext* ctx, AVStream* st, AVFrame* frame) {
    int r = avcodec_send_frame(ctx, frame);
    if (r < 0) fail("the encoder failed", r);
    for (;;) {
        r = avcodec_receive_packet(ctx, packet_);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
        if (r < 0) fail("the encoder failed", r);
        av_packet_rescale_ts(packet_, ctx->time_base, st->time_base);
        packet_->stream_index = st->index;
        r = av_interleaved_write_frame(fmt_, packet_);
        if (r < 0) fail("", r);
    }
    if (fmt_->pb && fmt_->pb->error < 0) fail("", fmt_->pb->error);
}

void VideoEncoder::video(const uint32_t* frame) {
    if (failed_ || !vctx_) fail("the output is not open", 0);
    int r = av_frame_make_writable(vframe_);
    if (r < 0) fail("out of memory", r);
    if (container_ == Container::Mkv) {
        scale_frame(frame, scale_, scaled_.data());
        av_image_copy_plane(vframe_->data[0], vframe_->linesize[0],
                            reinterpret_cast<const uint8_t*>(scaled_.data()), vctx_->width * 4,
                            vctx_->width * 4, vctx_->height);
    } else if (small_) {
        const uint8_t* src[1] = {reinterpret_cast<const uint8_t*>(frame)};
        const int stride[1] = {kFrameWidth * 4};
        if ((r = av_frame_make_writable(small_)) < 0) fail("out of memory", r);
        sws_scale(sws_, src, stride, 0, kFrameHeight, small_->data, small_->linesize);
        upsample_plane(small_->data[0], small_->linesize[0], kFrameWidth, kFrameHeight, scale_,
                       vframe_->data[0], vframe_->linesize[0]);
        for (int p = 1; p <= 2; ++p)
            upsample_plane(small_->data[p], small_->linesize[p], kFrameWidth, kFrameHeight,
                           scale_ / 2, vframe_->data[p], vframe_->linesize[p]);
    } else {
        scale_frame(frame, scale_, scaled_.data());
        const uint8_t* src[1] = {reinterpret_cast<const uint8_t*>(scaled_.data())};
        const int stride[1] = {vctx_->width * 4};
        sws_scale(sws_, src, stride, 0, vctx_->height, vframe_->data, vframe_->linesize);
    }
    vframe_->pts = video_pts_++;
    encode(vctx_, vst_, vframe_);
}

void VideoEncoder::send_audio(size_t count) {
    int r = av_frame_make_writable(aframe_);
    if (r < 0) fail("out of memory", r);
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(pending_.data())};
    r = swr_convert(swr_, aframe_->data, static_cast<int>(count), in, static_cast<int>(count));
    if (r < 0) fail("the sample conversion failed", r);
    aframe_->nb_samples = static_cast<int>(count);
    aframe_->pts = audio_pts_;
    audio_pts_ += static_cast<int64_t>(count);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(count * 2));
    encode(actx_, ast_, aframe_);
}

void VideoEncoder::audio(const int16_t* samples, size_t frames) {
    if (failed_ || !actx_) fail("the output is not open", 0);
    pending_.insert(pending_.end(), samples, samples + frames * 2);
    while (pending_.size() >= audio_frame_ * 2)
        send_audio(audio_frame_);
}

void VideoEncoder::finish() {
    if (failed_ || !file_open_) fail("the output is not open", 0);
    if (!pending_.empty()) {
        const size_t left = pending_.size() / 2;
        if (!(actx_->codec->capabilities &
              (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE)))
            pending_.resize(audio_frame_ * 2, 0);
        send_audio(std::max(left, pending_.size() / 2));
    }
    encode(vctx_, vst_, nullptr);
    encode(actx_, ast_, nullptr);
    int r = av_write_trailer(fmt_);
    if (r < 0) fail("", r);
    if (fmt_->pb->error < 0) fail("", fmt_->pb->error);
    r = avio_closep(&fmt_->pb);
    file_open_ = false;
    if (r < 0) fail("", r);
    audio_delay_ = actx_->initial_padding;
    free_all();
    if (container_ == Container::Mp4) index_at_front();
    finished_ = true;
}

// The fragmented recording copied, packet for packet, into a plain MP4 whose
// index libavformat moves to the front in a second pass; the copy then
// replaces the fragmented file. A fragmented file cannot say where playback
// starts (an edit list), so it stores each stream from time 0: the video
// from its first frame's decode time, which lies before its display time
// when frames are reordered, and the sound with the encoder's priming
// samples. The copy takes both back, so that the video's first frame shows
// at 0 and the priming is skipped through an edit list, exactly as in a
// file written plainly.
void VideoEncoder::index_at_front() {
    const std::string out_path = path_ + ".indexing";
    struct Contexts {
        AVFormatContext* in = nullptr;
        AVFormatContext* out = nullptr;
        AVPacket* packet = nullptr;
        ~Contexts() {
            avformat_close_input(&in);
            if (out && out->pb) avio_closep(&out->pb);
            avformat_free_context(out);
            av_packet_free(&packet);
        }
    } c;
    auto failed = [&](const std::string& what, int error) {
        std::remove(out_path.c_str());
        fail(what, error);
    };
    int r = avformat_open_input(&c.in, path_.c_str(), nullptr, nullptr);
    if (r < 0) failed("cannot read the recording back", r);
    if ((r = avformat_find_stream_info(c.in, nullptr)) < 0)
        failed("cannot read the recording back", r);
    r = avformat_alloc_output_context2(&c.out, nullptr, "mp4", out_path.c_str());
    if (r < 0 || !c.out) failed("cannot set up the container", r);
    for (unsigned i = 0; i < c.in->nb_streams; ++i) {
        const AVStream* in = c.in->streams[i];
        AVStream* out = avformat_new_stream(c.out, nullptr);
        if (!out) failed("out of memory", AVERROR(ENOMEM));
        if ((r = avcodec_parameters_copy(out->codecpar, in->codecpar)) < 0)
            failed("cannot copy the streams", r);
        out->codecpar->codec_tag = 0;
        out->time_base = in->time_base;
        out->avg_frame_rate = in->avg_frame_rate;
    }
    if ((r = avio_open(&c.out->pb, out_path.c_str(), AVIO_FLAG_WRITE)) < 0) failed("", r);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    r = avformat_write_header(c.out, &options);
    av_dict_free(&options);
    if (r < 0) failed("", r);
    c.packet = av_packet_alloc();
    if (!c.packet) failed("out of memory", AVERROR(ENOMEM));
    // Per stream, what is taken off every timestamp, in the stream's units.
    std::vector<int64_t> shift(c.in->nb_streams, 0);
    std::vector<bool> seen(c.in->nb_streams, false);
    while ((r = av_read_frame(c.in, c.packet)) >= 0) {
        const int s = c.packet->stream_index;
        const AVStream* in = c.in->streams[s];
        if (!seen[static_cast<size_t>(s)]) {
            seen[static_cast<size_t>(s)] = true;
            if (in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
                shift[static_cast<size_t>(s)] = c.packet->pts; // the first frame is a key frame
            else
                shift[static_cast<size_t>(s)] = av_rescale_q(
                    audio_delay_, AVRational{1, static_cast<int>(kRecordRate)}, in->time_base);
        }
        c.packet->pts -= shift[static_cast<size_t>(s)];
        c.packet->dts -= shift[static_cast<size_t>(s)];
        av_packet_rescale_ts(c.packet, in->time_base, c.out->streams[s]->time_base);
        c.packet->pos = -1;
        if ((r = av_interleaved_write_frame(c.out, c.packet)) < 0) failed("", r);
    }
    if (r != AVERROR_EOF) failed("cannot read the recording back", r);
    if ((r = av_write_trailer(c.out)) < 0) failed("", r);
    if ((r = avio_closep(&c.out->pb)) < 0) failed("", r);
    if (std::rename(out_path.c_str(), path_.c_str()) != 0)
        failed("cannot replace it by its copy with the index at the front: " +
                   std::string(std::strerror(errno)),
               0);
}

void VideoEncoder::free_all() {
    if (fmt_ && fmt_->pb) avio_closep(&fmt_->pb);
    avformat_free_context(fmt_);
    fmt_ = nullptr;
    avcodec_free_context(&vctx_);
    avcodec_free_context(&actx_);
    av_frame_free(&vframe_);
    av_frame_free(&small_);
    av_frame_free(&aframe_);
    av_packet_free(&packet_);
    sws_freeContext(sws_);
    sws_ = nullptr;
    swr_free(&swr_);
    vst_ = ast_ = nullptr;
    std::vector<uint32_t>().swap(scaled_);
}

void VideoEncoder::abandon() {
    free_all();
    if (!finished_) discard();
}

void VideoEncoder::discard() {
    free_all();
    if (created_) {
        std::remove(path_.c_str());
        std::remove((path_ + ".indexing").c_str());
    }
    created_ = finished_ = false;
}
