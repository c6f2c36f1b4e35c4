// The score of vorn.xm: chords, bass lines, drums, melodies and the sync
// timeline, written order by order. Rows: 16 to a bar, 4 to a beat; notes
// are tracker notes (49 = C-4); volumes 0..64.
//
// The form (one 64-row pattern per order, 7.68 s each, 3:35 in all):
//   orders  0-2   scene 0  intro: pads and bells, then the beat, a roll
//   orders  3-6   scene 1  verse: Am F C G, the lead in call and answer
//   orders  7-10  scene 2  chorus: F G Em Am, off-beat bass, a greeting each two bars
//   orders 11-13  scene 3  break: Dm Am F E on bells, half-time drums, the build
//   orders 14-16  scene 4  drop: the chorus with gated pads
//   orders 17-20  scene 5  verse again, new lines, bells first
//   orders 21-24  scene 6  last chorus, a whole tone up from order 23
//   orders 25-27  scene 7  outro: the instruments leave one by one; the end
#include "music/composition.h"

#include "music/instruments.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <stdexcept>

namespace music {
namespace {

constexpr int kRows = 64;
constexpr int kBar = 16;

// ---- harmony -------------------------------------------------------------

struct Chord {
    int root; // pitch class, C = 0
    bool minor;
    std::array<uint8_t, 3> pad; // close voicing around C-4
};

enum ChordName { Am, F, C, G, Em, Dm, E, kChordCount };

const Chord kChords[kChordCount] = {
    {9, true, {46, 49, 53}},  // Am: A3 C4 E4
    {5, false, {46, 49, 54}}, // F:  A3 C4 F4
    {0, false, {44, 49, 53}}, // C:  G3 C4 E4
    {7, false, {44, 48, 51}}, // G:  G3 B3 D4
    {4, true, {44, 48, 53}},  // Em: G3 B3 E4
    {2, true, {46, 51, 54}},  // Dm: A3 D4 F4
    {4, false, {45, 48, 53}}, // E:  G#3 B3 E4
};

using Progression = std::array<ChordName, 4>; // one chord a bar
const Progression kVerse = {Am, F, C, G};
const Progression kChorus = {F, G, Em, Am};
const Progression kBreak = {Dm, Am, F, E};
const Progression kEnding = {Am, F, Am, Am};

// ---- melodies: one token per eighth note (two rows) -----------------------
//   C5, F#4, Bb4  a note ("~" before it: slide into it, "!" after: accent)
//   -             hold       ^  key off       |  bar line (ignored)

const char* const kVerseA = "A4 - C5 E5 - - D5 C5 | D5 - - - C5 - A4 - |"
                            "G4 - C5 - E5 - G5 - | F5 - E5 - D5 - B4 -";
const char* const kVerseA2 = "A4 - C5 E5 - - A5 G5 | F5 - - - E5 - C5 - |"
                             "G4 - C5 - E5 - G5 A5 | B5 - - - ~D6 - - -";
const char* const kVerseB = "A4 - C5 - E5 - A5 - | G5 - F5 - E5 - C5 - |"
                            "E5 - - - D5 - C5 - | B4 - - - D5 - ^ -";
const char* const kVerseB2 = "E5 - A5 - C6 - B5 A5 | A5 - G5 - F5 - C5 - |"
                             "E5 - G5 - C6! - - - | B5 - A5 - G5 - D5 -";
const char* const kVerseC = "E5 - - C5 - - A4 - | F5 - - E5 - - C5 - |"
                            "G5 - - E5 - - C5 - | D5 - - B4 - - G4 -";
const char* const kVerseD = "A5! - - E5 - - C5 - | A5 - - F5 - - C5 - |"
                            "G5 - - E5 - - G5 A5 | B5 - - G5 - - ~D6 -";
const char* const kChorusA = "A5! - - - G5 - F5 - | G5 - - - D5 - - B4 |"
                             "E5 - - - G5 - B5 - | A5 - - - - - ^ -";
const char* const kChorusB = "C6! - - - A5 - F5 - | D6 - - - B5 - G5 - |"
                             "B5 - - - G5 - E5 - | A5 - - - - - - -";
const char* const kChorusC = "A5! - C6 - A5 F5 - C5 | D5 G5 - B5 - D6 - B5 |"
                             "E5 G5 - B5 - E6 - D6 | C6 - B5 - A5 - - -";
const char* const kBreakBell = "D5 - - - F5 - A5 - | E5 - - - C5 - - - |"
                               "A4 - - - C5 - F5 - | E5 - - - G#4 - B4 -";
const char* const kBreakLead = "F5 - - - - - E5 D5 | E5 - - - - - - - |"
                               "C5 - - - A4 - C5 - | B4 - - - - - ^ -";
const char* const kOutroBell = "E5 - - - C5 - - - | A4 - - - C5 - - - |"
                               "G4 - - - E4 - - - | D5 - - - B4 - - -";
const char* const kEndBell = "A4 - - - E5 - - - | C5 - - - - - - - |"
                             "E4 - - - A4 - - - | - - - - - - - -";

struct Token {
    int note = 0; // 0 hold, -1 key off, else tracker note
    bool slide = false;
    bool accent = false;
};

int parse_note(const std::string& s) {
    static const int steps[7] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    size_t i = 0;
    char letter = char(std::toupper(static_cast<unsigned char>(s[i++])));
    if (letter < 'A' || letter > 'G') throw std::invalid_argument("bad note " + s);
    int pc = steps[letter - 'A'];
    if (i < s.size() && s[i] == '#') {
        ++pc;
        ++i;
    } else if (i < s.size() && s[i] == 'b') {
        --pc;
        ++i;
    }
    if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i])))
        throw std::invalid_argument("bad note " + s);
    int octave = s[i] - '0';
    return octave * 12 + pc + 1;
}

