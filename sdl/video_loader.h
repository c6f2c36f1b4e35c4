// Finding and loading the video module (video/video_module.h) through SDL's
// shared-object calls.
//
//   video_module_path(dir)     where the program in folder `dir` finds the
//                              module: beside it when it is the program in
//                              the build folder (test and bench binaries pass
//                              VORN_BUILD_PROGRAM_DIR to get the same), else
//                              under <dir>/VORN_MODULE_FROM_BIN as installed.
//                              An installed program never loads the build's.
//                              "" when `dir` is "" (the folder is unknown).
//   load_video_encoder(...)    a new encoder writing to `path` (messages
//                              name `shown_as`, the file the user asked
//                              for), from the module at `module_path`, which
//                              is loaded on the first call that succeeds and
//                              then kept for the process's life (later calls
//                              reuse it, whatever path they name). Throws
//                              RecordError naming the module, SDL's reason
//                              and the remedy; nothing is written then.
#pragma once
#include <memory>
#include <string>

#include "show/record_timing.h"
#include "video/video_module.h"

std::string video_module_path(const std::string& program_dir);

std::unique_ptr<FrameSink> load_video_encoder(const std::string& module_path,
                                              const std::string& path, const std::string& shown_as,
                                              Container container, int scale, FrameRate rate);
