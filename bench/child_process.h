// A benchmark case measured in a child process of its own, since the
// show's set-up and release touch global state.
//
//   in_child<T>(f, usage)   runs f() (which returns a trivially copyable T)
//                           in a forked child and returns its result, or
//                           nothing when the child could not run or send it;
//                           `usage`, if given, gets the child's resource use
#pragma once
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <type_traits>

template <class T, class F> std::optional<T> in_child(F&& f, rusage* usage = nullptr) {
    static_assert(std::is_trivially_copyable_v<T>);
    int fds[2];
    if (pipe(fds) != 0) return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const T result = f();
        _exit(write(fds[1], &result, sizeof result) == sizeof result ? 0 : 1);
    }
    close(fds[1]);
    T result{};
    const bool got = child > 0 && read(fds[0], &result, sizeof result) == sizeof result;
    close(fds[0]);
    int status = 0;
    rusage own{};
    if (child > 0) wait4(child, &status, 0, usage ? usage : &own);
    if (!got) return std::nullopt;
    return result;
}
