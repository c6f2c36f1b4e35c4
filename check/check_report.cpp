// Printing the findings of `vorn --check` (see check_report.h).
#include "check/check_report.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* level_name(Level level) {
    switch (level) {
    case Level::ok:
        return "ok";
    case Level::note:
        return "note";
    case Level::warning:
        return "warning";
    case Level::error:
        return "error";
    }
    return "?";
}

// A JSON string: quotes, backslashes and control bytes escaped; other bytes
// (UTF-8 in file names) as they are.
std::string json_string(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string plural(int n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

} // namespace

int CheckReport::count(Level level) const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [level](const Finding& f) { return f.level == level; }));
}

bool CheckReport::plays() const {
    return count(Level::error) == 0;
}

std::string report_text(const CheckReport& report) {
    std::string out;
    for (const Finding& f : report.findings) {
        std::string level = level_name(f.level);
        level.resize(9, ' ');
        out += level + f.subject + ": " + f.text + "\n";
    }
    const std::string counts = plural(report.count(Level::error), "error") + ", " +
                               plural(report.count(Level::warning), "warning");
    out += report.plays() ? "the show will play (" + counts + ") from " + report.folder + "\n"
                          : "the show will not play (" + counts + ") from " + report.folder + "\n";
    return out;
}

std::string report_json(const CheckReport& report) {
    std::string out = "{\"folder\": " + json_string(report.folder) +
                      ", \"plays\": " + (report.plays() ? "true" : "false") +
                      ", \"errors\": " + std::to_string(report.count(Level::error)) +
                      ", \"warnings\": " + std::to_string(report.count(Level::warning)) +
                      ", \"findings\": [";
    for (size_t i = 0; i < report.findings.size(); ++i) {
        const Finding& f = report.findings[i];
        out += std::string(i ? ",\n  " : "\n  ") + "{\"level\": \"" + level_name(f.level) +
               "\", \"subject\": " + json_string(f.subject) + ", \"text\": " + json_string(f.text) +
               "}";
    }
    return out + "\n]}\n";
}
