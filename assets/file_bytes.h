// Reading a whole file from the working folder into memory, for the loaders,
// with a ceiling on how much of it is read. Only regular files are read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct FileRead {
    std::vector<uint8_t> bytes; // the whole file when read() is true
    int error_number = 0;       // errno of a failed open or read (EISDIR for a folder); 0 otherwise
    // What the name stands for when it is neither a regular file nor a folder
    // ("a named pipe (FIFO)", "a device", "a socket", "a special file");
    // nullptr otherwise.
    // Such a thing is not read: a pipe nobody writes to would keep the show
    // waiting for ever, a device may never end.
    const char* not_a_file = nullptr;
    // The file holds more than the ceiling: then nothing is kept, and `size`
    // is its size, or 0 when that is not known (it grew while it was read).
    bool too_large = false;
    uint64_t size = 0;

    bool read() const { return error_number == 0 && not_a_file == nullptr && !too_large; }
};

// Reads the file whole unless it holds more than `max_size` bytes, or it is
// not a regular file. What it is, and a regular file's size, are settled
// before any byte is read, and before anything is opened in a way that could
// wait; one that grows while it is read is read no further than `max_size`
// + 1 bytes.
FileRead read_file_bytes(const char* file_name, size_t max_size);
