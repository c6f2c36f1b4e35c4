// Reading and printing cue sheets (see cue_sheet.h).
#include "music/cue_sheet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/sync.h"

namespace {

// Digits only, at most `max_digits`, into `out`.
bool whole(const std::string& s, size_t max_digits, int64_t& out) {
    if (s.empty() || s.size() > max_digits) return false;
    out = 0;
    for (const char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

// "M:SS.hh" (SS below 60, one or two digits of hundredths) into ms.
bool parse_time(const std::string& s, int64_t& ms) {
    const size_t colon = s.find(':'), dot = s.find('.');
    int64_t m, sec, frac;
    if (colon == std::string::npos || dot == std::string::npos || dot < colon) return false;
    const std::string hundredths = s.substr(dot + 1);
    if (!whole(s.substr(0, colon), 4, m) || !whole(s.substr(colon + 1, dot - colon - 1), 2, sec) ||
        s.substr(colon + 1, dot - colon - 1).size() != 2 || sec >= 60 ||
        !whole(hundredths, 2, frac))
        return false;
    ms = m * 60000 + sec * 1000 + (hundredths.size() == 1 ? frac * 100 : frac * 10);
    return true;
}

std::string what(uint8_t value) {
    if (value < kSceneEnd) return "scene " + std::to_string(value);
    if (value == kSceneEnd) return "the end";
    if (value <= kSceneEnd + kSyncFlagCount) return "flag " + std::to_string(value - kSceneEnd);
    return "does nothing";
}

} // namespace

bool parse_cue_sheet(const std::string& text, std::vector<Cue>& cues,
                     std::vector<std::string>& errors) {
    int line_number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++line_number;
        line = line.substr(0, line.find('#'));
        char place[64], value[64], extra[2];
        const int fields = std::sscanf(line.c_str(), "%63s %63s %1s", place, value, extra);
        if (fields <= 0) continue; // blank or a comment
        const std::string where = std::to_string(line_number) + ": ";
        if (fields != 2) {
            errors.push_back(where + "a cue is ORDER:ROW VALUE or M:SS.hh VALUE, such as "
                                     "\"3:16 33\" or \"0:23.04 1\"");
            continue;
        }
        Cue cue;
        cue.line = line_number;
        int64_t v;
        if (!whole(value, 3, v) || v > 255) {
            errors.push_back(where + "the value \"" + value +
                             "\" is not a whole number from 0 "
                             "to 255");
            continue;
        }
        cue.value = static_cast<uint8_t>(v);
        const std::string p = place;
        const size_t colon = p.find(':');
        int64_t order, row;
        if (p.find('.') != std::string::npos) {
            cue.timed = true;
            if (!parse_time(p, cue.ms)) {
                errors.push_back(where + "the time \"" + p + "\" is not M:SS.hh, such as 1:24.48");
                continue;
            }
        } else if (colon == std::string::npos || !whole(p.substr(0, colon), 3, order) ||
                   !whole(p.substr(colon + 1), 3, row)) {
            errors.push_back(where + "\"" + p +
                             "\" is neither ORDER:ROW (such as 3:16) nor a "
                             "time M:SS.hh (such as 1:24.48)");
            continue;
        } else {
            cue.order = static_cast<int>(order);
            cue.row = static_cast<int>(row);
        }
        cues.push_back(cue);
    }
    return errors.empty();
}

std::string format_cue_sheet(const std::vector<CueLine>& lines) {
    std::string out =
        "# Sync cues: ORDER:ROW VALUE, one a line (docs/MAKING.md). Write them\n"
        "# into a copy of a module: vorn --cues THIS.txt --module IN.xm --out OUT.xm\n";
    for (const CueLine& c : lines) {
        char text[96];
        std::snprintf(text, sizeof text, "%d:%d %d", c.order, c.row, c.value);
        std::string line = text;
        line.resize(std::max<size_t>(line.size() + 1, 12), ' ');
        if (c.ms < 0) {
            line += "# not played, " + what(c.value);
        } else {
            std::snprintf(
                text, sizeof text, "# %lld:%02lld.%02lld, ", static_cast<long long>(c.ms / 60000),
                static_cast<long long>(c.ms / 1000 % 60), static_cast<long long>(c.ms / 10 % 100));
            line += text + what(c.value);
        }
        out += line + "\n";
    }
    return out;
}
