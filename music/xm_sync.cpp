// Bounds-checked reader of an XM module's sync commands (effect W, type byte
// 0x20), and the blanked copy handed to the player (see xm_sync.h).
//
// Layout read here: "Extended Module: " (17 bytes), name (20), 0x1A, tracker
// name (20), version (2); at 60 the header size (4, counted from 60), then song
// length, restart, channels, patterns, instruments, flags, speed, BPM (2 bytes
// each) and the 256-byte order table. Patterns follow the header: header
// length (4), packing (1), rows (2), packed size (2), then the packed cells.
#include "music/xm_sync.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kEffectW = 0x20;
constexpr size_t kMaxChannels = 64;
constexpr int kMaxPatterns = 256;
constexpr int kMaxRows = 256;

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// A pattern cell: a first byte with bit 7 set is a packing head whose bits
// 0..4 say which of the five fields follow; any other first byte is the
// note, and all five fields follow.
constexpr uint8_t kPackedCell = 0x80;
constexpr uint8_t kAllFields = 0x1f; // note, instrument, volume, effect type, parameter
constexpr int kFieldCount = 5;
constexpr int kEffectTypeField = 3; // bit (and order) of the effect type
constexpr int kParameterField = 4;  // and of its parameter

// Decodes one pattern's packed cells; `cells` points at the first packed byte
// (inside `out`'s copy, so W cells can be blanked in place).
bool read_pattern(const uint8_t* cells, size_t packed_size, int rows, int channels,
                  uint8_t* writable, std::vector<std::vector<uint8_t>>& row_values) {
    row_values.assign(static_cast<size_t>(rows), {});
    if (packed_size == 0) return true; // an empty pattern stores no cells
    size_t pos = 0;
    for (int row = 0; row < rows; ++row) {
        for (int ch = 0; ch < channels; ++ch) {
            if (pos >= packed_size) return false;
            uint8_t head = cells[pos];
            uint8_t fields = kAllFields;
            if (head & kPackedCell) {
                fields = head & kAllFields;
                ++pos;
            }
            size_t type_at = 0, param_at = 0;
            bool has_type = false, has_param = false;
            for (int bit = 0; bit < kFieldCount; ++bit) {
                if (!(fields & (1u << bit))) continue;
                if (pos >= packed_size) return false;
                if (bit == kEffectTypeField) {
                    has_type = true;
                    type_at = pos;
                } else if (bit == kParameterField) {
                    has_param = true;
                    param_at = pos;
                }
                ++pos;
            }
            if (has_type && cells[type_at] == kEffectW) {
                row_values[static_cast<size_t>(row)].push_back(has_param ? cells[param_at] : 0);
                if (writable) {
                    writable[type_at] = 0;
                    if (has_param) writable[param_at] = 0;
                }
            }
        }
    }
    return true;
}

} // namespace

const std::vector<uint8_t>& XmSync::at(int pattern, int row) const {
    static const std::vector<uint8_t> none;
    if (pattern < 0 || static_cast<size_t>(pattern) >= values.size()) return none;
    const auto& rows = values[static_cast<size_t>(pattern)];
    if (row < 0 || static_cast<size_t>(row) >= rows.size()) return none;
    return rows[static_cast<size_t>(row)];
}

namespace {
// Where the instruments from `pos` on end by their headers: each is a header
// of its own declared size (at least 29 bytes: size, name, type, sample
// count), then for each sample a header (its size given at byte 29 of the
// instrument header; the sample length in bytes is its first field), then
// the samples' data. A header that lies past the end of the file counts
// with its smallest size, and the walk stops there.
uint64_t declared_instrument_end(const uint8_t* data, size_t size, size_t pos, int instruments) {
    uint64_t end = pos;
    for (int i = 0; i < instruments; ++i) {
        if (end + 29 > size) return end + 29;
        const uint64_t header = std::max<uint32_t>(le32(data + end), 29);
        const int samples = le16(data + end + 27);
        uint64_t sample_header = 40;
        if (samples > 0) {
            if (end + 33 > size) return end + 33;
            sample_header = std::max<uint32_t>(le32(data + end + 29), 1); // each step moves on
        }
        uint64_t at = end + header, lengths = 0;
        for (int k = 0; k < samples; ++k, at += sample_header) {
            if (at + 4 > size) return at + 4;
            lengths += le32(data + at);
        }
        end = at + lengths;
    }
    return end;
}
} // namespace

bool read_xm_sync(const uint8_t* data, size_t size, XmSync& sync, std::vector<uint8_t>* blanked) {
    sync = XmSync{};
    if (!data || size < 80 || std::memcmp(data, "Extended Module: ", 17) != 0) return false;
    const uint32_t header_size = le32(data + 60);
    if (header_size < 20 + 256 || header_size > size - 60) return false;
    const uint16_t song_length = le16(data + 64);
    const uint16_t channels = le16(data + 68);
    const uint16_t patterns = le16(data + 70);
    if (song_length > 256 || channels == 0 || channels > kMaxChannels || patterns > kMaxPatterns)
        return false;
    sync.channels = channels;
    sync.orders.assign(data + 80, data + 80 + song_length);

    if (blanked) blanked->assign(data, data + size);
    uint8_t* writable = blanked ? blanked->data() : nullptr;

    size_t pos = 60 + static_cast<size_t>(header_size);
    sync.values.resize(patterns);
    sync.pattern_rows.resize(patterns);
    for (int p = 0; p < patterns; ++p) {
        if (size - pos < 9) return false;
        const uint32_t pattern_header = le32(data + pos);
        const int rows = le16(data + pos + 5);
        const uint16_t packed_size = le16(data + pos + 7);
        if (pattern_header < 9 || pattern_header > size - pos || rows < 1 || rows > kMaxRows)
            return false;
        pos += pattern_header;
        if (packed_size > size - pos) return false;
        sync.pattern_rows[static_cast<size_t>(p)] = rows;
        if (!read_pattern(data + pos, packed_size, rows, channels,
                          writable ? writable + pos : nullptr, sync.values[static_cast<size_t>(p)]))
            return false;
        pos += packed_size;
    }
    sync.declared_bytes = declared_instrument_end(data, size, pos, le16(data + 72));
    return true;
}
