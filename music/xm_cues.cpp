// Placing W commands in a copy of an XM module (see xm_cues.h). The layout
// read and written is the one xm_sync.cpp reads: the header with the order
// table, then each pattern as a 9-byte header (length, packing, rows, packed
// size) and its packed cells, then the instruments, copied as they are.
#include "music/xm_cues.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

constexpr uint8_t kEffectW = 0x20;
constexpr int kMaxChannels = 32; // FastTracker 2's limit for an XM
constexpr int kMaxPatterns = 256;

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(le16(p)) | static_cast<uint32_t>(le16(p + 2)) << 16;
}
void put16(std::vector<uint8_t>& b, size_t at, int v) {
    b[at] = static_cast<uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

struct Cell {
    uint8_t field[5] = {}; // note, instrument, volume, effect type, parameter
    bool free() const { return field[3] == 0 && field[4] == 0; }
};

struct Pattern {
    int rows = 64;
    std::vector<Cell> cells; // rows x channels
};

struct Module {
    size_t header_end = 0;   // where the patterns start
    size_t patterns_end = 0; // where the instruments start
    int channels = 0;
    std::vector<uint8_t> orders;
    std::vector<Pattern> patterns;
};

bool read_module(const std::vector<uint8_t>& bytes, Module& m, std::string& error) {
    const uint8_t* d = bytes.data();
    const size_t size = bytes.size();
    error = "it is not an XM module of version 1.04 (as FastTracker 2 and most trackers save "
            "them), or it is damaged";
    if (size < 80 || std::memcmp(d, "Extended Module: ", 17) != 0 || le16(d + 58) != 0x0104)
        return false;
    const uint32_t header_size = le32(d + 60);
    if (header_size < 20 + 256 || header_size > size - 60) return false;
    m.channels = le16(d + 68);
    const int song_length = le16(d + 64), pattern_count = le16(d + 70);
    if (song_length > 256 || m.channels < 1 || m.channels > kMaxChannels ||
        pattern_count > kMaxPatterns)
        return false;
    m.orders.assign(d + 80, d + 80 + song_length);
    size_t pos = m.header_end = 60 + header_size;
    m.patterns.resize(static_cast<size_t>(pattern_count));
    for (Pattern& p : m.patterns) {
        if (size - pos < 9) return false;
        const uint32_t length = le32(d + pos);
        p.rows = le16(d + pos + 5);
        const size_t packed = le16(d + pos + 7);
        if (length < 9 || length > size - pos || p.rows < 1 || p.rows > 256) return false;
        pos += length;
        if (packed > size - pos) return false;
        p.cells.assign(static_cast<size_t>(p.rows * m.channels), Cell{});
        const size_t end = pos + packed;
        for (size_t i = 0; packed && i < p.cells.size(); ++i) {
            if (pos >= end) return false;
            uint8_t fields = 0x1F;
            if (d[pos] & 0x80) fields = d[pos++] & 0x1F;
            for (int f = 0; f < 5; ++f) {
                if (!(fields & (1u << f))) continue;
                if (pos >= end) return false;
                p.cells[i].field[f] = d[pos++];
            }
        }
        pos = end;
    }
    m.patterns_end = pos;
    error.clear();
    return true;
}

std::vector<uint8_t> pack(const Pattern& p) {
    std::vector<uint8_t> out;
    bool any = false;
    for (const Cell& c : p.cells) {
        const bool all = std::all_of(c.field, c.field + 5, [](uint8_t v) { return v != 0; });
        if (all && c.field[0] < 0x80) {
            out.insert(out.end(), c.field, c.field + 5);
            any = true;
            continue;
        }
        uint8_t head = 0x80;
        for (int f = 0; f < 5; ++f)
            if (c.field[f]) head = static_cast<uint8_t>(head | 1u << f);
        out.push_back(head);
        for (int f = 0; f < 5; ++f)
            if (c.field[f]) out.push_back(c.field[f]);
        any = any || head != 0x80;
    }
    if (!any) out.clear(); // an empty pattern stores no cells
    return out;
}

std::vector<uint8_t> write_module(const std::vector<uint8_t>& original, const Module& m) {
    std::vector<uint8_t> out(original.begin(), original.begin() + static_cast<long>(m.header_end));
    put16(out, 68, m.channels);
    put16(out, 70, static_cast<int>(m.patterns.size()));
    std::copy(m.orders.begin(), m.orders.end(), out.begin() + 80);
    for (const Pattern& p : m.patterns) {
        const std::vector<uint8_t> cells = pack(p);
        const uint8_t header[9] = {9, 0, 0, 0, 0, 0, 0, 0, 0};
        const size_t at = out.size();
        out.insert(out.end(), header, header + 9);
        put16(out, at + 5, p.rows);
        put16(out, at + 7, static_cast<int>(cells.size()));
        out.insert(out.end(), cells.begin(), cells.end());
    }
    out.insert(out.end(), original.begin() + static_cast<long>(m.patterns_end), original.end());
    return out;
}

void add_channels(Module& m, int count) {
    for (Pattern& p : m.patterns) {
        std::vector<Cell> wider;
        for (int r = 0; r < p.rows; ++r) {
            const auto row = p.cells.begin() + r * m.channels;
            wider.insert(wider.end(), row, row + m.channels);
            wider.resize(wider.size() + static_cast<size_t>(count));
        }
        p.cells = std::move(wider);
    }
    m.channels += count;
}

// The cues of one order position: row -> values in order.
using RowCues = std::map<int, std::vector<uint8_t>>;

int free_columns(const Module& m, const Pattern& p, int row) {
    int n = 0;
    for (int ch = 0; ch < m.channels; ++ch)
        n += p.cells[static_cast<size_t>(row * m.channels + ch)].free();
    return n;
}

} // namespace

