// The table `vorn --timeline` prints: each order position of the song's first
// pass with the time it starts, the scenes it selects and the flags it
// raises, so that positions for --start, --from and --to can be read off.
#pragma once
#include <string>
#include <vector>

#include "core/time_text.h"
#include "music/music_timeline.h"

// Times in it as minutes_seconds() gives them (M:SS.hh).
std::string timeline_table(const std::vector<OrderVisit>& visits);