std::vector<Token> parse_melody(const char* text) {
    std::vector<Token> out;
    std::string clean(text);
    for (char& ch : clean)
        if (ch == '|') ch = ' ';
    std::istringstream in(clean);
    std::string w;
    while (in >> w) {
        Token t;
        if (w == "-") {
        } else if (w == "^") {
            t.note = -1;
        } else {
            if (w[0] == '~') {
                t.slide = true;
                w.erase(0, 1);
            }
            if (w.back() == '!') {
                t.accent = true;
                w.pop_back();
            }
            t.note = parse_note(w);
        }
        out.push_back(t);
    }
    if (out.size() != kRows / 2) throw std::invalid_argument("a melody must fill one pattern");
    return out;
}

// ---- writing one pattern ---------------------------------------------------

struct Builder {
    xm::Pattern& p;
    int transpose = 0;

    xm::Cell& at(int row, int ch) { return p.at(row, ch); }

    void note(int row, int ch, int n, int ins, int vol) {
        xm::Cell& c = at(row, ch);
        c.note = uint8_t(n == xm::kKeyOff ? n : n + transpose);
        c.instrument = uint8_t(ins);
        c.volume = xm::vol_set(vol);
    }
    void drum(int row, int ch, int ins, int vol) {
        xm::Cell& c = at(row, ch);
        c.note = 49;
        c.instrument = uint8_t(ins);
        c.volume = xm::vol_set(vol);
    }
    void off(int row, int ch) {
        xm::Cell& c = at(row, ch);
        c = xm::Cell{};
        c.note = xm::kKeyOff;
    }
    void effect(int row, int ch, uint8_t type, uint8_t param) {
        at(row, ch).effect = type;
        at(row, ch).param = param;
    }

