// Whole-file reads for the loaders: binary mode, read in large blocks until
// the end, so that neither the size a seek reports (meaningless for a
// folder) nor a short read can mislead the caller.
#include "assets/file_bytes.h"

#include <cerrno>
#include <cstdio>

std::optional<std::vector<uint8_t>> read_file_bytes(const char* file_name, int* error_number) {
    int ignored = 0;
    int& error = error_number != nullptr ? *error_number : ignored;
    errno = 0;
    std::FILE* file = std::fopen(file_name, "rb");
    if (file == nullptr) {
        error = errno;
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    constexpr size_t kBlock = 1 << 16;
    size_t used = 0;
    for (;;) {
        bytes.resize(used + kBlock);
        const size_t got = std::fread(bytes.data() + used, 1, kBlock, file);
        used += got;
        if (got < kBlock) break;
    }
    const bool failed = std::ferror(file) != 0;
    const int read_error = errno;
    std::fclose(file);
    if (failed) {
        error = read_error != 0 ? read_error : EIO;
        return std::nullopt;
    }
    bytes.resize(used);
    return bytes;
}
