// The soundtrack's instrument set: each synthesised sound (synth.h) with its
// tuning, loop, default volume and panning, volume envelope and fade-out.
#pragma once
#include "music/xm_writer.h"

#include <vector>

namespace music {

// Instrument numbers as the patterns use them (1-based, as in the tracker).
enum Instrument : uint8_t {
    kKick = 1,
    kSnare,
    kClosedHat,
    kOpenHat,
    kCrash,
    kBass,
    kPad,
    kLead,
    kChip,
    kBell,
    kSwell,
    kInstrumentCount = kSwell
};

std::vector<xm::Instrument> make_instruments();

} // namespace music
