// Writing the cells of one pattern of the score: the chords the song is
// built from, the text notation of its melodies, and the drum, bass, pad,
// arpeggio and melody lines a section lays into a pattern. Rows: 16 to a
// bar, 4 to a beat; notes are tracker notes (49 = C-4); volumes 0..64.
#pragma once
#include "music/xm_writer.h"

#include <array>
#include <cstdint>
#include <vector>

namespace music {

constexpr int kRows = 64; // four bars
constexpr int kBar = 16;

// ---- harmony --------------------------------------------------------------

struct Chord {
    int root; // pitch class, C = 0
    bool minor;
    std::array<uint8_t, 3> pad; // close voicing around C-4
};

enum ChordName { Am, F, C, G, Em, Dm, E, kChordCount };

inline constexpr Chord kChords[kChordCount] = {
    {9, true, {46, 49, 53}},  // Am: A3 C4 E4
    {5, false, {46, 49, 54}}, // F:  A3 C4 F4
    {0, false, {44, 49, 53}}, // C:  G3 C4 E4
    {7, false, {44, 48, 51}}, // G:  G3 B3 D4
    {4, true, {44, 48, 53}},  // Em: G3 B3 E4
    {2, true, {46, 51, 54}},  // Dm: A3 D4 F4
    {4, false, {45, 48, 53}}, // E:  G#3 B3 E4
};

using Progression = std::array<ChordName, 4>; // one chord a bar

// ---- melodies: one token per eighth note (two rows) -----------------------
//   C5, F#4, Bb4  a note ("~" before it: slide into it, "!" after: accent)
//   -             hold       ^  key off       |  bar line (ignored)

struct Token {
    int note = 0; // 0 hold, -1 key off, else tracker note
    bool slide = false;
    bool accent = false;
};

// The tokens of a melody that fills one pattern (32 eighths). Throws
// std::invalid_argument for a token that is no note, a note outside the
// tracker's range (C-0..B-7), or a melody of another length.
std::vector<Token> parse_melody(const char* text);

// ---- one pattern ----------------------------------------------------------

struct PatternBuilder {
    xm::Pattern& p;
    int transpose = 0; // semitones added to every note but the key-offs

    xm::Cell& at(int row, int ch) { return p.at(row, ch); }

    void note(int row, int ch, int n, int ins, int vol);
    void drum(int row, int ch, int ins, int vol);
    void off(int row, int ch);
    void effect(int row, int ch, uint8_t type, uint8_t param);

    // Drums
    void kicks(int from = 0, int to = kRows, int step = 4, int vol = 64);
    void snares(int from = 0, int to = kRows, int vol = 60);
    // Closed hats on the beats, open hats on the off-beats; `busy` adds
    // quiet sixteenths in between. `scale` is a percentage of the volumes.
    void hats(bool busy, int from = 0, int to = kRows, int scale = 100);
    void offbeat_hats(int from = 0, int to = kRows, int vol = 30);
    // A snare roll over [from, to): sixteenths growing louder, the last
    // half-bar in thirty-seconds through the retrigger effect.
    void roll(int from, int to, int v0, int v1);
    // A short fill in the last half-bar.
    void fill();
    void crash(int row, int vol = 50);

    // Bass
    static int bass_root(const Chord& c);
    // Eighths jumping between the root and its octave.
    void bass_octaves(const Progression& prog);
    // The off-beat line: the root on each off-beat, its octave a sixteenth
    // later, silenced on the beats to leave them to the kick.
    void bass_offbeat(const Progression& prog);
    // One long note a bar, released before the next.
    void bass_long(const Progression& prog, int vol = 52);

    // Pads: three voices, a new chord when it changes.
    // `step` raises the volume bar by bar.
    void pads(const Progression& prog, int vol, bool restart = true, int step = 0);
    void pads_off(int row);
    // A sixteenth-note gate on the pads through the volume column: rows the
    // pattern marks play at `high`, the others drop to `low`.
    void gate(int from, int to, int low, int high);
    // Fine volume steps up on the pads between their notes.
    void pad_swell(int from, int to, int every, int amount);
    // A reversed cymbal that peaks on the downbeat 16 rows after `row`.
    void swell(int row, int vol = 44);

    // Chip arpeggio: the chord's root in octave 5, re-struck every beat,
    // with the arpeggio effect on every row.
    void arp(const Progression& prog, int vol, int from = 0, int to = kRows);

    // A melody on `ch` with instrument `ins`; long notes get a delayed vibrato.
    void melody(const char* text, int ch, int ins, int vol);
    // A second voice under a melody: for each note the nearest tone of the
    // bar's chord at least a minor third below it.
    void harmony(const char* text, const Progression& prog, int vol);
    // The lead's echo: the same line three rows later, quieter, panned right.
    // `tail` is the melody of the previous pattern, whose last rows spill over.
    void echo(const char* text, const char* tail, int vol);

  private:
    void place_echo(const char* text, int shift, int vol);
};

} // namespace music
