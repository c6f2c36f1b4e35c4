// Reading the names of song positions (see song_position.h).
#include "music/song_position.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

// Digits only, at most `max_digits`, into `value`.
bool whole(const std::string& text, size_t max_digits, int64_t& value) {
    if (text.empty() || text.size() > max_digits) return false;
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// Seconds with an optional fraction ("84", "84.5", "05.25") in ms, rounded
// to the nearest millisecond.
bool seconds(const std::string& text, int64_t& ms) {
    const size_t dot = text.find('.');
    int64_t whole_seconds = 0;
    if (!whole(text.substr(0, dot), 6, whole_seconds)) return false;
    ms = whole_seconds * 1000;
    if (dot == std::string::npos) return true;
    const std::string fraction = text.substr(dot + 1);
    int64_t digits = 0;
    if (!whole(fraction, 9, digits)) return false;
    ms += std::llround(static_cast<double>(digits) * 1000.0 / std::pow(10.0, fraction.size()));
    return true;
}

} // namespace

bool parse_position_name(const std::string& text, PositionName& name) {
    name.text = text;
    if (text.rfind("scene:", 0) == 0) {
        name.kind = PositionName::Kind::Scene;
        return whole(text.substr(6), 2, name.value) && name.value <= 30;
    }
    const size_t colon = text.find(':');
    if (colon != std::string::npos) { // m:ss or m:ss.s
        int64_t minutes = 0, ms = 0;
        const std::string rest = text.substr(colon + 1);
        if (!whole(text.substr(0, colon), 4, minutes) || rest.size() < 2 || rest[0] == '.' ||
            !seconds(rest, ms) || ms >= 60000)
            return false;
        name.kind = PositionName::Kind::Time;
        name.value = minutes * 60000 + ms;
        return true;
    }
    if (!text.empty() && text.back() == 's') { // 84s
        name.kind = PositionName::Kind::Time;
        return seconds(text.substr(0, text.size() - 1), name.value);
    }
    if (text.find('.') != std::string::npos) {
        name.kind = PositionName::Kind::Time;
        return seconds(text, name.value);
    }
    name.kind = PositionName::Kind::Order;
    return whole(text, 3, name.value); // the module says which it has
}