    // Drums -------------------------------------------------------------
    void kicks(int from = 0, int to = kRows, int step = 4, int vol = 64) {
        for (int r = from; r < to; r += step)
            drum(r, kChKick, kKick, vol);
    }
    void snares(int from = 0, int to = kRows, int vol = 60) {
        for (int r = from; r < to; ++r)
            if (r % 8 == 4) drum(r, kChSnare, kSnare, vol);
    }
    // Closed hats on the beats, open hats on the off-beats; `busy` adds
    // quiet sixteenths in between.
    void hats(bool busy, int from = 0, int to = kRows, int scale = 100) {
        for (int r = from; r < to; ++r) {
            if (r % 4 == 2)
                drum(r, kChHats, kOpenHat, 34 * scale / 100);
            else if (r % 4 == 0)
                drum(r, kChHats, kClosedHat, 30 * scale / 100);
            else if (busy)
                drum(r, kChHats, kClosedHat, (r % 2 ? 14 : 22) * scale / 100);
        }
    }
    void offbeat_hats(int from = 0, int to = kRows, int vol = 30) {
        for (int r = from; r < to; ++r)
            if (r % 4 == 2) drum(r, kChHats, kClosedHat, vol);
    }
    // A snare roll over [from, to): sixteenths growing louder, the last
    // half-bar in thirty-seconds through the retrigger effect.
    void roll(int from, int to, int v0, int v1) {
        for (int r = from; r < to; ++r) {
            if (r % 2 && r < to - 8) continue;
            int vol = v0 + (v1 - v0) * (r - from) / (to - from);
            drum(r, kChSnare, kSnare, vol);
            if (r >= to - 4) effect(r, kChSnare, xm::kRetrig, 0x03);
        }
    }
    // A short fill in the last half-bar.
    void fill() {
        const int rows[5] = {56, 59, 60, 62, 63};
        const int vols[5] = {44, 48, 54, 60, 64};
        for (int i = 0; i < 5; ++i)
            drum(rows[i], kChSnare, kSnare, vols[i]);
        drum(62, kChHats, kOpenHat, 40);
    }
    void crash(int row, int vol = 50) { drum(row, kChPerc, kCrash, vol); }

    // Bass --------------------------------------------------------------
    static int bass_root(const Chord& c) { return (c.root <= 4 ? 24 : 12) + c.root + 1; }

    // Eighths jumping between the root and its octave.
    void bass_octaves(const Progression& prog) {
        for (int bar = 0; bar < 4; ++bar) {
            int root = bass_root(kChords[prog[bar]]);
            for (int r = 0; r < kBar; r += 2) {
                bool high = (r / 2) % 2 == 1;
                note(bar * kBar + r, kChBass, root + (high ? 12 : 0), kBass, high ? 44 : 56);
            }
        }
    }
    // The off-beat line: the root on each off-beat, its octave a sixteenth
    // later, silenced on the beats to leave them to the kick.
    void bass_offbeat(const Progression& prog) {
        for (int bar = 0; bar < 4; ++bar) {
            int root = bass_root(kChords[prog[bar]]);
            for (int r = 2; r < kBar; r += 4) {
                note(bar * kBar + r, kChBass, root, kBass, 58);
                note(bar * kBar + r + 1, kChBass, root + 12, kBass, 38);
                at(bar * kBar + r - 2, kChBass).volume = xm::vol_set(0); // silent on the beat
            }
        }
    }
    // One long note a bar, released before the next.
    void bass_long(const Progression& prog, int vol = 52) {
        for (int bar = 0; bar < 4; ++bar) {
            note(bar * kBar, kChBass, bass_root(kChords[prog[bar]]), kBass, vol);
            off(bar * kBar + 14, kChBass);
        }
    }

    // Pads: three voices, a new chord when it changes.
    // `step` raises the volume bar by bar.
    void pads(const Progression& prog, int vol, bool restart = true, int step = 0) {
        static const uint8_t pans[3] = {0x40, 0x80, 0xC0};
        for (int bar = 0; bar < 4; ++bar) {
            if (!restart && bar > 0 && prog[bar] == prog[bar - 1]) continue;
            for (int v = 0; v < 3; ++v) {
                note(bar * kBar, kChPad1 + v, kChords[prog[bar]].pad[v], kPad, vol + bar * step);
                effect(bar * kBar, kChPad1 + v, 0x8, pans[v]);
            }
        }
    }
    void pads_off(int row) {
        for (int v = 0; v < 3; ++v)
            off(row, kChPad1 + v);
    }
    // A sixteenth-note gate on the pads through the volume column: rows the
    // pattern marks play at `high`, the others drop to `low`.
    void gate(int from, int to, int low, int high) {
        static const char pattern[] = "x.xx.xx.x.xxx.x.";
        for (int r = from; r < to; ++r)
            for (int v = 0; v < 3; ++v)
                at(r, kChPad1 + v).volume = xm::vol_set(pattern[r % 16] == 'x' ? high : low);
    }
    // Fine volume steps up on the pads between their notes.
    void pad_swell(int from, int to, int every, int amount) {
        for (int r = from; r < to; r += every)
            for (int v = 0; v < 3; ++v)
                if (!at(r, kChPad1 + v).note) at(r, kChPad1 + v).volume = uint8_t(0x90 + amount);
    }
    // A reversed cymbal that peaks on the downbeat 16 rows after `row`.
    void swell(int row, int vol = 44) { drum(row, kChPerc, kSwell, vol); }

