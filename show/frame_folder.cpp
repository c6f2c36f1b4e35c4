// The folder of a `--frames` recording, created or emptied and locked for
// one run (see frame_folder.h).
#include "show/frame_folder.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

bool is_frame_recording_file(const std::string& name) {
    if (name == "sound.wav") return true;
    // frame_ + six or more digits + .png, or .png.part while being written
    const std::string head = "frame_";
    if (name.rfind(head, 0) != 0) return false;
    size_t i = head.size();
    while (i < name.size() && name[i] >= '0' && name[i] <= '9')
        ++i;
    if (i - head.size() < 6) return false;
    const std::string rest = name.substr(i);
    return rest == ".png" || rest == ".png.part";
}

bool FrameFolder::claim(const std::string& dir, bool overwrite, std::string& error) {
    release(false);
    std::error_code ec;
    const fs::path path(dir);
    if (!fs::exists(path, ec)) {
        const fs::path parent = path.parent_path();
        if (!parent.empty() && !fs::is_directory(parent, ec)) {
            error = "cannot write " + dir + ": the folder " + parent.string() +
                    " does not exist (--frames creates only the last folder of the path)";
            return false;
        }
        if (!fs::create_directory(path, ec) && ec) {
            error = "cannot write " + dir + ": " + ec.message();
            return false;
        }
        created_ = !ec;
    } else if (!fs::is_directory(path, ec)) {
        error = "cannot write frames into " + dir + ": it is a file, not a folder";
        return false;
    }
#if !defined(_WIN32)
    // An existing folder that takes no new files would fail only at the
    // first file written.
    if (!created_ && ::access(dir.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write frames into " + dir + ": the folder cannot be written to (" +
                std::strerror(errno) + "). Record into a folder of your own";
        return false;
    }
    lock_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock_ < 0) {
        error = "cannot write " + dir + ": " + std::strerror(errno);
        created_ = false;
        return false;
    }
    if (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock_);
        lock_ = -1;
        created_ = false;
        error = "cannot write frames into " + dir +
                ": another vorn is recording into it right now; wait for it to end or choose "
                "another folder";
        return false;
    }
#endif
    dir_ = dir;
    size_t others = 0, earlier = 0;
    std::string example;
    for (const auto& e : fs::directory_iterator(path, ec)) {
        const std::string name = e.path().filename().string();
        if (is_frame_recording_file(name) && e.is_regular_file(ec)) {
            ++earlier;
            if (example.empty()) example = name;
        } else {
            ++others;
            example = name;
        }
    }
    if (ec) {
        error = "cannot read the folder " + dir + ": " + ec.message();
        release(false);
        return false;
    }
    if (earlier + others > 0 && !overwrite) {
        const size_t count = earlier + others;
        error = "cannot write frames into " + dir + ": it is not empty (" +
                (count == 1 ? "it holds " + example
                            : std::to_string(count) + " files, such as " + example) +
                "); choose a new or empty folder" +
                (earlier ? ", or add --overwrite to remove the earlier recording's "
                           "frame_NNNNNN.png and sound.wav first"
                         : "");
        release(false);
        return false;
    }
    if (overwrite && earlier > 0) {
        for (const auto& e : fs::directory_iterator(path, ec)) {
            const std::string name = e.path().filename().string();
            if (is_frame_recording_file(name) && e.is_regular_file(ec) &&
                !fs::remove(e.path(), ec)) {
                error = "cannot remove " + e.path().string() + ": " + ec.message();
                release(false);
                return false;
            }
        }
    }
    return true;
}

void FrameFolder::release(bool remove_if_empty) {
#if !defined(_WIN32)
    if (lock_ >= 0) ::close(lock_);
#endif
    lock_ = -1;
    if (remove_if_empty && created_ && !dir_.empty()) {
        std::error_code ec;
        fs::remove(dir_, ec); // only an empty folder goes
    }
    created_ = false;
    dir_.clear();
}
