// The table `vorn --timeline` prints: each order position of the song's first
// pass with the time it starts, the scenes it selects and the flags it
// raises, so that positions for --start, --from and --to can be read off.
#pragma once
#include <string>
#include <vector>

#include "music/music_timeline.h"

std::string timeline_table(const std::vector<OrderVisit>& visits);

// A time as the table gives it: M:SS.hh (hundredths truncated).
std::string minutes_seconds(int64_t ms);
