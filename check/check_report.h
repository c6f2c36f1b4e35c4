// What `vorn --check` finds in a data folder, one finding a line, and how it
// prints them: plain text for people, JSON for tools.
#pragma once
#include <string>
#include <vector>

enum class Level { ok, note, warning, error };

struct Finding {
    Level level;
    std::string subject; // a file name, or "scene N"
    std::string text;
};

struct CheckReport {
    std::string folder; // the data folder's full path
    std::vector<Finding> findings;

    // Whether the show plays: no finding is an error.
    bool plays() const;
    int count(Level level) const;
};

// "LEVEL    SUBJECT: TEXT" a line, then a last line that says whether the show plays.
std::string report_text(const CheckReport& report);
// {"folder": ..., "plays": ..., "errors": N, "warnings": N, "findings": [{"level", "subject",
// "text"}, ...]}
std::string report_json(const CheckReport& report);
