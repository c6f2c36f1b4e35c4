// M:SS.hh (see time_text.h).
#include "core/time_text.h"

#include <cinttypes>
#include <cstdio>

std::string minutes_seconds(int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64 ":%02" PRId64 ".%02" PRId64, ms / 60000,
                  ms / 1000 % 60, ms / 10 % 100);
    return text;
}