    // Chip arpeggio: the chord's root in octave 5, re-struck every beat,
    // with the arpeggio effect on every row.
    void arp(const Progression& prog, int vol, int from = 0, int to = kRows) {
        for (int r = from; r < to; ++r) {
            const Chord& c = kChords[prog[r / kBar]];
            if (r % 4 == 0) note(r, kChArp, 60 + c.root + 1, kChip, r % 8 == 0 ? vol : vol * 3 / 4);
            effect(r, kChArp, xm::kArpeggio, c.minor ? 0x37 : 0x47);
        }
    }

    // A melody on `ch` with instrument `ins`; long notes get a delayed vibrato.
    void melody(const char* text, int ch, int ins, int vol) {
        std::vector<Token> t = parse_melody(text);
        for (size_t i = 0; i < t.size(); ++i) {
            int row = int(i) * 2;
            if (t[i].note < 0) {
                off(row, ch);
            } else if (t[i].note > 0) {
                note(row, ch, t[i].note, ins, t[i].accent ? vol + 10 : vol);
                if (t[i].slide) {
                    at(row, ch).instrument = 0;
                    effect(row, ch, xm::kTonePorta, 0x40);
                }
                size_t len = 1;
                while (i + len < t.size() && t[i + len].note == 0)
                    ++len;
                if (ins == kLead && len >= 3)
                    for (int r = row + 4; r < row + int(len) * 2 && r < kRows; ++r)
                        effect(r, ch, xm::kVibrato, 0x43);
            }
        }
    }
    // A second voice under a melody: for each note the nearest tone of the
    // bar's chord at least a minor third below it.
    void harmony(const char* text, const Progression& prog, int vol) {
        std::vector<Token> t = parse_melody(text);
        for (size_t i = 0; i < t.size(); ++i) {
            int row = int(i) * 2;
            if (t[i].note < 0) {
                off(row, kChEcho);
            } else if (t[i].note > 0) {
                const Chord& c = kChords[prog[row / kBar]];
                int third = c.minor ? 3 : 4;
                int n = t[i].note - 3;
                for (;; --n) {
                    int pc = ((n - 1) % 12 - c.root + 12) % 12;
                    if (pc == 0 || pc == third || pc == 7) break;
                }
                note(row, kChEcho, n, kLead, vol);
                effect(row, kChEcho, 0x8, 0xC0);
            }
        }
    }
    // The lead's echo: the same line three rows later, quieter, panned right.
    // `tail` is the melody of the previous pattern, whose last rows spill over.
    void echo(const char* text, const char* tail, int vol) {
        auto place = [&](const char* m, int shift) {
            std::vector<Token> t = parse_melody(m);
            for (size_t i = 0; i < t.size(); ++i) {
                int row = int(i) * 2 + shift;
                if (row < 0 || row >= kRows || t[i].note == 0) continue;
                if (t[i].note < 0) {
                    off(row, kChEcho);
                    continue;
                }
                note(row, kChEcho, t[i].note, kLead, vol);
                effect(row, kChEcho, 0x8, 0xD0);
            }
        };
        if (tail) place(tail, 3 - kRows);
        place(text, 3);
    }
};

// ---- the timeline and the song ---------------------------------------------

struct Score {
    Song song;
    int scene = 0;

