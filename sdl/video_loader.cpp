// Finding and loading the video module (see video_loader.h).
#include "sdl/video_loader.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include <SDL.h>

namespace fs = std::filesystem;

std::string video_module_path(const std::string& program_dir) {
    if (program_dir.empty()) return "";
    std::error_code ec;
    const fs::path dir = fs::equivalent(program_dir, VORN_BUILD_PROGRAM_DIR, ec)
                             ? fs::path(VORN_BUILD_PROGRAM_DIR)
                             : fs::path(program_dir) / VORN_MODULE_FROM_BIN;
    return (dir / VORN_VIDEO_MODULE_NAME).lexically_normal().string();
}

std::unique_ptr<FrameSink> load_video_encoder(const std::string& module_path,
                                              const std::string& path, const std::string& shown_as,
                                              Container container, int scale, FrameRate rate) {
    static std::mutex lock;
    static VideoEncoderFactory factory = nullptr; // the module stays loaded once found
    {
        const std::lock_guard<std::mutex> hold(lock);
        if (!factory) {
            std::string why;
            if (module_path.empty()) {
                why = "cannot find the video module " + std::string(VORN_VIDEO_MODULE_NAME) +
                      ": the program's own folder is unknown";
            } else if (void* module = SDL_LoadObject(module_path.c_str()); !module) {
                // SDL's reason names the file as a rule; it is said once.
                const std::string reason = SDL_GetError();
                why = "cannot load the video module" +
                      (reason.find(module_path) == std::string::npos ? " " + module_path : "") +
                      ": " + reason;
            } else {
                factory = reinterpret_cast<VideoEncoderFactory>(
                    SDL_LoadFunction(module, VORN_VIDEO_FACTORY));
                if (!factory) {
                    why = "the video module " + module_path +
                          " is not this program's: " + SDL_GetError();
                    SDL_UnloadObject(module);
                }
            }
            if (!factory)
                throw RecordError("cannot record " + shown_as + ": " + why +
                                  "; install the program again or build its target vorn_video "
                                  "(--frames DIR records without the module)");
        }
    }
    return std::unique_ptr<FrameSink>(factory(
        path.c_str(), shown_as.c_str(), static_cast<int>(container), scale, rate.num, rate.den));
}
