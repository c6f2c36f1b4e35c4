// What the program and the video module agree on. The video encoder
// (video_encoder.h) lives in a module of its own, libvorn_video.so
// (vorn_video.dll, ...), which the program loads only when a video file is
// recorded (sdl/video_loader.h): FFmpeg's libraries and the hundred libraries
// they pull in are then never loaded for the live show, stills or PNG frames.
//
//   container_for(path)   the container a file name asks for, by its
//                         extension (.mp4 or .mkv, any case)
//   VORN_VIDEO_FACTORY    the name of the module's one export, of type
//                         VideoEncoderFactory
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "show/frame_sink.h"

enum class Container { Mp4, Mkv };

inline std::optional<Container> container_for(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (ext == "mp4") return Container::Mp4;
    if (ext == "mkv") return Container::Mkv;
    return {};
}

// The module's one export: a new VideoEncoder writing `path` (messages name
// `shown_as`), owned by the caller. Plain C types, so that the name is not
// mangled; the number in the name changes whenever FrameSink or these
// arguments do, so that a stale module is refused instead of called.
#define VORN_VIDEO_FACTORY "vorn_new_video_encoder_2"
using VideoEncoderFactory = FrameSink* (*)(const char* path, const char* shown_as, int container,
                                           int scale, int64_t fps_num, int64_t fps_den);
