// Noticing that the show's data files changed, for --watch: the main loop
// asks between frames, and every 250 ms the files' modification times and
// sizes are compared with the last seen. A change is handed out once the
// files have been quiet for 300 ms, so that the files a tool saves in a
// burst (or one file written in parts) are taken together.
//
//   DataWatch(names)   watches these files of the working folder; what they
//                      are now is the state nothing has changed from
//   poll(now_ms)       by the wall clock: the names of the files changed
//                      since the last hand-out, once quiet (a file that
//                      appears or goes counts); empty otherwise
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class DataWatch {
  public:
    static constexpr int64_t kPollMs = 250;
    static constexpr int64_t kQuietMs = 300;

    explicit DataWatch(std::vector<std::string> names);
    std::vector<std::string> poll(int64_t now_ms);

  private:
    struct Stamp {
        bool present = false;
        std::filesystem::file_time_type written{};
        uintmax_t size = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stamp(const std::string& name);

    std::vector<std::string> names_;
    std::vector<Stamp> seen_;
    std::vector<bool> changed_;
    int64_t last_poll_ms_ = INT64_MIN;
    int64_t last_change_ms_ = -1; // -1: nothing waiting
};
