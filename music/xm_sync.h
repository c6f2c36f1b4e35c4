// Reading the sync commands of an XM module.
//
// A sync command is the XM effect W (effect type byte 0x20); its parameter is
// the sync value. libxmp drops the effect when it loads a module (and would
// play its parameter as an arpeggio), so we read the pattern data ourselves
// with a bounds-checked reader and hand libxmp a copy with every W blanked.
//
//   read_xm_sync(bytes, size, sync, blanked)
//       parses the header, order table and packed patterns. On success fills
//       `sync` and, if `blanked` is not null, a copy of the module in which
//       every W cell's effect type and parameter are 0. Returns false for a
//       truncated or corrupt header or pattern (never reads outside the
//       buffer); instruments cut short pass, with declared_bytes telling.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct XmSync {
    int channels = 0;
    std::vector<uint8_t> orders;   // song length entries
    std::vector<int> pattern_rows; // row count of each pattern
    // values[pattern][row]: the W parameters of that row, in channel order.
    std::vector<std::vector<std::vector<uint8_t>>> values;

    // The file size the headers declare: header, patterns, then each
    // instrument's header, sample headers and sample data. Larger than the
    // file when it is cut short (libxmp then plays what is there).
    uint64_t declared_bytes = 0;

    const std::vector<uint8_t>& at(int pattern, int row) const;
};

bool read_xm_sync(const uint8_t* data, size_t size, XmSync& sync, std::vector<uint8_t>* blanked);
