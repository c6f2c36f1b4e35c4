// Command-line parsing for vorn (see options.h).
#include "app/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// A whole decimal number in [low, high].
bool parse_int(const char* text, long low, long high, int& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end || errno || v < low || v > high || *text == '+' || *text == ' ')
        return false;
    out = static_cast<int>(v);
    return true;
}

} // namespace

const char* usage_text() {
    return "usage: vorn [options]\n"
           "Plays the show: a music module and eight software-rendered scenes in a\n"
           "320 x 240 frame. Any key, closing the window, Ctrl+C or SIGTERM ends it.\n"
           "\n"
           "  --auto-sound       use the default sound output (answers the first question: Yes)\n"
           "  --sound-setup      choose the sound output in a dialog (first question: No)\n"
           "  --no-sound         play the music silently; it still drives the show\n"
           "  --fullscreen       run full screen (answers the second question: Yes)\n"
           "  --windowed         run in a window (second question: No)\n"
           "  --no-vsync         render frames as fast as possible instead of at the display's "
           "rate\n"
           "  --integer-scale    scale by the largest whole multiple of 320 x 240 that fits\n"
           "  --scale K          open the window at 320K x 240K (1 to 10; default 3); when\n"
           "                     recording, enlarge the frames K times (default 4)\n"
           "  --display N        use display N (0 is the first) for the window or full screen\n"
           "  --start POSITION   begin at POSITION of the music, exactly as the whole show is\n"
           "                     there: an order position (12), a time (1:24, 84.5) or a\n"
           "                     scene (scene:4); vorn --timeline lists them\n"
           "  --controls         keys steer the show instead of ending it: Space or P pause,\n"
           "                     Left and Right go to the previous or next order position\n"
           "                     (Left first to the start of the one playing), Home starts\n"
           "                     again, F, F11 or Alt+Enter switch full screen, S saves the\n"
           "                     frame as a PNG in the current folder, L turns looping on or\n"
           "                     off; Escape, Q and any other key end the show\n"
           "  --loop             start again from the beginning when the show ends, until a\n"
           "                     key ends it\n"
           "  --audio-offset MS  show the pictures MS milliseconds later than the sound is\n"
           "                     heard (-1000 to 1000; negative: earlier)\n"
           "  --stats            print frame statistics at the end\n"
           "  --data DIR         read the pictures, objects and music from DIR\n"
           "  --still S:T[:F] --out FILE.png\n"
           "                     render scene S at tick T with sync flags F (e.g. 2:40:1,6)\n"
           "                     into a PNG, without window or sound\n"
           "  --verbose          print the loading progress also when not playing live\n"
           "  --record FILE      record the show to FILE.mp4 (H.264, AAC) or FILE.mkv (lossless\n"
           "                     FFV1, FLAC) without window, sound device or questions\n"
           "  --frames DIR       record numbered PNG frames and sound.wav into DIR instead (a new\n"
           "                     or empty folder; its parent must exist)\n"
           "  --overwrite        with --frames: first remove an earlier recording's frames and\n"
           "                     sound.wav from DIR\n"
           "  --or-record FILE   play live, or record to FILE when there is no display\n"
           "  --fps N[/D]        frames per second of a recording, 1 to 240 (default 60)\n"
           "  --from POSITION --to POSITION\n"
           "                     record only from POSITION up to (not including) --to, exactly\n"
           "                     those frames and sound of the whole recording\n"
           "  --timeline         print the music's order positions with their start times, the\n"
           "                     scenes they select and the flags they raise, then end\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "\n"
           "Without --data the files are read from the current folder if it holds vorn.xm,\n"
           "else from the data folder of the build (for the program in the build folder) or\n"
           "the one installed beside the program (" VORN_DATA_FROM_BIN ").\n";
}

namespace {
// A whole number in lo..hi, or a one-line reason naming the option.
bool whole_number(const char* option, const char* text, int lo, int hi, int& out,
                  std::string& error) {
    if (text && parse_int(text, lo, hi, out)) return true;
    error = std::string("option ") + option + " takes a whole number from " + std::to_string(lo) +
            " to " + std::to_string(hi);
    return false;
}

struct NumberOption {
    const char* name;
    int lo, hi;
    int Options::*field;
};
// --scale is the window's scale live and the video's scale when recording.
const NumberOption kNumberOptions[] = {
    {"--scale", 1, 10, &Options::scale},
    {"--display", 0, 63, &Options::display},
    {"--audio-offset", -1000, 1000, &Options::audio_offset_ms},
};
const NumberOption* number_option(const char* a) {
    for (const NumberOption& n : kNumberOptions)
        if (!std::strcmp(a, n.name)) return &n;
    return nullptr;
}
} // namespace

