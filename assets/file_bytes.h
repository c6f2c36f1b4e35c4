// Reading a whole file from the working folder into memory, for the loaders,
// with a ceiling on how much of it is read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct FileRead {
    std::vector<uint8_t> bytes; // the whole file when read() is true
    int error_number = 0;       // errno of a failed open or read; 0 otherwise
    // The file holds more than the ceiling: then nothing is kept, and `size`
    // is its size, or 0 when that is not known (it grew while it was read,
    // or is not a regular file).
    bool too_large = false;
    uint64_t size = 0;

    bool read() const { return error_number == 0 && !too_large; }
};

// Reads the file whole unless it holds more than `max_size` bytes. A regular
// file is refused by its size before any byte is read; one that grows while
// it is read (or is not a regular file) is read no further than `max_size` + 1
// bytes.
FileRead read_file_bytes(const char* file_name, size_t max_size);
