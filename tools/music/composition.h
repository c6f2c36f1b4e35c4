// The soundtrack's score: the patterns of vorn.xm and its sync timeline.
//
// The piece is in A minor at 125 BPM, speed 6 (a row is 0.12 s, a 64-row
// pattern four bars of 4/4, 7.68 s). Every order position has a pattern of
// its own; channel 11 carries only the sync commands (effect W), one per row
// at most.
#pragma once
#include "music/xm_writer.h"

#include <string>
#include <vector>

namespace music {

enum Channel {
    kChKick,
    kChSnare,
    kChHats,
    kChBass,
    kChPad1,
    kChPad2,
    kChPad3,
    kChLead,
    kChEcho,
    kChArp,
    kChPerc,
    kChSync,
    kChannelCount
};

struct SyncPoint {
    int order;
    int row;
    uint8_t value;
    int scene; // the scene running when the value arrives (after it, for 0..31)
};

struct Song {
    xm::Module module;
    std::vector<SyncPoint> sync; // in playback order
};

Song compose();

// Seconds from the start of the song to the start of (order, row); the tempo
// never changes within the piece.
double sync_time(const xm::Module& m, int order, int row);

// What a sync value does in the scene that receives it, in words.
std::string sync_meaning(uint8_t value, int scene);

} // namespace music
