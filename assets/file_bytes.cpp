// Whole-file reads for the loaders (binary mode, one read call).
#include "assets/file_bytes.h"

#include <cstdio>

std::optional<std::vector<uint8_t>> read_file_bytes(const char* file_name) {
    std::FILE* file = std::fopen(file_name, "rb");
    if (file == nullptr) return std::nullopt;
    std::vector<uint8_t> bytes;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    if (!ok) return std::nullopt;
    return bytes;
}
