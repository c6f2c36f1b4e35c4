// SDL2 display layer (see display_sdl.h). The frame buffer is ours and
// persists between frames; each frame it is uploaded to a streaming texture
// whose top byte is ignored (XRGB8888).
#include "driver/display_sdl.h"

#include <string>

#include "core/screen.h"

namespace {
[[noreturn]] void fail(const char* what) {
    throw DisplayError(std::string(what) + ": " + SDL_GetError());
}
} // namespace

void SdlDisplay::open(const char* title, bool fullscreen) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) fail("cannot open a display");
    video_ = true;
    // When no real display answers, SDL falls back to drawing off screen; the
    // show would then run unseen. Only a user who asks for that gets it.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (driver && (!SDL_strcmp(driver, "offscreen") || !SDL_strcmp(driver, "dummy")) &&
        !(requested && *requested))
        throw DisplayError("cannot open a display: no display was found (is DISPLAY set?)");
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    int width = kFrameWidth * 3, height = kFrameHeight * 3;
    if (fullscreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        // Without a window manager nobody resizes the window for full screen,
        // while SDL lays the picture out for the whole desktop: open it at
        // the desktop's size, so that the two agree either way.
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
            width = desktop.w;
            height = desktop.h;
        }
    }
    window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               flags);
    if (!window_) fail("cannot open a window");
    const Uint32 sync = vsync_ ? SDL_RENDERER_PRESENTVSYNC : 0;
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | sync);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) fail("cannot create a renderer");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    if (SDL_RenderSetLogicalSize(renderer_, kFrameWidth, kFrameHeight) != 0)
        fail("cannot scale the frame");
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 kFrameWidth, kFrameHeight);
    if (!texture_) fail("cannot create a texture");
    if (fullscreen) SDL_ShowCursor(SDL_DISABLE);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
}

bool SdlDisplay::key_waiting() {
    if (!video_) return key_;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_KEYDOWN || e.type == SDL_QUIT ||
            (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE))
            key_ = true;
    }
    return key_;
}

void SdlDisplay::present() {
    if (!texture_) return;
    SDL_UpdateTexture(texture_, nullptr, frame_.data(), kFrameWidth * 4);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

void SdlDisplay::close() {
    if (window_) SDL_HideWindow(window_);
}

void SdlDisplay::destroy() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    texture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
    if (video_) {
        SDL_ShowCursor(SDL_ENABLE);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        video_ = false;
    }
}
