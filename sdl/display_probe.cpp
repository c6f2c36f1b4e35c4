// The display probe (see display_probe.h): SDL's video subsystem is started
// and stopped again; the display layer starts it anew when it opens.
#include "sdl/display_probe.h"

#include <SDL.h>

namespace {

bool set(const char* variable) {
    const char* value = SDL_getenv(variable);
    return value != nullptr && *value != 0;
}

std::string no_display_reason() {
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY"))
        return "no display was found (DISPLAY is not set)";
    const std::string which =
        set("DISPLAY") ? std::string("DISPLAY=") + x11 : std::string("WAYLAND_DISPLAY=") + wayland;
    return "the display " + which + " does not answer";
}

} // namespace

bool display_available(std::string& why) {
    const bool requested = set("SDL_VIDEODRIVER");
#ifdef __linux__
    // Neither X11 nor Wayland named: no display to find, and SDL's probing of
    // the drivers would only print their own errors.
    if (!requested && !set("DISPLAY") && !set("WAYLAND_DISPLAY")) {
        why = no_display_reason();
        return false;
    }
    // Only X11 named: no Wayland probe (it would print its own errors).
    if (!requested && !set("WAYLAND_DISPLAY")) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
#endif
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        why = no_display_reason();
        return false;
    }
    const bool unseen = display_unseen();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (unseen) why = no_display_reason();
    return !unseen;
}

// Without a real display SDL may fall back to drawing off screen; only a
// user who asks for such a driver gets it.
bool display_unseen() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && !set("SDL_VIDEODRIVER") &&
           (!SDL_strcmp(driver, "offscreen") || !SDL_strcmp(driver, "dummy"));
}
