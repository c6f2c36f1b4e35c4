// Places in the song, and the ways a user names them.
//
// A SongPosition is a row of the song's first pass: order position `order`,
// row `row` of its pattern; or a moment of the show (`time_ms` set): the
// first frame the whole show shows at or after that time, with the sound
// from that moment on, and order and row then name the row playing there.
// A PositionName is what the user wrote for one:
//
//   12          order position 12 (its first row)
//   1:24, 84.5, 84s
//               a time in minutes and seconds or in seconds: that moment
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
    int64_t time_ms = -1; // a moment (ms from the start of the song); < 0: the row itself

    bool timed() const { return time_ms >= 0; }
    bool at_start() const { return timed() ? time_ms == 0 : order == 0 && row == 0; }
    // Whether playback at order `pos`, row `row_now` has come to this row
    // (or past it, in order of positions).
    bool reached_by(int pos, int row_now) const {
        return pos > order || (pos == order && row_now >= row);
    }
};

// Where music plays from after a jump: `skip` sample frames of the show's
// 48 kHz clock into the row `at` (a moment inside the row; the player
// converts to its own rate). With `row_values` false the sync values of the
// row's first tick are not handed over: the show has them already (a jump
// delivers what is due where it lands itself).
struct MusicStart {
    static constexpr int64_t kSkipRate = 48000;
    SongPosition at;
    int64_t skip = 0;
    bool row_values = true;
};

struct PositionName {
    enum class Kind { Order, Time, Scene };
    Kind kind = Kind::Order;
    int64_t value = 0; // the order position, the time in ms, or the scene number
    std::string text;  // as written, for messages
};

bool parse_position_name(const std::string& text, PositionName& name);
