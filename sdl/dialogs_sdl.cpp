// SDL message boxes for the start-up questions, the sound set-up and errors.
#include "sdl/dialogs_sdl.h"

#include <SDL.h>

int SdlDialogs::choose(const char* text, const char* caption,
                       const std::vector<std::string>& buttons) {
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < buttons.size(); ++i) {
        Uint32 flags = 0;
        if (i == 0) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (i + 1 == buttons.size()) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data.push_back({flags, static_cast<int>(i), buttons[i].c_str()});
    }
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_INFORMATION;
    box.title = caption;
    box.message = text;
    box.numbuttons = static_cast<int>(data.size());
    box.buttons = data.data();
    int chosen = -1;
    if (SDL_ShowMessageBox(&box, &chosen) != 0) return -1;
    return chosen;
}

bool SdlDialogs::ask_yes_no(const char* text, const char* caption) {
    int answer = choose(text, caption, {"Yes", "No"});
    if (answer < 0)
        throw DisplayError(std::string("no dialog can be shown to ask \"") + text + "\" (" +
                           SDL_GetError() + "); answer it with an option (see --help)");
    return answer == 0;
}

void SdlDialogs::show_error(const char* caption, const char* text) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}