    Builder next(int transpose = 0) {
        xm::Module& m = song.module;
        m.patterns.emplace_back(kRows, kChannelCount);
        m.orders.push_back(uint8_t(m.patterns.size() - 1));
        return Builder{m.patterns.back(), transpose};
    }
    int order() const { return int(song.module.orders.size()) - 1; }
    void sync(int row, uint8_t value) {
        xm::Pattern& p = song.module.patterns.back();
        xm::Cell& c = p.at(row, kChSync);
        if (c.effect) throw std::logic_error("two sync commands on one row");
        c.effect = xm::kSync;
        c.param = value;
        if (value < 32) scene = value;
        song.sync.push_back({order(), row, value, scene});
    }
};

// A sustained note left sounding at the end of a pattern would hold through
// every following pattern that leaves its channel empty: release it there.
void release_idle_channels(xm::Module& m) {
    for (int ch : {kChBass, kChPad1, kChPad2, kChPad3, kChLead, kChEcho, kChArp}) {
        bool sounding = false;
        for (uint8_t index : m.orders) {
            xm::Pattern& p = m.patterns[index];
            bool any = false;
            for (int r = 0; r < p.rows; ++r)
                any = any || p.at(r, ch).note;
            if (!any && sounding && !p.at(0, ch).note) {
                p.at(0, ch).note = xm::kKeyOff;
                sounding = false;
            }
            for (int r = 0; r < p.rows; ++r)
                if (uint8_t n = p.at(r, ch).note) sounding = n != xm::kKeyOff;
        }
    }
}

} // namespace