bool write_xm_cues(const std::vector<uint8_t>& module, const std::vector<PlacedCue>& cues,
                   std::vector<uint8_t>& out, int& failed, std::string& error) {
    failed = -1;
    Module m;
    if (!read_module(module, m, error)) return false;
    for (Pattern& p : m.patterns)
        for (Cell& c : p.cells)
            if (c.field[3] == kEffectW) c.field[3] = c.field[4] = 0;

    // What each order position is to get, checked against its pattern.
    std::vector<RowCues> wanted(m.orders.size());
    int extra = 0; // channels to add
    for (size_t i = 0; i < cues.size(); ++i) {
        const PlacedCue& c = cues[i];
        failed = static_cast<int>(i);
        if (c.order < 0 || c.order >= static_cast<int>(m.orders.size())) {
            error = "the song has order positions 0 to " + std::to_string(m.orders.size() - 1) +
                    ", not " + std::to_string(c.order);
            return false;
        }
        const size_t pattern = m.orders[static_cast<size_t>(c.order)];
        if (pattern >= m.patterns.size()) {
            error = "order position " + std::to_string(c.order) + " plays pattern " +
                    std::to_string(pattern) + ", which the module does not store";
            return false;
        }
        const Pattern& p = m.patterns[pattern];
        if (c.row < 0 || c.row >= p.rows) {
            error = "order position " + std::to_string(c.order) + " plays pattern " +
                    std::to_string(pattern) + " of rows 0 to " + std::to_string(p.rows - 1) +
                    ", not " + std::to_string(c.row);
            return false;
        }
        std::vector<uint8_t>& values = wanted[static_cast<size_t>(c.order)][c.row];
        values.push_back(c.value);
        const int need = static_cast<int>(values.size()) - free_columns(m, p, c.row);
        if (need > extra) {
            if (m.channels + need > kMaxChannels) {
                error = "no effect column is free on that row (order position " +
                        std::to_string(c.order) + ", row " + std::to_string(c.row) +
                        "), and the module has no room for another channel (" +
                        std::to_string(kMaxChannels) + " at most). Move the cue to a row nearby";
                return false;
            }
            extra = need;
        }
    }
    failed = -1;
    add_channels(m, extra);

    // Order positions that play one pattern share it while they want the
    // same cues; the others get a copy each.
    const size_t stored = m.patterns.size();
    const std::vector<Pattern> plain = m.patterns;       // without cues, for the copies
    std::map<std::pair<size_t, RowCues>, size_t> copies; // (pattern, cues) -> pattern written
    std::vector<bool> claimed(stored, false);
    for (size_t o = 0; o < m.orders.size(); ++o) {
        const size_t pattern = m.orders[o];
        if (pattern >= stored) continue; // plays an empty pattern; no cue asked for it
        const auto key = std::make_pair(pattern, wanted[o]);
        auto found = copies.find(key);
        if (found == copies.end()) {
            size_t target = pattern;
            if (claimed[pattern]) {
                if (m.patterns.size() >= kMaxPatterns) {
                    error = "pattern " + std::to_string(pattern) +
                            " plays at several order "
                            "positions with different cues, and the module has no room for a "
                            "copy of it (256 patterns at most)";
                    return false;
                }
                target = m.patterns.size();
                m.patterns.push_back(plain[pattern]);
            }
            claimed[pattern] = true;
            Pattern& p = m.patterns[target];
            for (const auto& [row, values] : wanted[o]) {
                // The highest free channels, in channel order.
                std::vector<int> free;
                for (int ch = m.channels - 1; ch >= 0 && free.size() < values.size(); --ch)
                    if (p.cells[static_cast<size_t>(row * m.channels + ch)].free())
                        free.insert(free.begin(), ch);
                for (size_t k = 0; k < values.size(); ++k) {
                    Cell& cell = p.cells[static_cast<size_t>(row * m.channels + free[k])];
                    cell.field[3] = kEffectW;
                    cell.field[4] = values[k];
                }
            }
            found = copies.emplace(key, target).first;
        }
        m.orders[o] = static_cast<uint8_t>(found->second);
    }
    out = write_module(module, m);
    return true;
}
