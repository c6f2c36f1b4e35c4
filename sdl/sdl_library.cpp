// Starting and quitting SDL (see sdl_library.h).
#include "sdl/sdl_library.h"

#include <SDL.h>

SdlLibrary::SdlLibrary() {
    SDL_SetMainReady(); // our own main(): no SDL_main wrapper
    SDL_Init(0);
}

SdlLibrary::~SdlLibrary() {
    SDL_Quit();
}
