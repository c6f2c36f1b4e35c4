// The display probe (see display_probe.h): SDL's video subsystem is started
// and stopped again; the display layer starts it anew when it opens.
#include "driver/display_probe.h"

#include <SDL.h>

namespace {

std::string no_display_reason() {
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if ((x11 == nullptr || *x11 == 0) && (wayland == nullptr || *wayland == 0))
        return "cannot open a display: no display was found (DISPLAY is not set)";
    std::string which = (x11 != nullptr && *x11 != 0) ? std::string("DISPLAY=") + x11
                                                      : std::string("WAYLAND_DISPLAY=") + wayland;
    return "cannot open a display: the display " + which + " does not answer";
}

} // namespace

bool display_available(std::string& why) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        why = no_display_reason();
        return false;
    }
    // Without a real display SDL may fall back to drawing off screen; only a
    // user who asks for such a driver gets it.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    const bool unseen = driver != nullptr &&
                        (!SDL_strcmp(driver, "offscreen") || !SDL_strcmp(driver, "dummy")) &&
                        !(requested != nullptr && *requested != 0);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (unseen) why = no_display_reason();
    return !unseen;
}
