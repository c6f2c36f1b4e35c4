// The display on SDL2: a resizable window of 320K x 240K points or desktop
// full screen, on the chosen monitor, showing the 320 x 240 frame with
// nearest-neighbour pixels, 4:3 kept (or whole multiples only) behind black
// borders. On an X server without a window manager, full screen is the
// window moved and sized to cover its monitor. The picture is laid out in
// the renderer's real output pixels on every present, so it stays sharp on
// high-DPI screens and right after a resize or a switch to full screen.
//
// The viewer's signs (show/viewer_signs.h) are drawn over the picture on
// the output, after the frame and before the present, never into the frame.
//
// Any key ends the show, or, with `controls`: Space or P pause, Left and
// Right go back and forward, Home restarts, F, F11 or Alt+Enter switch
// between window and full screen, S saves the frame, L turns looping on or
// off; Escape, Q and every other key still end it (modifier keys alone do
// nothing, so that Alt+Enter does not end it).
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <SDL.h>

#include "show/platform.h"

struct DisplaySettings {
    bool vsync = true;
    bool integer_scale = false;
    int scale = 3;         // the window's size in multiples of 320 x 240
    int display = -1;      // the monitor's index; -1: the system's choice
    bool controls = false; // keys steer the show (take_control) instead of all ending it
    // The picture to show for the frame as drawn (the gentle mode's copy);
    // unset: the frame itself. The frame the scenes read back stays as drawn.
    std::function<const uint32_t*(const uint32_t* frame)> picture = nullptr;
};

class SdlDisplay : public Display {
  public:
    explicit SdlDisplay(const DisplaySettings& s) : settings_(s), frame_(320 * 240, 0) {}
    ~SdlDisplay() override { destroy(); }

    void open(const char* title, bool fullscreen) override;
    bool key_waiting() override;
    uint32_t* lock() override { return frame_.data(); }
    void present() override;
    void unlock() override {}
    void close() override;
    void destroy() override;
    void idle() override { SDL_Delay(1); }
    int refresh_hz() override;
    bool vsync_granted() override;
    bool stop_asked() override { return key_; }
    Control take_control() override;
    void toggle_fullscreen() override;
    void note(const std::string& text) override;
    void show_signs(const ViewerSigns& signs) override { signs_ = signs; }
    void redraw() override;

    // Mean time of the frame's upload to the texture (part of present()), ms.
    double mean_upload_ms() const;
    // The renderer, for reading back what is shown; null before open().
    SDL_Renderer* renderer() const { return renderer_; }

  private:
    // The texture as last uploaded, laid out on the output, with the signs.
    void draw();

    DisplaySettings settings_;
    ViewerSigns signs_;
    bool video_ = false;
    bool key_ = false;
    bool fullscreen_ = false;
    SDL_Rect windowed_{};          // the window's place and size to go back to from full screen
    std::deque<Control> controls_; // pressed, not yet taken
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    std::vector<uint32_t> frame_;
    uint64_t upload_ticks_ = 0, uploads_ = 0;
};
