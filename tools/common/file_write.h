// Writing a generated file in one piece.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes `bytes` to `path`; prints a message and returns false on failure.
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes);
