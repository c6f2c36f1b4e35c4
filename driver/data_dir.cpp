// Data folder lookup (see data_dir.h).
#include "driver/data_dir.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string choose_data_dir(const std::string& requested) {
    if (!requested.empty()) return requested;
    std::error_code ec;
    if (fs::exists("vorn.xm", ec)) return "";
    for (const char* dir : {VORN_BUILD_DATA_DIR, VORN_INSTALL_DATA_DIR}) {
        if (fs::exists(fs::path(dir) / "vorn.xm", ec)) return dir;
    }
    return "";
}

bool enter_data_dir(const std::string& dir, std::string& error) {
    if (dir.empty()) return true;
    std::error_code ec;
    fs::current_path(dir, ec);
    if (ec) {
        error = "cannot use the data folder " + dir + ": " + ec.message();
        return false;
    }
    return true;
}
