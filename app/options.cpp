// Command-line parsing for vorn (see options.h).
#include "app/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

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

namespace {

// What each kind of option does with its value (null when none followed).
using Apply = bool (*)(Options& o, const char* name, const char* value, std::string& error);

bool needs_value(const char* name, const char* value, std::string& error) {
    if (value) return true;
    error = std::string("option ") + name + " needs a value";
    return false;
}

template <std::string Options::*field>
bool text(Options& o, const char* name, const char* value, std::string& error) {
    if (!needs_value(name, value, error)) return false;
    o.*field = value;
    return true;
}

template <bool Options::*field, bool to = true>
bool flag(Options& o, const char*, const char*, std::string&) {
    o.*field = to;
    return true;
}

template <std::optional<bool> Options::*field, bool to>
bool answer(Options& o, const char*, const char*, std::string&) {
    o.*field = to;
    return true;
}

// A whole number in lo..hi.
template <int Options::*field, int lo, int hi>
bool number(Options& o, const char* name, const char* value, std::string& error) {
    if (value && parse_int(value, lo, hi, o.*field)) return true;
    error = std::string("option ") + name + " takes a whole number from " + std::to_string(lo) +
            " to " + std::to_string(hi);
    return false;
}

template <std::optional<PositionName> Options::*field>
bool position(Options& o, const char* name, const char* value, std::string& error) {
    PositionName p;
    if (value && parse_position_name(value, p)) {
        o.*field = p;
        return true;
    }
    error = std::string("option ") + name +
            " takes an order position (12), a time (1:24, 84.5) or a scene (scene:4)";
    return false;
}

// N or N/D frames per second, 1 to 240.
bool frame_rate(Options& o, const char* name, const char* value, std::string& error) {
    if (!needs_value(name, value, error)) return false;
    const std::string v = value;
    const size_t slash = v.find('/');
    o.fps_den = 1;
    const bool ok =
        parse_int(v.substr(0, slash).c_str(), 1, 240000, o.fps_num) &&
        (slash == std::string::npos || parse_int(v.c_str() + slash + 1, 1, 1001000, o.fps_den)) &&
        o.fps_num >= o.fps_den && o.fps_num <= 240L * o.fps_den;
    if (!ok)
        error = "option --fps takes frames per second N or N/D (such as 60000/1001), from 1 to "
                "240";
    return ok;
}

struct OptionSpec {
    const char* name;
    const char* argument; // what follows it in the help, or null for none
    bool takes_value;
    // The help: its lines after the first indented under it; null for an
    // option shown in another's entry (or not at all).
    const char* help;
    Apply apply;
    // How the help shows it, when not as name and argument.
    const char* shown = nullptr;
};

// Every option, in the order --help lists them. The defaults are Options'.
const OptionSpec kOptions[] = {
    {"--auto-sound", nullptr, false,
     "use the default sound output (answers the first question: Yes)",
     answer<&Options::auto_sound, true>},
    {"--sound-setup", nullptr, false, "choose the sound output in a dialog (first question: No)",
     answer<&Options::auto_sound, false>},
    {"--no-sound", nullptr, false, "play the music silently; it still drives the show",
     flag<&Options::no_sound>},
    {"--fullscreen", nullptr, false, "run full screen (answers the second question: Yes)",
     answer<&Options::fullscreen, true>},
    {"--windowed", nullptr, false, "run in a window (second question: No)",
     answer<&Options::fullscreen, false>},
    {"--no-vsync", nullptr, false,
     "render frames as fast as possible instead of at the display's rate",
     flag<&Options::vsync, false>},
    {"--integer-scale", nullptr, false,
     "scale by the largest whole multiple of 320 x 240 that fits", flag<&Options::integer_scale>},
    // --scale is the window's scale live and the video's scale when recording.
    {"--scale", "K", true,
     "open the window at 320K x 240K (1 to 10; default 3); when\n"
     "recording, enlarge the frames K times (default 4)",
     number<&Options::scale, 1, kMaxScale>},
    {"--display", "N", true, "use display N (0 is the first) for the window or full screen",
     number<&Options::display, 0, 63>},
    {"--start", "POSITION", true,
     "begin at POSITION of the music, exactly as the whole show is\n"
     "there: an order position (12), a time (1:24, 84.5) or a\n"
     "scene (scene:4); vorn --timeline lists them",
     position<&Options::start>},
    {"--controls", nullptr, false,
     "keys steer the show instead of ending it: Space or P pause,\n"
     "Left and Right go to the previous or next order position\n"
     "(Left first to the start of the one playing), Home starts\n"
     "again, F, F11 or Alt+Enter switch full screen, S saves the\n"
     "frame as a PNG in the current folder, L turns looping on or\n"
     "off; Escape, Q and any other key end the show",
     flag<&Options::controls>},
    {"--loop", nullptr, false,
     "start again from the beginning when the show ends, until a\n"
     "key ends it",
     flag<&Options::loop>},
    {"--watch", nullptr, false,
     "watch the data folder: a changed picture, object or module\n"
     "is loaded and the show goes on at the same moment with it\n"
     "(also while paused); a broken file is refused and the show\n"
     "keeps the last good one",
     flag<&Options::watch>},
    {"--gentle", nullptr, false,
     "show and record the show gently: where it would flash more\n"
     "than three times a second over a large area (a risk for\n"
     "photosensitive viewers), those places change only faintly",
     flag<&Options::gentle>},
    {"--audio-offset", "MS", true,
     "show the pictures MS milliseconds later than the sound is\n"
     "heard (-1000 to 1000; negative: earlier)",
     number<&Options::audio_offset_ms, -1000, 1000>},
    {"--stats", nullptr, false, "print frame statistics at the end", flag<&Options::stats>},
    {"--data", "DIR", true, "read the pictures, objects and music from DIR",
     text<&Options::data_dir>},
    {"--still", "S:T[:F]", true,
     "render scene S at tick T with sync flags F (e.g. 2:40:1,6)\n"
     "into a PNG, without window or sound",
     text<&Options::still>, "--still S:T[:F] --out FILE.png"},
    {"--out", "FILE.png", true, nullptr, text<&Options::out>},
    {"--verbose", nullptr, false, "print the loading progress also when not playing live",
     flag<&Options::verbose>},
    {"--record", "FILE", true,
     "record the show to FILE.mp4 (H.264, AAC) or FILE.mkv (lossless\n"
     "FFV1, FLAC) without window, sound device or questions",
     text<&Options::record>},
    {"--frames", "DIR", true,
     "record numbered PNG frames and sound.wav into DIR instead (a new\n"
     "or empty folder; its parent must exist)",
     text<&Options::frames>},
    {"--overwrite", nullptr, false,
     "with --frames: first remove an earlier recording's frames and\n"
     "sound.wav from DIR",
     flag<&Options::overwrite>},
    {"--or-record", "FILE", true, "play live, or record to FILE when there is no display",
     text<&Options::or_record>},
    {"--fps", "N[/D]", true, "frames per second of a recording, 1 to 240 (default 60)", frame_rate},
    {"--from", "POSITION", true,
     "record only from POSITION up to (not including) --to, exactly\n"
     "those frames and sound of the whole recording",
     position<&Options::from>, "--from POSITION --to POSITION"},
    {"--to", "POSITION", true, nullptr, position<&Options::to>},
    {"--timeline", nullptr, false,
     "print the music's order positions with their start times, the\n"
     "scenes they select and the flags they raise, then end",
     flag<&Options::timeline>},
    {"--check", nullptr, false,
     "judge the data folder without playing it: each file found,\n"
     "loaded and fit for its role, the scenes the music selects and\n"
     "the flags they get, and where the show ends; status 1 when the\n"
     "show will not play",
     flag<&Options::check>},
    {"--json", nullptr, false, "with --check: the report as JSON", flag<&Options::json>},
    {"--cues", "CUES.txt", true,
     "write the cue sheet CUES.txt (ORDER:ROW VALUE or M:SS.hh VALUE\n"
     "a line) as W commands into a copy of IN.xm called OUT.xm,\n"
     "leaving the music unchanged (OUT.xm must not exist yet)",
     text<&Options::cues>, "--cues CUES.txt --module IN.xm --out OUT.xm"},
    {"--module", "IN.xm", true, nullptr, text<&Options::module>},
    {"--cues-from", "IN.xm", true, "print the W commands of IN.xm as a cue sheet",
     text<&Options::cues_from>},
    {"--flash-check", nullptr, false,
     "play the show without output and list each second that\n"
     "breaks the flash rules (more than three flashes, or red\n"
     "flashes, over a large area), then end; with --gentle, as\n"
     "--gentle shows it. Status 1 when a second breaks them",
     flag<&Options::flash_check>},
    {"--help", nullptr, false, "show this text", flag<&Options::help>},
    {"-h", nullptr, false, nullptr, flag<&Options::help>},
    {"--version", nullptr, false, "show the version", flag<&Options::version>},
};

// The help's layout: an option's description starts in this column, on the
// option's own line when it fits there.
constexpr size_t kHelpColumn = 21;

std::string option_list() {
    std::string list;
    for (const OptionSpec& spec : kOptions) {
        if (!spec.help) continue;
        std::string line =
            std::string("  ") + (spec.shown
                                     ? spec.shown
                                     : std::string(spec.name) +
                                           (spec.argument ? std::string(" ") + spec.argument : ""));
        if (line.size() + 2 > kHelpColumn)
            line += "\n" + std::string(kHelpColumn, ' ');
        else
            line.resize(kHelpColumn, ' ');
        for (const char* c = spec.help; *c; ++c)
            line += *c == '\n' ? "\n" + std::string(kHelpColumn, ' ') : std::string(1, *c);
        list += line + "\n";
    }
    return list;
}

const OptionSpec* find_option(const char* name) {
    for (const OptionSpec& spec : kOptions)
        if (!std::strcmp(name, spec.name)) return &spec;
    return nullptr;
}

} // namespace

