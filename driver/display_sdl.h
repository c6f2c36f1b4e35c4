// The display on SDL2: a window titled as asked (960 x 720, resizable) or
// desktop full screen, showing the 320 x 240 frame scaled with nearest
// neighbour and 4:3 kept behind black borders.
#pragma once
#include <vector>

#include <SDL.h>

#include "driver/platform.h"

class SdlDisplay : public Display {
  public:
    explicit SdlDisplay(bool vsync) : vsync_(vsync), frame_(320 * 240, 0) {}
    ~SdlDisplay() override { destroy(); }

    void open(const char* title, bool fullscreen) override;
    bool key_waiting() override;
    uint32_t* lock() override { return frame_.data(); }
    void present() override;
    void unlock() override {}
    void close() override;
    void destroy() override;
    void idle() override { SDL_Delay(1); }

  private:
    bool vsync_;
    bool video_ = false;
    bool key_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    std::vector<uint32_t> frame_;
};
