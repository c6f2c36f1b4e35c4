// Cue sheets: a module's sync commands as plain text, one cue a line.
//
//   ORDER:ROW VALUE     order position ORDER, row ROW of its pattern
//   M:SS.hh VALUE       a time: the first row of the song's first pass that
//                       starts at or after it (the dot tells it from
//                       ORDER:ROW; "0:07.5" and "0:07.50" are the same)
//
// VALUE is 0 to 255 (0..30 a scene, 31 the end, 32..40 flags 1..9). A '#'
// starts a comment to the end of the line; blank lines are skipped. Cues on
// one row take effect in the order the sheet gives them.
//
//   parse_cue_sheet(text, cues, errors) reads every line; each line that is
//   not a cue, a comment or blank gives one error "LINE: reason".
//   format_cue_sheet(lines) prints cues as ORDER:ROW VALUE lines, each with a
//   comment (its time and what the value does), under a header comment.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Cue {
    int line = 0; // in the sheet, from 1
    bool timed = false;
    int order = 0, row = 0; // when not timed
    int64_t ms = 0;         // when timed
    uint8_t value = 0;
};

bool parse_cue_sheet(const std::string& text, std::vector<Cue>& cues,
                     std::vector<std::string>& errors);

// One cue as --cues-from prints it; `ms` is -1 for a row the first pass
// never plays.
struct CueLine {
    int order, row;
    uint8_t value;
    int64_t ms;
};
std::string format_cue_sheet(const std::vector<CueLine>& lines);
