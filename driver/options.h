// Command-line options of the vorn program.
#pragma once
#include <optional>
#include <string>

struct Options {
    std::optional<bool> auto_sound; // --auto-sound / --sound-setup
    std::optional<bool> fullscreen; // --fullscreen / --windowed
    bool no_sound = false;          // --no-sound
    bool vsync = true;              // --no-vsync turns it off
    std::string data_dir;           // --data DIR
    std::string still;              // --still SCENE:TICK[:FLAGS]
    std::string out;                // --out FILE.png
    // Recording (record.h): --record FILE, --frames DIR, --or-record FILE
    // (play live, or record to FILE when there is no display; --record and
    // --frames take precedence).
    std::string record, frames, or_record;
    int fps_num = 60, fps_den = 1; // --fps N or N/D, 1..240
    int scale = 0;                 // --scale K: of the recording (0: default)
    int from = 0, to = -1;         // --from ORDER, --to ORDER
    bool help = false;
    bool version = false;
};

// Parses argv. On a bad argument returns false with a one-line reason in `error`.
bool parse_options(int argc, const char* const* argv, Options& o, std::string& error);

// The text --help prints.
const char* usage_text();
