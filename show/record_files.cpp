// Working, stopped and final names of a recording's video file (see
// record_files.h).
#include "show/record_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// "show.mp4" -> folder, "show", ".mp4".
struct NameParts {
    fs::path folder;
    std::string stem, ext;
};
NameParts parts(const std::string& final_path) {
    const fs::path p(final_path);
    return {p.parent_path(), p.stem().string(), p.extension().string()};
}

bool all_digits(const std::string& s) {
    if (s.empty() || s.size() > 18) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool process_running(long pid) {
#if defined(_WIN32)
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!h) return false;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    CloseHandle(h);
    return running;
#else
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

uint64_t big_endian(const unsigned char* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return v;
}

} // namespace

long this_process() {
#if defined(_WIN32)
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(::getpid());
#endif
}

std::string working_name(const std::string& final_path, long pid) {
    const NameParts n = parts(final_path);
    return (n.folder / (n.stem + "." + std::to_string(pid) + ".part" + n.ext)).string();
}

std::string stopped_name(const std::string& final_path, int n) {
    const NameParts p = parts(final_path);
    const std::string suffix = n <= 1 ? ".partial" : ".partial-" + std::to_string(n);
    return (p.folder / (p.stem + suffix + p.ext)).string();
}

bool move_replacing(const std::string& from, const std::string& to, std::string& error) {
    std::error_code ec;
    fs::rename(from, to, ec); // rename(2): atomic, replaces `to`
    if (!ec) return true;
    error = "cannot move " + from + " to " + to + ": " + ec.message();
    return false;
}

MoveResult move_keeping(const std::string& from, const std::string& to, std::string& error) {
#if defined(_WIN32)
    if (MoveFileExA(from.c_str(), to.c_str(), 0)) return MoveResult::Moved;
    const DWORD e = GetLastError();
    if (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS) return MoveResult::Exists;
    error = "cannot move " + from + " to " + to + ": error " + std::to_string(e);
    return MoveResult::Failed;
#else
#if defined(__linux__)
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return MoveResult::Moved;
    if (errno == EEXIST) return MoveResult::Exists;
    if (errno != EINVAL && errno != ENOSYS) {
        error = "cannot move " + from + " to " + to + ": " + std::strerror(errno);
        return MoveResult::Failed;
    }
#endif
    // Without an atomic no-replace rename: a hard link fails if `to` exists.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) return MoveResult::Exists;
        error = "cannot move " + from + " to " + to + ": " + std::strerror(errno);
        return MoveResult::Failed;
    }
    ::unlink(from.c_str());
    return MoveResult::Moved;
#endif
}

std::vector<Leftover> find_leftovers(const std::string& final_path) {
    const NameParts n = parts(final_path);
    const std::string head = n.stem + ".", tail = ".part" + n.ext;
    std::vector<Leftover> found;
    std::error_code ec;
    const fs::path folder = n.folder.empty() ? fs::path(".") : n.folder;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        const std::string copy_tail = ".indexing";
        const bool copy =
            name.size() > copy_tail.size() &&
            name.compare(name.size() - copy_tail.size(), copy_tail.size(), copy_tail) == 0;
        if (copy) name.resize(name.size() - copy_tail.size());
        if (name.size() <= head.size() + tail.size() || name.rfind(head, 0) != 0 ||
            name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
            continue;
        const std::string pid = name.substr(head.size(), name.size() - head.size() - tail.size());
        if (!all_digits(pid) || !e.is_regular_file(ec)) continue;
        Leftover l;
        l.path = e.path().string();
        l.pid = std::stol(pid);
        l.copy = copy;
        l.bytes = e.file_size(ec);
        l.running = l.pid != this_process() && process_running(l.pid);
        if (l.pid != this_process()) found.push_back(l);
    }
    return found;
}

int fragments_in(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char h[16];
    if (!in.read(reinterpret_cast<char*>(h), 4)) return 0;
    if (big_endian(h, 4) == 0x1A45DFA3) { // Matroska: look for a cluster's ID
        static const char kCluster[4] = {0x1F, 0x43, static_cast<char>(0xB6), 0x75};
        std::vector<char> buffer(1 << 20);
        std::string carry;
        while (in) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            const std::string chunk =
                carry + std::string(buffer.data(), static_cast<size_t>(in.gcount()));
            if (chunk.find(std::string(kCluster, 4)) != std::string::npos) return 1;
            carry = chunk.size() >= 3 ? chunk.substr(chunk.size() - 3) : chunk;
        }
        return 0;
    }
    in.seekg(0, std::ios::end);
    const uint64_t size = static_cast<uint64_t>(in.tellg());
    uint64_t at = 0;
    int fragments = 0;
    bool after_moof = false;
    while (at + 8 <= size) {
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(h), 16) && in.gcount() < 8) break;
        in.clear();
        uint64_t box = big_endian(h, 4);
        const std::string type(reinterpret_cast<char*>(h + 4), 4);
        if (box == 1)
            box = big_endian(h + 8, 8);
        else if (box == 0)
            box = size - at;
        if (box < 8 || at + box > size) break; // cut short: the rest was never written
        if (type == "mdat" && after_moof) ++fragments;
        after_moof = type == "moof";
        at += box;
    }
    return fragments;
}
