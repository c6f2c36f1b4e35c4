// Where a check reads the show's data files: the working folder (the
// program's --check, and --watch trying changed files), or files held in
// memory (the web page's "your files" over the show's own). Either gives a
// file's bytes, or why it cannot be read, as read_file_bytes does.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "assets/file_bytes.h"

struct CheckFiles {
    // The file `name` whole, or why not: missing, unreadable, or more than
    // `max_size` bytes (too_large, with its size).
    std::function<FileRead(const char* name, size_t max_size)> read;
    // The names are files of the working folder: a message about the module
    // names its full path, as the program's player says it.
    bool in_folder = false;
};

using FileBytes = std::map<std::string, std::vector<uint8_t>>;

CheckFiles working_folder_files();
// The files of `files` by name (it must outlive the result); a name it lacks
// is missing.
CheckFiles files_in_memory(const FileBytes& files);
