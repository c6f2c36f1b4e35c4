// SDL2 display layer (see display_sdl.h). The frame buffer is ours and
// persists between frames; each frame it is uploaded to a streaming texture
// whose top byte is ignored (XRGB8888).
#include "sdl/display_sdl.h"

#include <cstdio>
#include <string>

// SDL's window-system header brings Xlib, whose Display and None would hide
// the show's Display and Control::None: Xlib's Display is renamed while it
// is read, and None is dropped after it.
#define Display XlibDisplay
#include <SDL_syswm.h>
#undef Display
#ifdef None
#undef None
#endif

#include "core/clock.h"
#include "core/screen.h"
#include "sdl/display_probe.h"
#include "sdl/frame_layout.h"
#include "show/sign_drawing.h"

namespace {
[[noreturn]] void fail(const char* what) {
    throw DisplayError(std::string(what) + ": " + SDL_GetError());
}

// Whether a window manager places the window: on X11 one client, the window
// manager, asks the server to redirect the root window's substructure to it.
// Without one nobody acts on SDL's full-screen request: the window keeps its
// size and place while SDL takes it to be as large as the screen. Xlib is
// not linked; it is already loaded with SDL's X11 driver. Elsewhere (Wayland,
// Windows, macOS) the system always places the window.
bool window_manager_places(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    void* xlib = SDL_LoadObject("libX11.so.6");
    if (!xlib) return true;
    using GetAttributes = int (*)(XlibDisplay*, Window, XWindowAttributes*);
    const auto get_attributes =
        reinterpret_cast<GetAttributes>(SDL_LoadFunction(xlib, "XGetWindowAttributes"));
    XWindowAttributes ours, root;
    bool places = true;
    if (get_attributes && get_attributes(info.info.x11.display, info.info.x11.window, &ours) &&
        get_attributes(info.info.x11.display, ours.root, &root))
        places = (root.all_event_masks & SubstructureRedirectMask) != 0;
    SDL_UnloadObject(xlib);
    return places;
#else
    (void)window;
    return true;
#endif
}
} // namespace

void SdlDisplay::open(const char* title, bool fullscreen) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) fail("cannot open a display");
    video_ = true;
    if (display_unseen())
        throw DisplayError("cannot open a display: no display was found (is DISPLAY set?)");
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    int at = SDL_WINDOWPOS_CENTERED;
    int d = 0;
    if (settings_.display >= 0) {
        const int displays = SDL_GetNumVideoDisplays();
        d = settings_.display;
        if (d >= displays) {
            std::fprintf(stderr, "vorn: there is no display %d (found %d); using display 0\n", d,
                         displays);
            d = 0;
        }
        at = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(d));
    }
    int scale = settings_.scale;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(d, &usable) == 0) {
        scale = window_scale_that_fits(scale, usable.w, usable.h);
        if (!fullscreen && scale != settings_.scale)
            std::fprintf(stderr,
                         "vorn: a window of %d x %d (--scale %d) is larger than the screen's "
                         "usable %d x %d; opening it at %d x %d (--scale %d) instead\n",
                         kFrameWidth * settings_.scale, kFrameHeight * settings_.scale,
                         settings_.scale, usable.w, usable.h, kFrameWidth * scale,
                         kFrameHeight * scale, scale);
    }
    int width = kFrameWidth * scale, height = kFrameHeight * scale;
    windowed_ = {at, at, width, height}; // where leaving full screen goes
    if (fullscreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        // Without a window manager nobody resizes the window for full screen,
        // while SDL lays the picture out for the whole desktop: open it at
        // the desktop's size, so that the two agree either way.
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(d, &desktop) == 0) {
            width = desktop.w;
            height = desktop.h;
        }
    }
    window_ = SDL_CreateWindow(title, at, at, width, height, flags);
    if (!window_) fail("cannot open a window");
    const Uint32 sync = settings_.vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | sync);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) fail("cannot create a renderer");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 kFrameWidth, kFrameHeight);
    if (!texture_) fail("cannot create a texture");
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
    // The frame as it is (black) until the first present, for a redraw.
    SDL_UpdateTexture(texture_, nullptr, frame_.data(), kFrameWidth * 4);
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND); // the signs' boxes
    fullscreen_ = fullscreen;
    if (fullscreen) SDL_ShowCursor(SDL_DISABLE);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
}

namespace {

// What a key does with --controls; None for a key that ends the show.
Control control_of(const SDL_KeyboardEvent& k) {
    switch (k.keysym.sym) {
    case SDLK_SPACE:
    case SDLK_p:
        return Control::Pause;
    case SDLK_LEFT:
        return Control::Back;
    case SDLK_RIGHT:
        return Control::Forward;
    case SDLK_HOME:
        return Control::Restart;
    case SDLK_f:
    case SDLK_F11:
        return Control::Fullscreen;
    case SDLK_RETURN:
        return (k.keysym.mod & KMOD_ALT) ? Control::Fullscreen : Control::None;
    case SDLK_s:
        return Control::SaveFrame;
    case SDLK_l:
        return Control::Loop;
    default:
        return Control::None;
    }
}

bool is_modifier(SDL_Keycode key) {
    switch (key) {
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
    case SDLK_LCTRL:
    case SDLK_RCTRL:
    case SDLK_LALT:
    case SDLK_RALT:
    case SDLK_LGUI:
    case SDLK_RGUI:
    case SDLK_MODE:
        return true;
    default:
        return false;
    }
}

} // namespace

