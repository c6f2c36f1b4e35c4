// Data folder lookup (see data_dir.h).
#include "app/data_dir.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool holds_music(const fs::path& dir) {
    std::error_code ec;
    return fs::exists(dir / "vorn.xm", ec);
}

bool same_folder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

} // namespace

std::string choose_data_dir(const std::string& requested, const std::string& program_dir) {
    if (!requested.empty()) return requested;
    if (holds_music(".")) return "";
    if (program_dir.empty()) return "";
    if (same_folder(program_dir, VORN_BUILD_PROGRAM_DIR))
        return holds_music(VORN_BUILD_DATA_DIR) ? VORN_BUILD_DATA_DIR : "";
    const fs::path installed = (fs::path(program_dir) / VORN_DATA_FROM_BIN).lexically_normal();
    return holds_music(installed) ? installed.string() : "";
}

bool enter_data_dir(const std::string& dir, std::string& error) {
    if (dir.empty()) return true;
    std::error_code ec;
    fs::current_path(dir, ec);
    if (ec) {
        std::error_code abs_error;
        const fs::path full = fs::absolute(dir, abs_error);
        error = "cannot use the data folder " + (abs_error ? dir : full.string()) + ": " +
                ec.message() +
                ". Give --data a folder that holds the show's files (a copy of the build's "
                "data folder, with your own files in it)";
        return false;
    }
    return true;
}
