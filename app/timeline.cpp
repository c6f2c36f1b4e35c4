// The --timeline table (see timeline.h).
#include "app/timeline.h"

#include <algorithm>
#include <cstdio>

#include "core/sync.h"

// Each flag is listed once per order position, in the order first raised.
std::string timeline_table(const std::vector<OrderVisit>& visits) {
    std::string out = "order  pattern     time  scene  flags raised\n";
    for (const OrderVisit& v : visits) {
        std::string scenes, flags;
        std::vector<int> raised;
        for (uint8_t value : v.values) {
            if (value <= kSceneEnd) {
                if (!scenes.empty()) scenes += ' ';
                scenes += value == kSceneEnd ? "end" : std::to_string(value);
            } else if (value <= kSceneEnd + kSyncFlagCount &&
                       std::find(raised.begin(), raised.end(), value - kSceneEnd) == raised.end()) {
                raised.push_back(value - kSceneEnd);
                if (!flags.empty()) flags += ' ';
                flags += std::to_string(value - kSceneEnd);
            }
        }
        char line[160];
        std::snprintf(line, sizeof line, "%5d  %7d  %7s  %-5s  %s", v.position, v.pattern,
                      minutes_seconds(v.start_ms).c_str(), scenes.c_str(), flags.c_str());
        std::string text = line;
        text.erase(text.find_last_not_of(' ') + 1);
        out += text + "\n";
    }
    return out;
}
