// The working folder's files and files in memory for a check (see
// check_files.h).
#include "check/check_files.h"

#include <cerrno>

CheckFiles working_folder_files() {
    return {[](const char* name, size_t max_size) { return read_file_bytes(name, max_size); },
            true};
}

CheckFiles files_in_memory(const FileBytes& files) {
    return {[&files](const char* name, size_t max_size) {
                FileRead file;
                const auto found = files.find(name);
                if (found == files.end()) {
                    file.error_number = ENOENT;
                } else if (found->second.size() > max_size) {
                    file.too_large = true;
                    file.size = found->second.size();
                } else {
                    file.bytes = found->second;
                }
                return file;
            },
            false};
}
