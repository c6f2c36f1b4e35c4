// Writing FastTracker 2 extended modules (XM, format 1.04).
//
// A module is plain data: header fields, an order table, patterns of cells
// and instruments that each carry one or more 16-bit samples. write_xm()
// turns it into the bytes of an .xm file: packed pattern cells, instrument
// headers with volume envelopes, and delta-coded sample data.
//
// Units: notes 1..96 (1 = C-0, 49 = C-4, 97 = key off); volumes 0..64;
// envelope x in ticks, y 0..64; sample lengths and loops in sample frames
// (write_xm converts them to bytes); rates in Hz.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace xm {

constexpr uint8_t kKeyOff = 97;

// Effect type bytes (the letters of the tracker's effect column).
enum Effect : uint8_t {
    kArpeggio = 0x0,
    kPortaUp = 0x1,
    kPortaDown = 0x2,
    kTonePorta = 0x3,
    kVibrato = 0x4,
    kSetPanning = 0x8,
    kVolSlide = 0xA,
    kPatternBreak = 0xD,
    kSetVolume = 0xC,
    kExtended = 0xE,
    kSpeed = 0xF,
    kGlobalVolume = 0x10, // G
    kKeyOffEffect = 0x14, // K
    kPanSlide = 0x19,     // P
    kRetrig = 0x1B,       // R
    kSync = 0x20,         // W: the show's sync command
};

// Volume column values.
constexpr uint8_t vol_set(int v) {
    return uint8_t(0x10 + (v < 0 ? 0 : v > 64 ? 64 : v));
}
constexpr uint8_t vol_slide_down(int s) {
    return uint8_t(0x60 + (s & 15));
}
constexpr uint8_t vol_slide_up(int s) {
    return uint8_t(0x70 + (s & 15));
}
constexpr uint8_t vol_fine_up(int s) {
    return uint8_t(0x90 + (s & 15));
}
constexpr uint8_t vol_vibrato_depth(int d) {
    return uint8_t(0xB0 + (d & 15));
}
constexpr uint8_t vol_panning(int p) {
    return uint8_t(0xC0 + (p & 15));
}

struct Cell {
    uint8_t note = 0;       // 0 none, 1..96, 97 key off
    uint8_t instrument = 0; // 0 none, 1..128
    uint8_t volume = 0;     // volume column byte, 0 none
    uint8_t effect = 0;
    uint8_t param = 0;
    bool empty() const { return !note && !instrument && !volume && !effect && !param; }
};

struct Pattern {
    int rows = 64;
    int channels = 0;
    std::vector<Cell> cells; // rows x channels, row-major
    Pattern() = default;
    Pattern(int rows_, int channels_)
        : rows(rows_), channels(channels_), cells(size_t(rows_) * channels_) {}
    Cell& at(int row, int channel) { return cells[size_t(row) * channels + channel]; }
    const Cell& at(int row, int channel) const { return cells[size_t(row) * channels + channel]; }
};

enum LoopType : uint8_t { kNoLoop = 0, kForwardLoop = 1, kPingPongLoop = 2 };

struct Sample {
    std::string name;
    std::vector<int16_t> data;
    uint32_t loop_start = 0; // frames
    uint32_t loop_length = 0;
    LoopType loop = kNoLoop;
    uint8_t volume = 64;
    int8_t finetune = 0;      // 1/128 semitone
    int8_t relative_note = 0; // semitones from C-4 at 8363 Hz
    uint8_t panning = 128;
};

struct EnvelopePoint {
    uint16_t x; // ticks
    uint16_t y; // 0..64
};

struct Envelope {
    std::vector<EnvelopePoint> points; // up to 12; empty = off
    int sustain = -1;                  // point index or -1
    int loop_start = -1, loop_end = -1;
};

struct Instrument {
    std::string name;
    std::vector<Sample> samples;
    std::array<uint8_t, 96> sample_of_note{}; // which sample each note plays
    Envelope volume_envelope;
    Envelope panning_envelope;
    uint16_t fadeout = 0; // volume lost per tick after key off, of 65536 (at most 0xFFF)
    uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
};

struct Module {
    std::string name;
    std::string tracker = "vorn-gen";
    int channels = 8;
    bool linear_frequencies = true;
    int speed = 6; // ticks per row
    int bpm = 125;
    int restart = 0;
    std::vector<uint8_t> orders;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
};

// Relative note and finetune for a sample whose recorded pitch should sound
// at note C-4 when the sample is `rate` Hz.
struct Tuning {
    int8_t relative_note;
    int8_t finetune;
};
Tuning tuning_for_rate(double rate);

// The whole .xm file. Throws std::invalid_argument when the module breaks a
// format limit (more than 32 channels, 256 orders, 256 patterns or 128
// instruments, a pattern of 0 or more than 256 rows, a pattern with a
// different channel count, an order naming a missing pattern, more than 12
// envelope points or one not starting at tick 0, a fade-out above 0xFFF, a
// loop outside its sample).
std::vector<uint8_t> write_xm(const Module& module);

} // namespace xm
