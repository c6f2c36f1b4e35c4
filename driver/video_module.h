// The video encoder (video_encoder.h) lives in a module of its own,
// libvorn_video.so (vorn_video.dll, ...), which the program loads only when a
// video file is recorded: FFmpeg's libraries and the hundred libraries they
// pull in are then never loaded for the live show, stills or PNG frames.
//
//   container_for(path)        the container a file name asks for
//   video_module_path(dir)     where the program in folder `dir` finds the
//                              module: beside it when it is the program in
//                              the build folder (test and bench binaries pass
//                              VORN_BUILD_PROGRAM_DIR to get the same), else
//                              under <dir>/VORN_MODULE_FROM_BIN as installed.
//                              An installed program never loads the build's.
//                              "" when `dir` is "" (the folder is unknown).
//   load_video_encoder(...)    a new encoder writing to `path` (messages
//                              name `shown_as`, the file the user asked
//                              for), from the module at
//                              `module_path`, which is loaded on the first
//                              call that succeeds and then kept for the
//                              process's life (later calls reuse it, whatever
//                              path they name). Throws RecordError naming the
//                              module, SDL's reason and the remedy; nothing
//                              is written then.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "driver/frame_sink.h"
#include "driver/record_timing.h"

enum class Container { Mp4, Mkv };

// The container for a file name by its extension (.mp4 or .mkv, any case).
std::optional<Container> container_for(const std::string& path);

std::string video_module_path(const std::string& program_dir);

std::unique_ptr<FrameSink> load_video_encoder(const std::string& module_path,
                                              const std::string& path, const std::string& shown_as,
                                              Container container, int scale, FrameRate rate);

// The module's one export: a new VideoEncoder, owned by the caller. Plain C
// types, so that the name is not mangled; the number in the name changes
// whenever FrameSink or these arguments do, so that a stale module is refused
// instead of called.
#define VORN_VIDEO_FACTORY "vorn_new_video_encoder_2"
using VideoEncoderFactory = FrameSink* (*)(const char* path, const char* shown_as, int container,
                                           int scale, int64_t fps_num, int64_t fps_den);
