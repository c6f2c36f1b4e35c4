// Places in the song, and the ways a user names them.
//
// A SongPosition is a row of the song's first pass: order position `order`,
// row `row` of its pattern. A PositionName is what the user wrote for one:
//
//   12          order position 12 (its first row)
//   1:24, 84.5, 84s
//               a time in minutes and seconds or in seconds: the first row
//               that starts at or after it
//   scene:4     the first row that selects scene 4
//
// parse_position_name(text, name) reads one (false for anything else);
// find_position (music_timeline.h) finds the row a name means in a module.
#pragma once
#include <cstdint>
#include <string>

struct SongPosition {
    int order = 0;
    int row = 0;
    bool at_start() const { return order == 0 && row == 0; }
    // Whether playback at order `pos`, row `row_now` has come to this
    // position (or past it, in order of positions).
    bool reached_by(int pos, int row_now) const {
        return pos > order || (pos == order && row_now >= row);
    }
};

struct PositionName {
    enum class Kind { Order, Time, Scene };
    Kind kind = Kind::Order;
    int64_t value = 0; // the order position, the time in ms, or the scene number
    std::string text;  // as written, for messages
};

bool parse_position_name(const std::string& text, PositionName& name);
