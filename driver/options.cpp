// Command-line parsing for vorn (see options.h).
#include "driver/options.h"

#include <cstring>

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
           "  --data DIR         read the pictures, objects and music from DIR\n"
           "  --still S:T[:F] --out FILE.png\n"
           "                     render scene S at tick T with sync flags F (e.g. 2:40:1,6)\n"
           "                     into a PNG, without window or sound\n"
           "  --verbose          print the loading progress also when not playing live\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "\n"
           "Without --data the files are read from the current folder if it holds vorn.xm,\n"
           "else from the data folder of the build (for the program in the build folder) or\n"
           "the one installed beside the program (../share/vorn).\n";
}

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
        else if (!std::strcmp(a, "--data")) {
            if (!value(o.data_dir)) return false;
        } else if (!std::strcmp(a, "--still")) {
            if (!value(o.still)) return false;
        } else if (!std::strcmp(a, "--out")) {
            if (!value(o.out)) return false;
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
    return true;
}