bool parse_options(int argc, const char* const* argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = std::string("option ") + a + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (!std::strcmp(a, "--auto-sound"))
            o.auto_sound = true;
        else if (!std::strcmp(a, "--sound-setup"))
            o.auto_sound = false;
        else if (!std::strcmp(a, "--no-sound"))
            o.no_sound = true;
        else if (!std::strcmp(a, "--fullscreen"))
            o.fullscreen = true;
        else if (!std::strcmp(a, "--windowed"))
            o.fullscreen = false;
        else if (!std::strcmp(a, "--no-vsync"))
            o.vsync = false;
        else if (!std::strcmp(a, "--verbose"))
            o.verbose = true;
        else if (!std::strcmp(a, "--integer-scale"))
            o.integer_scale = true;
        else if (!std::strcmp(a, "--stats"))
            o.stats = true;
        else if (!std::strcmp(a, "--start") || !std::strcmp(a, "--from") ||
                 !std::strcmp(a, "--to")) {
            std::optional<PositionName>& into = a[2] == 's' ? o.start : a[2] == 'f' ? o.from : o.to;
            PositionName name;
            if (i + 1 >= argc || !parse_position_name(argv[++i], name)) {
                error = std::string("option ") + a +
                        " takes an order position (12), a time (1:24, 84.5) or a scene (scene:4)";
                return false;
            }
            into = name;
        } else if (!std::strcmp(a, "--controls"))
            o.controls = true;
        else if (!std::strcmp(a, "--loop"))
            o.loop = true;
        else if (!std::strcmp(a, "--timeline"))
            o.timeline = true;
        else if (!std::strcmp(a, "--overwrite"))
            o.overwrite = true;
        else if (const NumberOption* n = number_option(a)) {
            if (!whole_number(a, i + 1 < argc ? argv[++i] : nullptr, n->lo, n->hi, o.*n->field,
                              error))
                return false;
        } else if (!std::strcmp(a, "--data")) {
            if (!value(o.data_dir)) return false;
        } else if (!std::strcmp(a, "--still")) {
            if (!value(o.still)) return false;
        } else if (!std::strcmp(a, "--out")) {
            if (!value(o.out)) return false;
        } else if (!std::strcmp(a, "--record") || !std::strcmp(a, "--frames") ||
                   !std::strcmp(a, "--or-record")) {
            if (!value(a[2] == 'r' ? o.record : a[2] == 'f' ? o.frames : o.or_record)) return false;
        } else if (!std::strcmp(a, "--fps")) { // N or N/D
            std::string v;
            if (!value(v)) return false;
            const size_t slash = v.find('/');
            o.fps_den = 1;
            const bool ok = parse_int(v.substr(0, slash).c_str(), 1, 240000, o.fps_num) &&
                            (slash == std::string::npos ||
                             parse_int(v.c_str() + slash + 1, 1, 1001000, o.fps_den)) &&
                            o.fps_num >= o.fps_den && o.fps_num <= 240L * o.fps_den;
            if (!ok) {
                error = "option --fps takes frames per second N or N/D (such as 60000/1001), "
                        "from 1 to 240";
                return false;
            }
        } else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h"))
            o.help = true;
        else if (!std::strcmp(a, "--version"))
            o.version = true;
        else {
            error = std::string("unknown option '") + a + "'";
            return false;
        }
    }
    if (!o.still.empty() && o.out.empty()) {
        error = "--still needs --out FILE.png";
        return false;
    }
    if (o.still.empty() && !o.out.empty()) {
        error = "--out goes with --still";
        return false;
    }
    if (!o.record.empty() && !o.frames.empty()) {
        error = "--record and --frames exclude each other";
        return false;
    }
    if (o.overwrite && o.frames.empty()) {
        error = "--overwrite goes with --frames (a --record file is only ever replaced by a "
                "complete recording)";
        return false;
    }
    return true;
}