const char* usage_text() {
    static const std::string text =
        "usage: vorn [options]\n"
        "Plays the show: a music module and eight software-rendered scenes in a\n"
        "320 x 240 frame. Any key, closing the window, Ctrl+C or SIGTERM ends it.\n"
        "\n" +
        option_list() +
        "\n"
        "Without --data the files are read from the current folder if it holds vorn.xm,\n"
        "else from the data folder of the build (for the program in the build folder) or\n"
        "the one installed beside the program (" VORN_DATA_FROM_BIN ").\n";
    return text.c_str();
}

namespace {
// The options that go only with others, or not with each other.
bool check_combinations(const Options& o, std::string& error) {
    if (!o.cues.empty() && (o.module.empty() || o.out.empty()))
        error = "--cues CUES.txt needs --module IN.xm and --out OUT.xm";
    else if (o.cues.empty() && !o.module.empty())
        error = "--module goes with --cues";
    else if (!o.cues.empty() && !o.still.empty())
        error = "--cues and --still exclude each other";
    else if (!o.still.empty() && o.out.empty())
        error = "--still needs --out FILE.png";
    else if (o.still.empty() && o.cues.empty() && !o.out.empty())
        error = "--out goes with --still or --cues";
    else if (o.json && !o.check)
        error = "--json goes with --check";
    else if (!o.record.empty() && !o.frames.empty())
        error = "--record and --frames exclude each other";
    else if (o.flash_check &&
             (!o.record.empty() || !o.frames.empty() || !o.or_record.empty() || !o.still.empty()))
        error = "--flash-check plays the show without output: it goes without --record, "
                "--frames, --or-record and --still";
    else if (o.watch && (!o.record.empty() || !o.frames.empty() || !o.still.empty() || o.check ||
                         o.timeline || o.flash_check))
        error = "--watch goes with the live show: it goes without --record, --frames, --still, "
                "--check, --timeline and --flash-check";
    else if (o.overwrite && o.frames.empty())
        error = "--overwrite goes with --frames (a --record file is only ever replaced by a "
                "complete recording)";
    return error.empty();
}
} // namespace

bool parse_options(int argc, const char* const* argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const OptionSpec* spec = find_option(argv[i]);
        if (!spec) {
            error = std::string("unknown option '") + argv[i] + "'";
            return false;
        }
        const char* value = spec->takes_value && i + 1 < argc ? argv[++i] : nullptr;
        if (!spec->apply(o, spec->name, value, error)) return false;
    }
    return check_combinations(o, error);
}
