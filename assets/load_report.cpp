// Progress and failure output of the loaders (see load_report.h).
#include "assets/load_report.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/show_text.h"

namespace {
bool progress_shown = true;
} // namespace

const char* const kPcxConvertHint =
    "Make an 8-bit PCX with a 256-colour palette, e.g. with ImageMagick: "
    "convert in.png -alpha off -colors 256 -type Palette out.pcx";

void set_load_progress(bool shown) {
    progress_shown = shown;
}

bool load_progress_shown() {
    return progress_shown;
}

void LoadReport::done() {
    if (progress_shown) print_show_text(out);
    out.clear();
}

void LoadReport::fail(const std::string& message, const std::string& reason) {
    print_show_text(out + message);
    std::fflush(stdout);
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(file, ec);
    std::fprintf(stderr, "vorn: cannot load %s: %s\n", ec ? file : full.c_str(), reason.c_str());
    std::exit(-1);
}

std::string open_failure_reason(int error_number) {
    switch (error_number) {
    case ENOENT:
        return "the file is missing. Put the show's data files in that folder, or name the "
               "folder that holds them with --data DIR";
    case EISDIR:
        return "it is a folder, not a file. Put the data file of that name in its place";
    case EACCES:
        return "permission denied. Make the file readable (chmod a+r FILE)";
    default:
        return std::string("it cannot be read (") + std::strerror(error_number) + ")";
    }
}

std::string read_failure_reason(const FileRead& file) {
    if (file.not_a_file)
        return std::string("it is ") + file.not_a_file +
               ", not a regular file. Put the data file of that name in its place";
    return open_failure_reason(file.error_number);
}

std::string too_large_reason(uint64_t size, size_t limit, const char* kind) {
    char text[200];
    if (size == 0)
        std::snprintf(text, sizeof text,
                      "it holds more than any %s (at most %zu MiB): it went on past that while "
                      "it was read",
                      kind, limit >> 20);
    else
        std::snprintf(text, sizeof text, "it is %llu bytes, more than any %s (at most %zu MiB)",
                      static_cast<unsigned long long>(size), kind, limit >> 20);
    return text;
}
