// What the loaders tell the user. Progress lines ("Laddar", "Försöker öppna",
// ...) are collected per file and printed when progress is shown (the live
// show, or --verbose); a failure always prints them with the show's own
// message on standard output, then one English line on standard error that
// names the file's full path, what is wrong and how to fix it, and ends the
// process with exit(-1).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "assets/file_bytes.h"

// printf into a string, for the messages (at most 511 bytes).
template <class... Values> std::string format_message(const char* pattern, Values... values) {
    char text[512];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

// Whether successful loads print their progress (default: yes).
void set_load_progress(bool shown);
bool load_progress_shown();

// A load failure in the loader's own words: the show's message and the
// English reason (load_picture_from and load_object_from return one, so that
// a check of the data files can go on to the next file).
struct LoadFailure {
    std::string message, reason;
};

struct LoadReport {
    explicit LoadReport(const char* file_name) : file(file_name) {}
    const char* file;
    std::string out; // the progress so far, in the show's own bytes

    // Prints the progress if it is shown.
    void done();
    // Prints the progress and `message` on standard output and
    // "vorn: cannot load PATH: `reason`" on standard error, then exit(-1).
    [[noreturn]] void fail(const std::string& message, const std::string& reason);
};

// The English reason for a file that cannot be opened or read (errno value),
// with what to do about it.
std::string open_failure_reason(int error_number);
// The same for a failed read_file_bytes() that is not too large: also for a
// name that stands for a named pipe, a device or a socket.
std::string read_failure_reason(const FileRead& file);

// The English reason for a file larger than any file of its kind the show
// reads: "it is SIZE bytes, more than any KIND (at most LIMIT MiB)", or for
// a size of 0 (not known), "it holds more than any KIND (...)".
std::string too_large_reason(uint64_t size, size_t limit, const char* kind);

// How to make a picture the show reads, for the end of a reason.
extern const char* const kPcxConvertHint;
