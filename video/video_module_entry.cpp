// The entry point of the video module (see video_module.h): the one symbol
// the program looks up after loading it.
#include <string_view>
#include <type_traits>

#include "video/video_encoder.h"
#include "video/video_module.h"

#if defined(_WIN32)
#define VORN_EXPORT __declspec(dllexport)
#else
#define VORN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" VORN_EXPORT FrameSink* vorn_new_video_encoder_2(const char* path, const char* shown_as,
                                                           int container, int scale,
                                                           int64_t fps_num, int64_t fps_den) {
    return new VideoEncoder(path, shown_as, static_cast<Container>(container), scale,
                            FrameRate{fps_num, fps_den});
}

// The name and type the program looks up.
static_assert(std::string_view(VORN_VIDEO_FACTORY) == "vorn_new_video_encoder_2");
static_assert(std::is_same_v<decltype(&vorn_new_video_encoder_2), VideoEncoderFactory>);
