// The seams between the show's main loop and the machine: display, music,
// dialogs and clock. The real ones sit on SDL2 and libxmp; tests hand the
// loop fakes.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "music/song_position.h"
#include "show/viewer_signs.h"

// A failure of a platform layer that ends the show: the show catches it
// once around everything, closes what was opened and reports it (status 1).
struct PlatformError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Raised by the display and dialog layers when they cannot go on (no
// display, no window, no renderer, a dialog that cannot be shown).
struct DisplayError : PlatformError {
    using PlatformError::PlatformError;
};

// What a viewer can ask of the live show besides ending it.
enum class Control {
    None,
    Pause,      // pause, or play on
    Back,       // to the start of this order position, or the one before
    Forward,    // to the next order position
    Restart,    // from the very beginning
    Fullscreen, // between window and full screen
    SaveFrame,  // the frame on screen as a PNG
    Loop,       // looping at the end on or off
};

// A 320 x 240 true-colour display. open() throws DisplayError.
class Display {
  public:
    virtual ~Display() = default;
    virtual void open(const char* title, bool fullscreen) = 0;
    // True when a key press (or a request to quit) is waiting; the key is not read.
    virtual bool key_waiting() = 0;
    // Whether the viewer asked to end the show (a key, closing the window, a
    // signal), as opposed to the show reaching its end.
    virtual bool stop_asked() { return key_waiting(); }
    // The frame buffer: 320 x 240 pixels 0x00RRGGBB, kept between frames.
    virtual uint32_t* lock() = 0;
    // Copies the frame to the display and shows it.
    virtual void present() = 0;
    virtual void unlock() = 0;
    virtual void close() = 0;
    // Releases everything open() created, in reverse order; safe to call twice.
    virtual void destroy() = 0;
    // Called when a whole sweep over the scenes drew nothing (scene 8..30).
    virtual void idle() {}
    // After open(): the display's refresh rate (0 when unknown), and whether
    // present() was promised to wait for the display's vertical sync.
    virtual int refresh_hz() { return 0; }
    virtual bool vsync_granted() { return false; }

    // The viewer's controls (the live show with --controls): the next one
    // pressed, oldest first, or None. Keys that are not controls still end
    // the show through key_waiting().
    virtual Control take_control() { return Control::None; }
    // Between window and full screen.
    virtual void toggle_fullscreen() {}
    // A short word on what the show is doing (a seek's progress), shown
    // where the viewer looks; empty: none.
    virtual void note(const std::string&) {}
    // The signs drawn over the picture from now on (viewer_signs.h), on the
    // display's output only: never into the frame buffer, so what is
    // recorded or saved stays the show's frame. Every present() draws them.
    virtual void show_signs(const ViewerSigns&) {}
    // Shows the picture last presented again, with the signs as they are
    // now, without taking the frame buffer: for a sign to appear at once
    // while no frame comes (paused, or a jump on its way).
    virtual void redraw() {}
};

class Music {
  public:
    virtual ~Music() = default;
    // configure: 0 = detect the output device, else ask which one.
    virtual bool startup(const char* file_name, uint8_t configure) = 0;
    virtual bool start() = 0;
    virtual bool shutdown() = 0;
    // Hands the sync values of every row whose start is due now to the sync
    // callback, in order. The main loop calls it at the top of every pass and
    // before every frame.
    virtual void deliver_sync() {}

    // While paused the output plays silence and nothing of the music passes.
    virtual void pause(bool) {}
    // Plays on from `from` (a row, or a moment inside one): what was queued
    // is dropped and the heard clock starts again. False when it cannot.
    virtual bool seek(const MusicStart&) { return false; }
    // Before start(): where start() plays from (the song's first row unless
    // said).
    virtual void start_from(const MusicStart&) {}
    // True once the song has played to its end (or looped back).
    virtual bool song_over() { return false; }
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // True for Yes. Throws DisplayError when no dialog can be shown.
    virtual bool ask_yes_no(const char* text, const char* caption) = 0;
    // The index of the chosen button, or -1 when no dialog can be shown.
    virtual int choose(const char* text, const char* caption,
                       const std::vector<std::string>& buttons) = 0;
    // Shows an error where that is possible (it is always printed too).
    virtual void show_error(const char* caption, const char* text) = 0;
};

// A display that only keeps the frame: nothing is shown and no key comes
// (the web page, whose keys are its own; tests).
class BufferDisplay : public Display {
  public:
    void open(const char*, bool) override {}
    bool key_waiting() override { return false; }
    uint32_t* lock() override { return frame.data(); }
    void present() override {}
    void unlock() override {}
    void close() override {}
    void destroy() override {}
    std::vector<uint32_t> frame = std::vector<uint32_t>(320 * 240, 0u);
};

// Music whose start-up and shutdown are someone else's business (the web
// page's worklet plays it; tests hand values over themselves).
class QuietMusic : public Music {
  public:
    bool startup(const char*, uint8_t) override { return true; }
    bool start() override { return true; }
    bool shutdown() override { return true; }
};

// For a show that asks nothing (a recording, a replay, tests): every
// question is answered Yes, no choice can be shown, errors are only printed.
class NoDialogs : public Dialogs {
  public:
    bool ask_yes_no(const char*, const char*) override { return true; }
    int choose(const char*, const char*, const std::vector<std::string>&) override { return -1; }
    void show_error(const char*, const char*) override {}
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual int64_t now_ms() = 0;
};
