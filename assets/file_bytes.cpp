// Bounded whole-file reads for the loaders: binary, read until the end or one
// byte past the ceiling, so that neither the size the file system reports
// (stale for a file being written) nor a short read can mislead the caller.
// The size of a regular file only refuses it early and sizes the buffer.
//
// Anything but a regular file is refused by what it is: its name is looked up
// first (a device is not even opened), then it is opened without waiting
// (O_NONBLOCK: a named pipe with no writer would otherwise hold the open for
// ever) and what was opened is looked at again, so that a file put in its
// place in between is refused as well. A read that a signal interrupts is
// made again, not taken for a broken file.
#include "assets/file_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#if defined(_WIN32)
#include <filesystem>
#include <system_error>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr size_t kBlock = 1 << 16;

#if defined(_WIN32)

// The file opened for reading, with what it is and its size.
class OpenFile {
  public:
    ~OpenFile() {
        if (file_) std::fclose(file_);
    }
    // False, with `result` saying why, unless it is a regular file and opens.
    bool open(const char* name, FileRead& result) {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::file_status status = fs::status(name, ec);
        switch (status.type()) {
        case fs::file_type::directory:
            result.error_number = EISDIR;
            return false;
        case fs::file_type::fifo:
            result.not_a_file = "a named pipe (FIFO)";
            return false;
        case fs::file_type::character:
        case fs::file_type::block:
            result.not_a_file = "a device";
            return false;
        case fs::file_type::socket:
            result.not_a_file = "a socket";
            return false;
        case fs::file_type::regular:
            size_ = static_cast<int64_t>(fs::file_size(name, ec));
            if (ec) size_ = -1;
            break;
        case fs::file_type::not_found:
            result.error_number = ENOENT;
            return false;
        default:
            if (!ec) {
                result.not_a_file = "a special file";
                return false;
            }
        }
        errno = 0;
        file_ = std::fopen(name, "rb");
        if (!file_) result.error_number = errno != 0 ? errno : EIO;
        return file_ != nullptr;
    }
    int64_t size() const { return size_; } // -1 when not known
    int64_t size_now() const { return size_; }
    // Up to `room` bytes; 0 at the end. -1 with errno on an error.
    long read(uint8_t* to, size_t room) {
        const size_t got = std::fread(to, 1, room, file_);
        if (got == 0 && std::ferror(file_)) return -1;
        return static_cast<long>(got);
    }

  private:
    std::FILE* file_ = nullptr;
    int64_t size_ = -1;
};

#else

// True for anything but a regular file, with `result` saying what it is.
bool refused(mode_t mode, FileRead& result) {
    if (S_ISREG(mode)) return false;
    if (S_ISDIR(mode))
        result.error_number = EISDIR;
    else if (S_ISFIFO(mode))
        result.not_a_file = "a named pipe (FIFO)";
    else if (S_ISCHR(mode) || S_ISBLK(mode))
        result.not_a_file = "a device";
    else if (S_ISSOCK(mode))
        result.not_a_file = "a socket";
    else
        result.not_a_file = "a special file";
    return true;
}

class OpenFile {
  public:
    ~OpenFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool open(const char* name, FileRead& result) {
        struct stat st {};
        if (::stat(name, &st) != 0) {
            result.error_number = errno != 0 ? errno : EIO;
            return false;
        }
        if (refused(st.st_mode, result)) return false;
        do {
            fd_ = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        } while (fd_ < 0 && errno == EINTR);
        if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
            result.error_number = errno != 0 ? errno : EIO;
            return false;
        }
        if (refused(st.st_mode, result)) return false;
        // A regular file reads as any other from here on.
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
        size_ = static_cast<int64_t>(st.st_size);
        return true;
    }
    int64_t size() const { return size_; }
    int64_t size_now() const {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    }
    long read(uint8_t* to, size_t room) {
        for (;;) {
            const ssize_t got = ::read(fd_, to, room);
            if (got >= 0 || errno != EINTR) return static_cast<long>(got);
        }
    }

  private:
    int fd_ = -1;
    int64_t size_ = -1;
};

#endif

} // namespace

FileRead read_file_bytes(const char* file_name, size_t max_size) {
    FileRead result;
    OpenFile file;
    if (!file.open(file_name, result)) return result;
    const int64_t stated = file.size();
    if (stated > 0 && static_cast<uint64_t>(stated) > max_size) {
        result.too_large = true;
        result.size = static_cast<uint64_t>(stated);
        return result;
    }
    // Room for the whole file and one byte more, which tells a file that has
    // grown since from one that ends where it said.
    const size_t ceiling = max_size + 1;
    std::vector<uint8_t>& bytes = result.bytes;
    bytes.resize(stated > 0 ? static_cast<size_t>(stated) + 1 : std::min(kBlock, ceiling));
    size_t used = 0;
    for (;;) {
        errno = 0;
        const long got = file.read(bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            result.error_number = errno != 0 ? errno : EIO;
            bytes = {};
            return result;
        }
        if (got == 0) break;
        used += static_cast<size_t>(got);
        if (used == ceiling) break;
        if (used == bytes.size())
            bytes.resize(std::min(std::max(bytes.size() * 2, used + kBlock), ceiling));
    }
    if (used == ceiling) {
        result.too_large = true;
        const int64_t now = file.size_now();
        if (now > 0 && static_cast<uint64_t>(now) > max_size)
            result.size = static_cast<uint64_t>(now);
        bytes = {};
        return result;
    }
    bytes.resize(used);
    return result;
}
