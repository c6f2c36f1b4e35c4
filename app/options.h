// Command-line options of the vorn program.
#pragma once
#include <optional>
#include <string>

#include "music/song_position.h"

// The scale of the window live, and of each pixel in a recording, unless
// --scale gives one (1 to kMaxScale).
constexpr int kWindowScale = 3;
constexpr int kRecordScale = 4;
constexpr int kMaxScale = 10;

struct Options {
    std::optional<bool> auto_sound;    // --auto-sound / --sound-setup
    std::optional<bool> fullscreen;    // --fullscreen / --windowed
    bool no_sound = false;             // --no-sound
    bool vsync = true;                 // --no-vsync turns it off
    int audio_offset_ms = 0;           // --audio-offset MS
    std::optional<PositionName> start; // --start POSITION
    bool integer_scale = false;        // --integer-scale
    int scale = 0;                     // --scale K (0: not given)
    int display = -1;                  // --display N (-1: the system's choice)
    bool stats = false;                // --stats
    std::string data_dir;              // --data DIR
    std::string still;                 // --still SCENE:TICK[:FLAGS]
    std::string out;                   // --out FILE.png
    bool verbose = false;              // --verbose: loading progress also outside the live show
    // Recording (record.h): --record FILE, --frames DIR, --or-record FILE
    // (play live, or record to FILE when there is no display; --record and
    // --frames take precedence).
    std::string record, frames, or_record;
    int fps_num = 60, fps_den = 1;        // --fps N or N/D, 1..240
    std::optional<PositionName> from, to; // --from POSITION, --to POSITION
    bool overwrite = false;               // --overwrite: --frames may replace an earlier recording
    bool controls = false;    // --controls: keys pause, seek, loop, ... instead of ending
    bool loop = false;        // --loop: start again at the end
    bool watch = false;       // --watch: take changed data files into the live show
    bool gentle = false;      // --gentle: show and record the picture within the flash rules
    bool flash_check = false; // --flash-check: list the seconds that break the flash rules
    bool timeline = false;    // --timeline: print the music's timeline and end
    bool check = false;       // --check: judge the data folder and end
    bool json = false;        // --json: --check's report as JSON
    std::string cues;         // --cues CUES.txt: write a cue sheet into --module's copy --out
    std::string module;       // --module IN.xm
    std::string cues_from;    // --cues-from IN.xm: print a module's cues as a cue sheet
    bool help = false;
    bool version = false;
};

// The scale to use live and when recording.
inline int window_scale(const Options& o) {
    return o.scale ? o.scale : kWindowScale;
}
inline int record_scale(const Options& o) {
    return o.scale ? o.scale : kRecordScale;
}

// Parses argv. On a bad argument returns false with a one-line reason in `error`.
bool parse_options(int argc, const char* const* argv, Options& o, std::string& error);

// The text --help prints.
const char* usage_text();