bool SdlDisplay::key_waiting() {
    if (!video_) return key_;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_QUIT ||
            (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)) {
            key_ = true;
        } else if (e.type == SDL_KEYDOWN) {
            if (!settings_.controls) {
                key_ = true;
                continue;
            }
            if (e.key.repeat || is_modifier(e.key.keysym.sym)) continue;
            const Control c = control_of(e.key);
            if (c == Control::None)
                key_ = true; // Escape, Q and every other key end the show
            else
                controls_.push_back(c);
        }
    }
    return key_;
}

Control SdlDisplay::take_control() {
    key_waiting(); // reads the events waiting
    if (controls_.empty()) return Control::None;
    const Control c = controls_.front();
    controls_.pop_front();
    return c;
}

// With a window manager, SDL's desktop full screen. Without one, the window
// is moved and sized to cover its display, which SDL then knows to be its
// real size. Back in a window, either way, it takes the size and place it
// had before (at the start: the window --scale asks for, centred).
void SdlDisplay::toggle_fullscreen() {
    if (!window_) return;
    fullscreen_ = !fullscreen_;
    if (fullscreen_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED)) {
        windowed_.w = 0; // the window manager brings the maximized window back
    } else if (fullscreen_) {
        SDL_GetWindowPosition(window_, &windowed_.x, &windowed_.y);
        SDL_GetWindowSize(window_, &windowed_.w, &windowed_.h);
    }
    const bool managed = window_manager_places(window_);
    SDL_Rect screen;
    if (fullscreen_ && managed) {
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else if (fullscreen_) {
        if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window_), &screen) == 0) {
            SDL_SetWindowPosition(window_, screen.x, screen.y);
            SDL_SetWindowSize(window_, screen.w, screen.h);
            SDL_RaiseWindow(window_);
        }
    } else {
        SDL_SetWindowFullscreen(window_, 0); // also where the show started full screen
        if (windowed_.w > 0) {
            SDL_SetWindowSize(window_, windowed_.w, windowed_.h);
            SDL_SetWindowPosition(window_, windowed_.x, windowed_.y);
        }
    }
    SDL_ShowCursor(fullscreen_ ? SDL_DISABLE : SDL_ENABLE);
}

void SdlDisplay::note(const std::string& text) {
    if (!window_) return;
    SDL_SetWindowTitle(window_, text.empty() ? "Vorn" : ("Vorn: " + text).c_str());
    SDL_PumpEvents();
}

void SdlDisplay::present() {
    if (!texture_) return;
    const uint64_t t0 = SDL_GetPerformanceCounter();
    const uint32_t* shown = settings_.picture ? settings_.picture(frame_.data()) : frame_.data();
    SDL_UpdateTexture(texture_, nullptr, shown, kFrameWidth * 4);
    upload_ticks_ += SDL_GetPerformanceCounter() - t0;
    ++uploads_;
    draw();
}

void SdlDisplay::redraw() {
    if (texture_) draw();
}

void SdlDisplay::draw() {
    // The output's real pixels, not the window's points: sharp on high-DPI
    // screens and right after a resize or a switch to full screen.
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    const FrameRect r = frame_layout(w, h, settings_.integer_scale);
    const SDL_Rect to{r.x, r.y, r.w, r.h};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &to);
    // The signs, the rectangles of one colour drawn together.
    const std::vector<SignRect> signs = sign_rects(signs_, {r.x, r.y, r.w, r.h}, clock_ms());
    std::vector<SDL_Rect> run;
    for (size_t i = 0; i < signs.size(); ++i) {
        const SignRect& s = signs[i];
        run.push_back({s.x, s.y, s.w, s.h});
        const bool last = i + 1 == signs.size();
        if (last || signs[i + 1].r != s.r || signs[i + 1].g != s.g || signs[i + 1].b != s.b ||
            signs[i + 1].a != s.a) {
            SDL_SetRenderDrawColor(renderer_, s.r, s.g, s.b, s.a);
            SDL_RenderFillRects(renderer_, run.data(), static_cast<int>(run.size()));
            run.clear();
        }
    }
    SDL_RenderPresent(renderer_);
}

int SdlDisplay::refresh_hz() {
    SDL_DisplayMode mode;
    if (!window_ || SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(window_), &mode) != 0)
        return 0;
    return mode.refresh_rate;
}

bool SdlDisplay::vsync_granted() {
    SDL_RendererInfo info;
    return settings_.vsync && renderer_ && SDL_GetRendererInfo(renderer_, &info) == 0 &&
           (info.flags & SDL_RENDERER_PRESENTVSYNC);
}

double SdlDisplay::mean_upload_ms() const {
    if (!uploads_) return 0;
    return static_cast<double>(upload_ticks_) * 1000.0 /
           static_cast<double>(SDL_GetPerformanceFrequency()) / static_cast<double>(uploads_);
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
