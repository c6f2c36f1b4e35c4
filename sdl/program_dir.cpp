// The running executable's folder through SDL (see program_dir.h).
#include "sdl/program_dir.h"

#include <SDL.h>

std::string program_dir() {
    char* base = SDL_GetBasePath();
    if (base == nullptr) return "";
    std::string dir = base;
    SDL_free(base);
    return dir;
}
