// Running a shell command from a test: its exit status and what it printed
// on standard output (add 2>&1 to the command to collect standard error too).
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <string>

struct CommandResult {
    int status = -1; // the exit status, or -1 if it did not exit normally
    std::string out;
};

inline CommandResult run_command(const std::string& command) {
    CommandResult r;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
