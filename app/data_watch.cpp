// Polling the data files for changes (see data_watch.h).
#include "app/data_watch.h"

#include <system_error>

DataWatch::DataWatch(std::vector<std::string> names)
    : names_(std::move(names)), changed_(names_.size(), false) {
    for (const std::string& name : names_)
        seen_.push_back(stamp(name));
}

DataWatch::Stamp DataWatch::stamp(const std::string& name) {
    std::error_code ec;
    Stamp s;
    s.written = std::filesystem::last_write_time(name, ec);
    if (ec) return {};
    s.size = std::filesystem::file_size(name, ec);
    if (ec) return {};
    s.present = true;
    return s;
}

std::vector<std::string> DataWatch::poll(int64_t now_ms) {
    if (last_poll_ms_ != INT64_MIN && now_ms - last_poll_ms_ < kPollMs) return {};
    last_poll_ms_ = now_ms;
    for (size_t i = 0; i < names_.size(); ++i) {
        const Stamp now = stamp(names_[i]);
        if (now == seen_[i]) continue;
        seen_[i] = now;
        changed_[i] = true;
        last_change_ms_ = now_ms;
    }
    if (last_change_ms_ < 0 || now_ms - last_change_ms_ < kQuietMs) return {};
    last_change_ms_ = -1;
    std::vector<std::string> out;
    for (size_t i = 0; i < names_.size(); ++i)
        if (changed_[i]) out.push_back(names_[i]), changed_[i] = false;
    return out;
}
