// Writing sync commands (effect W) into a copy of an XM module.
//
// write_xm_cues(module, cues, out, error) removes every W command the module
// has (the player blanks them anyway) and places `cues`, each on order
// position `order`, row `row`: in the effect column of a channel that is
// free on that row (no effect and no parameter), the highest free channels
// first, so that the cues of one row keep their order. Where a row has too
// few free columns, channels are added to the module (an empty channel plays
// nothing), up to 32. A pattern played at several order positions that are
// to get different cues is copied, so that each gets its own. Everything
// else of the module (header, order table, instruments, samples, every other
// cell) stays as it is; patterns are stored again packed.
//
// Refuses, with the cue's index in `failed` and a reason: an order position
// the song does not have, a row its pattern does not have, no room for
// another channel or pattern, and a module that is not an XM 1.04 file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct PlacedCue {
    int order, row;
    uint8_t value;
};

bool write_xm_cues(const std::vector<uint8_t>& module, const std::vector<PlacedCue>& cues,
                   std::vector<uint8_t>& out, int& failed, std::string& error);
