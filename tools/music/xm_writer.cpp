// Serialising a Module into the bytes of a FastTracker 2 XM 1.04 file.
#include "music/xm_writer.h"

#include <cmath>
#include <stdexcept>

namespace xm {
namespace {

struct Out {
    std::vector<uint8_t> bytes;
    void u8(unsigned v) { bytes.push_back(uint8_t(v)); }
    void u16(unsigned v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    // A fixed-width text field, padded with `pad` bytes (cut if longer).
    void text(const std::string& s, size_t width, uint8_t pad = 0) {
        for (size_t i = 0; i < width; ++i)
            u8(i < s.size() ? uint8_t(s[i]) : pad);
    }
    void patch_u16(size_t at, unsigned v) {
        bytes[at] = uint8_t(v & 0xFF);
        bytes[at + 1] = uint8_t((v >> 8) & 0xFF);
    }
};

void fail(const std::string& why) {
    throw std::invalid_argument("xm: " + why);
}

void write_pattern(Out& o, const Pattern& p, int channels) {
    if (p.rows < 1 || p.rows > 256) fail("pattern row count out of range");
    if (p.channels != channels || p.cells.size() != size_t(p.rows) * channels)
        fail("pattern channel count differs from the module's");
    o.u32(9); // header length
    o.u8(0);  // packing type
    o.u16(p.rows);
    size_t size_at = o.bytes.size();
    o.u16(0);
    size_t start = o.bytes.size();
    for (const Cell& c : p.cells) {
        if (c.note > kKeyOff) fail("note out of range");
        if (c.note && c.instrument && c.volume && c.effect && c.param) {
            o.u8(c.note);
            o.u8(c.instrument);
            o.u8(c.volume);
            o.u8(c.effect);
            o.u8(c.param);
            continue;
        }
        uint8_t mask = 0x80;
        if (c.note) mask |= 1;
        if (c.instrument) mask |= 2;
        if (c.volume) mask |= 4;
        if (c.effect) mask |= 8;
        if (c.param) mask |= 16;
        o.u8(mask);
        if (c.note) o.u8(c.note);
        if (c.instrument) o.u8(c.instrument);
        if (c.volume) o.u8(c.volume);
        if (c.effect) o.u8(c.effect);
        if (c.param) o.u8(c.param);
    }
    size_t packed = o.bytes.size() - start;
    if (packed > 0xFFFF) fail("packed pattern larger than 65535 bytes");
    o.patch_u16(size_at, unsigned(packed));
}

void write_envelope_points(Out& o, const Envelope& e) {
    if (e.points.size() > 12) fail("more than 12 envelope points");
    for (size_t i = 0; i < 12; ++i) {
        if (i < e.points.size()) {
            if (i == 0 && e.points[0].x != 0) fail("an envelope starts at tick 0");
            if (i > 0 && e.points[i].x <= e.points[i - 1].x)
                fail("envelope points must advance in time");
            o.u16(e.points[i].x);
            o.u16(e.points[i].y > 64 ? 64 : e.points[i].y);
        } else {
            o.u16(0);
            o.u16(0);
        }
    }
}

uint8_t envelope_flags(const Envelope& e) {
    if (e.points.empty()) return 0;
    uint8_t f = 1;
    if (e.sustain >= 0) f |= 2;
    if (e.loop_start >= 0 && e.loop_end >= e.loop_start) f |= 4;
    return f;
}

uint8_t index_or_zero(int i, const Envelope& e) {
    if (i < 0) return 0;
    if (size_t(i) >= e.points.size()) fail("envelope sustain or loop point past the last point");
    return uint8_t(i);
}

void write_instrument(Out& o, const Instrument& ins) {
    size_t n = ins.samples.size();
    if (n > 16) fail("more than 16 samples in an instrument");
    if (ins.fadeout > 0xFFF || ins.vibrato_depth > 15 || ins.vibrato_rate > 63)
        fail("fade-out or vibrato outside the tracker's range");
    o.u32(n ? 263 : 29);
    o.text(ins.name, 22);
    o.u8(0);
    o.u16(unsigned(n));
    if (!n) return;
    o.u32(40); // sample header size
    for (uint8_t s : ins.sample_of_note) {
        if (s >= n) fail("note mapped to a missing sample");
        o.u8(s);
    }
    write_envelope_points(o, ins.volume_envelope);
    write_envelope_points(o, ins.panning_envelope);
    const Envelope& v = ins.volume_envelope;
    const Envelope& p = ins.panning_envelope;
    o.u8(unsigned(v.points.size()));
    o.u8(unsigned(p.points.size()));
    o.u8(index_or_zero(v.sustain, v));
    o.u8(index_or_zero(v.loop_start, v));
    o.u8(index_or_zero(v.loop_end, v));
    o.u8(index_or_zero(p.sustain, p));
    o.u8(index_or_zero(p.loop_start, p));
    o.u8(index_or_zero(p.loop_end, p));
    o.u8(envelope_flags(v));
    o.u8(envelope_flags(p));
    o.u8(ins.vibrato_type);
    o.u8(ins.vibrato_sweep);
    o.u8(ins.vibrato_depth);
    o.u8(ins.vibrato_rate);
    o.u16(ins.fadeout);
    for (int i = 0; i < 22; ++i) // reserved
        o.u8(0);

    for (const Sample& s : ins.samples) {
        uint32_t frames = uint32_t(s.data.size());
        uint32_t loop_start = 0, loop_length = 0;
        uint8_t type = 0x10; // 16-bit
        if (s.loop != kNoLoop && s.loop_length > 0) {
            if (uint64_t(s.loop_start) + s.loop_length > frames)
                fail("sample loop outside the sample");
            loop_start = s.loop_start;
            loop_length = s.loop_length;
            type |= s.loop;
        }
        if (frames > 0x3FFFFFFF) fail("sample too long");
        o.u32(frames * 2);
        o.u32(loop_start * 2);
        o.u32(loop_length * 2);
        o.u8(s.volume > 64 ? 64 : s.volume);
        o.u8(uint8_t(s.finetune));
        o.u8(type);
        o.u8(s.panning);
        o.u8(uint8_t(s.relative_note));
        o.u8(0); // plain delta coding
        o.text(s.name, 22);
    }
    for (const Sample& s : ins.samples) {
        int16_t prev = 0;
        for (int16_t v : s.data) {
            o.u16(uint16_t(uint16_t(v) - uint16_t(prev)));
            prev = v;
        }
    }
}

} // namespace

Tuning tuning_for_rate(double rate) {
    // 1/128 semitone steps between C-4 at 8363 Hz and C-4 at `rate`.
    long steps = std::lround(1536.0 * std::log2(rate / 8363.0));
    long rel = (steps >= 0 ? steps + 64 : steps - 63) / 128;
    long fine = steps - rel * 128;
    if (rel < -96 || rel > 95) fail("sample rate out of the playable range");
    return {int8_t(rel), int8_t(fine)};
}

std::vector<uint8_t> write_xm(const Module& m) {
    if (m.channels < 1 || m.channels > 32) fail("channel count out of range");
    if (m.orders.empty() || m.orders.size() > 256) fail("order table must have 1 to 256 entries");
    if (m.patterns.empty() || m.patterns.size() > 256) fail("pattern count out of range");
    if (m.instruments.size() > 128) fail("more than 128 instruments");
    for (uint8_t ord : m.orders)
        if (ord >= m.patterns.size()) fail("order names a missing pattern");
    if (m.restart < 0 || size_t(m.restart) >= m.orders.size())
        fail("restart position outside the order table");

    Out o;
    o.text("Extended Module: ", 17);
    o.text(m.name, 20);
    o.u8(0x1A);
    o.text(m.tracker, 20, ' ');
    o.u16(0x0104);
    o.u32(276); // header size from this field on: 20 + 256 order bytes
    o.u16(unsigned(m.orders.size()));
    o.u16(unsigned(m.restart));
    o.u16(unsigned(m.channels));
    o.u16(unsigned(m.patterns.size()));
    o.u16(unsigned(m.instruments.size()));
    o.u16(m.linear_frequencies ? 1 : 0);
    o.u16(unsigned(m.speed));
    o.u16(unsigned(m.bpm));
    for (size_t i = 0; i < 256; ++i)
        o.u8(i < m.orders.size() ? m.orders[i] : 0);
    for (const Pattern& p : m.patterns)
        write_pattern(o, p, m.channels);
    for (const Instrument& ins : m.instruments)
        write_instrument(o, ins);
    return o.bytes;
}

} // namespace xm
