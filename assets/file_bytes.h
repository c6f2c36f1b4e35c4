// Reading a whole file from the working folder into memory, for the loaders.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

// The file's bytes, or nothing when it cannot be opened or read; then
// `error_number` (if given) holds the errno value of the failure.
std::optional<std::vector<uint8_t>> read_file_bytes(const char* file_name,
                                                    int* error_number = nullptr);
