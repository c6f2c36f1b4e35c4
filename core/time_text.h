// Times as the program's reports give them: M:SS.hh, minutes, seconds and
// hundredths of a time in ms (the hundredths truncated).
#pragma once
#include <cstdint>
#include <string>

std::string minutes_seconds(int64_t ms);