Song compose() {
    Score s;
    xm::Module& m = s.song.module;
    m.name = "vorn";
    m.tracker = "vorn-gen";
    m.channels = kChannelCount;
    m.speed = 6;
    m.bpm = 125;
    m.instruments = make_instruments();

    // Scene 0: the lights wait in the dark for the beat.
    {
        Builder b = s.next();
        s.sync(0, 0);
        b.pads(kVerse, 18, true, 6);
        b.pad_swell(4, 64, 4, 1);
        b.melody(kOutroBell, kChPerc, kBell, 30);
    }
    {
        Builder b = s.next();
        s.sync(0, 35); // the beat starts: lights on
        b.kicks();
        b.offbeat_hats();
        b.bass_long(kVerse);
        b.pads(kVerse, 40);
        b.arp(kVerse, 18, 32);
    }
    {
        Builder b = s.next();
        // the roll: the lights climb to white; 14 rows (1.68 s) before the cut, so
        // the climb (1.71 s) is still rising when the scene ends
        s.sync(50, 34);
        b.kicks(0, 48);
        b.snares(0, 48, 44);
        b.hats(false, 0, 48);
        b.bass_octaves(kVerse);
        b.pads(kVerse, 42);
        b.arp(kVerse, 24);
        b.roll(48, 64, 20, 64);
        b.swell(48);
    }

    // Scene 1: the verse, melody in call and answer.
    const char* verse[4] = {kVerseA, kVerseB, kVerseA2, kVerseB2};
    for (int i = 0; i < 4; ++i) {
        Builder b = s.next();
        if (i == 0) {
            s.sync(0, 1);
            s.sync(1, 32);
        }
        if (i == 2) s.sync(0, 32);
        if (i == 1 || i == 3) s.sync(0, 37); // swap the two objects
        if (i == 1)
            for (int r : {12, 28, 44, 60})
                s.sync(r, 35); // snares shake the small mapped object
        if (i == 2)
            for (int r : {12, 44})
                s.sync(r, 35);
        s.sync(i == 1 ? 56 : i == 3 ? 48 : 60, 36); // overlay on the accent
        b.kicks();
        b.snares();
        b.hats(i >= 2);
        b.bass_octaves(kVerse);
        b.pads(kVerse, 34);
        b.melody(verse[i], kChLead, kLead, 50);
        b.echo(verse[i], i ? verse[i - 1] : nullptr, 20);
        if (i >= 2) b.arp(kVerse, 16);
        if (i % 2 == 0) b.crash(0);
        if (i == 1) b.fill();
        if (i == 3) {
            b.roll(48, 64, 24, 64);
            b.swell(48);
        }
    }

    // Scene 2: the chorus; a greeting every second bar.
    const char* chorus[4] = {kChorusA, kChorusB, kChorusA, kChorusC};
    for (int i = 0; i < 4; ++i) {
        Builder b = s.next();
        if (i == 0) {
            s.sync(0, 2);
            s.sync(1, 32);
        } else if (i == 2) {
            s.sync(0, 32);
        } else {
            s.sync(0, 35); // switch the wobbling picture
        }
        s.sync(16, 37);
        s.sync(28, 36); // overlay on the snare
        s.sync(48, 37);
        b.kicks(0, i == 3 ? 56 : kRows);
        b.snares(0, i == 3 ? 56 : kRows);
        b.hats(true, 0, i == 3 ? 56 : kRows);
        b.bass_offbeat(kChorus);
        b.pads(kChorus, 38);
        b.melody(chorus[i], kChLead, kLead, 52);
        b.echo(chorus[i], i ? chorus[i - 1] : kVerseB2, 20);
        b.arp(kChorus, 20);
        if (i % 2 == 0) b.crash(0, 56);
        if (i == 1) b.fill();
        if (i == 3) {
            b.off(56, kChBass);
            b.crash(56, 44);
        }
    }

    // Scene 3: the break: bells over a darker progression, then the build.
    {
        Builder b = s.next();
        s.sync(0, 3);
        s.sync(1, 32);
        b.pads(kBreak, 34);
        b.bass_long(kBreak, 36);
        b.melody(kBreakBell, kChPerc, kBell, 44);
    }
    {
        Builder b = s.next();
        for (int bar = 0; bar < 4; ++bar) {
            b.drum(bar * kBar, kChKick, kKick, 64);
            b.drum(bar * kBar + 10, kChKick, kKick, 52);
            b.drum(bar * kBar + 8, kChSnare, kSnare, 46);
        }
        b.offbeat_hats(0, kRows, 26);
        b.pads(kBreak, 38);
        b.bass_long(kBreak, 52);
        b.melody(kBreakLead, kChLead, kLead, 46);
        b.echo(kBreakLead, nullptr, 18);
        b.melody(kBreakBell, kChPerc, kBell, 30);
    }
    {
        Builder b = s.next();
        s.sync(0, 32);
        b.kicks(0, 48);
        b.kicks(48, 64, 2, 64);
        b.roll(0, 64, 12, 64);
        b.swell(48, 50);
        b.hats(true, 0, kRows, 80);
        b.pads(kBreak, 40);
        b.bass_octaves(kBreak);
        b.arp(kBreak, 22, 0, 48);
        b.off(48, kChArp);
        // the lead climbs through the last bar into the drop
        b.note(48, kChLead, 53, kLead, 34);
        for (int r = 48; r < 64; ++r)
            b.effect(r, kChLead, xm::kPortaUp, 0x02);
    }

    // Scene 4: the drop, the chorus with everything.
    for (int i = 0; i < 3; ++i) {
        Builder b = s.next();
        if (i == 0) {
            s.sync(0, 4);
            s.sync(1, 32);
        } else if (i == 2) {
            s.sync(0, 32);
        }
        const char* line = i == 1 ? kChorusB : kChorusC;
        b.kicks();
        b.snares();
        b.hats(true);
        b.bass_octaves(kChorus);
        b.pads(kChorus, 40);
        if (i != 1) b.gate(0, kRows, 12, 46);
        b.melody(line, kChLead, kLead, 52);
        b.echo(line, i ? kChorusC : nullptr, 20);
        b.arp(kChorus, 22);
        if (i != 1) b.crash(0, 56);
        if (i == 2) b.roll(56, 64, 30, 56);
    }

    // Scene 5: the scroller over a calmer verse; bells first, then the lead.
    const char* calm[4] = {kVerseA, kVerseC, kVerseD, kVerseB2};
    for (int i = 0; i < 4; ++i) {
        Builder b = s.next();
        if (i == 0) {
            s.sync(0, 5);
            s.sync(1, 32);
            s.sync(32, 35); // the grid gets its faces
        }
        if (i == 2) s.sync(0, 32);
        b.kicks();
        if (i > 0) b.snares();
        b.hats(i >= 2, 0, kRows, 90);
        if (i == 0)
            b.bass_long(kVerse);
        else
            b.bass_octaves(kVerse);
        b.pads(kVerse, 38);
        if (i == 0) {
            b.melody(kVerseA, kChPerc, kBell, 40);
        } else {
            b.melody(calm[i], kChLead, kLead, 48);
            b.echo(calm[i], i > 1 ? calm[i - 1] : nullptr, 18);
        }
        if (i >= 2) b.arp(kVerse, 18);
        if (i == 3) {
            b.roll(48, 64, 24, 64);
            b.swell(48);
        }
    }

    // Scene 6: the last chorus, in two voices from its second pattern, lifted a
    // whole tone halfway.
    const char* last[4] = {kChorusA, kChorusC, kChorusB, kChorusC};
    for (int i = 0; i < 4; ++i) {
        Builder b = s.next(i >= 2 ? 2 : 0);
        if (i == 0) {
            s.sync(0, 6);
            s.sync(1, 32);
        }
        if (i == 2) s.sync(0, 32);
        for (int r = 48; r < 64; r += 4)
            s.sync(r, 36); // the picture flashes on the beats
        b.kicks();
        b.snares();
        b.hats(true);
        b.bass_offbeat(kChorus);
        b.pads(kChorus, 42);
        b.melody(last[i], kChLead, kLead, 54);
        if (i == 0)
            b.echo(last[i], kVerseB2, 20);
        else
            b.harmony(last[i], kChorus, 34);
        b.arp(kChorus, 22);
        b.crash(0, 56);
        if (i == 1) b.fill();
        if (i == 3) b.swell(48, 36);
    }

    // Scene 7: the lights again while the music winds down.
    {
        Builder b = s.next();
        s.sync(0, 7);
        b.kicks(0, 64, 4, 56);
        b.hats(false, 0, kRows, 80);
        b.bass_long(kVerse, 48);
        b.pads(kVerse, 38);
        b.melody(kOutroBell, kChPerc, kBell, 40);
        b.crash(0, 50);
    }
    {
        Builder b = s.next();
        b.offbeat_hats(0, kRows, 22);
        b.pads(kVerse, 34);
        b.arp(kVerse, 14);
        b.melody(kOutroBell, kChPerc, kBell, 32);
    }
    {
        Builder b = s.next();
        b.pads(kEnding, 34, false);
        b.pads_off(40);
        b.note(0, kChBass, Builder::bass_root(kChords[Am]), kBass, 44);
        b.off(32, kChBass);
        b.melody(kEndBell, kChPerc, kBell, 30);
        s.sync(63, 31);
    }
    release_idle_channels(m);
    std::stable_sort(s.song.sync.begin(), s.song.sync.end(),
                     [](const SyncPoint& a, const SyncPoint& b) {
                         return a.order != b.order ? a.order < b.order : a.row < b.row;
                     });
    return s.song;
}

double sync_time(const xm::Module& m, int order, int row) {
    double row_seconds = m.speed * 2.5 / m.bpm;
    int rows = 0;
    for (int o = 0; o < order; ++o)
        rows += m.patterns[m.orders[o]].rows;
    return (rows + row) * row_seconds;
}

std::string sync_meaning(uint8_t value, int scene) {
    if (value == 31) return "end of the show";
    if (value < 32) return "scene " + std::to_string(value);
    switch (value) {
    case 32:
        return "flag 1: white flash";
    case 34:
        return "flag 3: lights climb to white";
    case 35:
        switch (scene) {
        case 0:
            return "flag 4: lights on";
        case 1:
            return "flag 4: jitter the mapped object";
        case 2:
            return "flag 4: switch the wobbling picture";
        case 5:
            return "flag 4: show the textured grid";
        }
        break;
    case 36:
        switch (scene) {
        case 1:
        case 2:
            return "flag 5: overlay picture";
        case 6:
            return "flag 5: picture flash";
        }
        break;
    case 37:
        switch (scene) {
        case 1:
            return "flag 6: swap the objects";
        case 2:
            return "flag 6: next greeting";
        }
        break;
    }
    return "flag " + std::to_string(value - 31) + " (unused here)";
}

} // namespace music
