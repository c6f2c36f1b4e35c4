// Bounded whole-file reads for the loaders: binary mode, read until the end
// or one byte past the ceiling, so that neither the size a seek reports
// (meaningless for a folder, stale for a file being written) nor a short read
// can mislead the caller. The size of a regular file only refuses it early
// and sizes the buffer.
#include "assets/file_bytes.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

// The size of an open regular file, or -1 for anything else.
int64_t regular_file_size(std::FILE* file) {
    struct stat st {};
    if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

} // namespace

FileRead read_file_bytes(const char* file_name, size_t max_size) {
    FileRead result;
    errno = 0;
    std::FILE* file = std::fopen(file_name, "rb");
    if (file == nullptr) {
        result.error_number = errno != 0 ? errno : EIO;
        return result;
    }
    const int64_t stated = regular_file_size(file);
    if (stated > 0 && static_cast<uint64_t>(stated) > max_size) {
        std::fclose(file);
        result.too_large = true;
        result.size = static_cast<uint64_t>(stated);
        return result;
    }
    // Room for the whole file and one byte more, which tells a file that has
    // grown since from one that ends where it said.
    constexpr size_t kBlock = 1 << 16;
    const size_t ceiling = max_size + 1;
    std::vector<uint8_t>& bytes = result.bytes;
    bytes.resize(stated > 0 ? static_cast<size_t>(stated) + 1 : std::min(kBlock, ceiling));
    size_t used = 0;
    for (;;) {
        const size_t got = std::fread(bytes.data() + used, 1, bytes.size() - used, file);
        used += got;
        if (used < bytes.size() || used == ceiling) break;
        bytes.resize(std::min(std::max(bytes.size() * 2, used + kBlock), ceiling));
    }
    const bool failed = std::ferror(file) != 0;
    const int read_error = errno;
    if (used == ceiling) {
        result.too_large = true;
        const int64_t now = regular_file_size(file);
        if (now > 0 && static_cast<uint64_t>(now) > max_size)
            result.size = static_cast<uint64_t>(now);
    }
    std::fclose(file);
    if (result.too_large) {
        bytes = {};
    } else if (failed) {
        result.error_number = read_error != 0 ? read_error : EIO;
        bytes = {};
    } else {
        bytes.resize(used);
    }
    return result;
}
