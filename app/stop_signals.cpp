// SIGINT and SIGTERM handling (see stop_signals.h). SDL shows its message
// boxes from a child process (its own fork, or zenity) and goes on waiting
// for it when a signal interrupts the wait, so a flag would never be seen
// while a dialog is open: before the show starts the handler ends the
// process itself, and every child forked by this process is killed when it
// does (PR_SET_PDEATHSIG, kept across exec).
#include "app/stop_signals.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

volatile sig_atomic_t show_started = 0;
volatile sig_atomic_t stop_signal = 0;
volatile sig_atomic_t in_child = 0;
pid_t forking_pid = 0; // the process that forks, noted just before the fork

void say(const char* text, size_t length) {
    const ssize_t ignored = write(2, text, length);
    (void)ignored;
}

void on_signal(int number) {
    if (show_started && !in_child) {
        if (stop_signal) _exit(128 + number); // asked twice: end at once
        stop_signal = number;
        return;
    }
    if (!in_child) {
        static const char interrupted[] = "vorn: interrupted before the show started\n";
        static const char terminated[] = "vorn: terminated before the show started\n";
        if (number == SIGINT)
            say(interrupted, sizeof interrupted - 1);
        else
            say(terminated, sizeof terminated - 1);
    }
    _exit(kCancelledStartStatus);
}

void before_fork() {
    forking_pid = getpid();
}

// In a forked child (a dialog): die with the parent, and leave messages to it.
void on_fork_child() {
    in_child = 1;
#ifdef __linux__
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != forking_pid) _exit(kCancelledStartStatus); // the parent is already gone
#endif
}

} // namespace

void install_stop_signals() {
    static bool fork_hook = false;
    if (!fork_hook) pthread_atfork(before_fork, nullptr, on_fork_child);
    fork_hook = true;
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    // Once the show has started, a call the signal interrupts goes on
    // (SA_RESTART) instead of failing with EINTR: the C library and libpng
    // would take an interrupted write of a recording's frame for a failed
    // one, and the stopped recording would be thrown away instead of kept.
    // Nothing the show loads or records can wait for ever meanwhile: the
    // loaders read only regular files (file_bytes.h), and reading or writing
    // a regular file is not interrupted by a caught signal anyway.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void mark_show_started() {
    show_started = 1;
}

bool stop_requested() {
    return stop_signal != 0;
}

int stop_signal_number() {
    return stop_signal;
}

const volatile std::sig_atomic_t* stop_flag() {
    return &stop_signal;
}
