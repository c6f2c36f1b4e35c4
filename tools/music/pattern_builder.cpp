// The melody notation's parser and the lines a section of the score lays
// into one pattern (see pattern_builder.h).
#include "music/pattern_builder.h"

#include "music/composition.h"
#include "music/instruments.h"

#include <cctype>
#include <sstream>
#include <stdexcept>
#include <string>

namespace music {
namespace {

constexpr int kOctave = 12;
constexpr int kDrumNote = 49;    // C-4: every drum sounds at the pitch it was made at
constexpr int kHighestNote = 96; // B-7

// Effect parameters.
constexpr uint8_t kRetrigEveryThirdTick = 0x03; // two hits a row at speed 6
constexpr uint8_t kMinorArpeggio = 0x37;        // minor third and fifth above the note
constexpr uint8_t kMajorArpeggio = 0x47;        // major third and fifth
constexpr uint8_t kSlideSpeed = 0x40;
constexpr uint8_t kLeadVibrato = 0x43; // speed 4, depth 3
constexpr uint8_t kPadPans[3] = {0x40, 0x80, 0xC0};
constexpr uint8_t kHarmonyPan = 0xC0;
constexpr uint8_t kEchoPan = 0xD0;

constexpr int kAccent = 10;   // volume an accented melody note gains
constexpr int kEchoDelay = 3; // rows

int parse_note(const std::string& s) {
    static const int steps[7] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    if (s.empty()) throw std::invalid_argument("a sign with no note");
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
    if (i + 1 != s.size() || !std::isdigit(static_cast<unsigned char>(s[i])))
        throw std::invalid_argument("bad note " + s);
    int octave = s[i] - '0';
    int note = octave * kOctave + pc + 1;
    if (note < 1 || note > kHighestNote) throw std::invalid_argument("note out of range " + s);
    return note;
}

} // namespace

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
            if (!w.empty() && w.back() == '!') {
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

void PatternBuilder::note(int row, int ch, int n, int ins, int vol) {
    xm::Cell& c = at(row, ch);
    c.note = uint8_t(n == xm::kKeyOff ? n : n + transpose);
    c.instrument = uint8_t(ins);
    c.volume = xm::vol_set(vol);
}

void PatternBuilder::drum(int row, int ch, int ins, int vol) {
    xm::Cell& c = at(row, ch);
    c.note = kDrumNote;
    c.instrument = uint8_t(ins);
    c.volume = xm::vol_set(vol);
}

void PatternBuilder::off(int row, int ch) {
    xm::Cell& c = at(row, ch);
    c = xm::Cell{};
    c.note = xm::kKeyOff;
}

void PatternBuilder::effect(int row, int ch, uint8_t type, uint8_t param) {
    at(row, ch).effect = type;
    at(row, ch).param = param;
}

// ---- drums ----------------------------------------------------------------

void PatternBuilder::kicks(int from, int to, int step, int vol) {
    for (int r = from; r < to; r += step)
        drum(r, kChKick, kKick, vol);
}

void PatternBuilder::snares(int from, int to, int vol) {
    for (int r = from; r < to; ++r)
        if (r % 8 == 4) drum(r, kChSnare, kSnare, vol);
}

void PatternBuilder::hats(bool busy, int from, int to, int scale) {
    for (int r = from; r < to; ++r) {
        if (r % 4 == 2)
            drum(r, kChHats, kOpenHat, 34 * scale / 100);
        else if (r % 4 == 0)
            drum(r, kChHats, kClosedHat, 30 * scale / 100);
        else if (busy)
            drum(r, kChHats, kClosedHat, (r % 2 ? 14 : 22) * scale / 100);
    }
}

void PatternBuilder::offbeat_hats(int from, int to, int vol) {
    for (int r = from; r < to; ++r)
        if (r % 4 == 2) drum(r, kChHats, kClosedHat, vol);
}

void PatternBuilder::roll(int from, int to, int v0, int v1) {
    for (int r = from; r < to; ++r) {
        if (r % 2 && r < to - 8) continue;
        int vol = v0 + (v1 - v0) * (r - from) / (to - from);
        drum(r, kChSnare, kSnare, vol);
        if (r >= to - 4) effect(r, kChSnare, xm::kRetrig, kRetrigEveryThirdTick);
    }
}

void PatternBuilder::fill() {
    const int rows[5] = {56, 59, 60, 62, 63};
    const int vols[5] = {44, 48, 54, 60, 64};
    for (int i = 0; i < 5; ++i)
        drum(rows[i], kChSnare, kSnare, vols[i]);
    drum(62, kChHats, kOpenHat, 40);
}

void PatternBuilder::crash(int row, int vol) {
    drum(row, kChPerc, kCrash, vol);
}

// ---- bass -----------------------------------------------------------------

// The root in octave 2 for C..E, in octave 1 above: the line stays between
// F-1 and E-2.
int PatternBuilder::bass_root(const Chord& c) {
    return (c.root <= 4 ? 24 : 12) + c.root + 1;
}

void PatternBuilder::bass_octaves(const Progression& prog) {
    for (int bar = 0; bar < 4; ++bar) {
        int root = bass_root(kChords[prog[bar]]);
        for (int r = 0; r < kBar; r += 2) {
            bool high = (r / 2) % 2 == 1;
            note(bar * kBar + r, kChBass, root + (high ? kOctave : 0), kBass, high ? 44 : 56);
        }
    }
}

void PatternBuilder::bass_offbeat(const Progression& prog) {
    for (int bar = 0; bar < 4; ++bar) {
        int root = bass_root(kChords[prog[bar]]);
        for (int r = 2; r < kBar; r += 4) {
            note(bar * kBar + r, kChBass, root, kBass, 58);
            note(bar * kBar + r + 1, kChBass, root + kOctave, kBass, 38);
            at(bar * kBar + r - 2, kChBass).volume = xm::vol_set(0); // silent on the beat
        }
    }
}

void PatternBuilder::bass_long(const Progression& prog, int vol) {
    for (int bar = 0; bar < 4; ++bar) {
        note(bar * kBar, kChBass, bass_root(kChords[prog[bar]]), kBass, vol);
        off(bar * kBar + 14, kChBass);
    }
}

// ---- pads -----------------------------------------------------------------

void PatternBuilder::pads(const Progression& prog, int vol, bool restart, int step) {
    for (int bar = 0; bar < 4; ++bar) {
        if (!restart && bar > 0 && prog[bar] == prog[bar - 1]) continue;
        for (int v = 0; v < 3; ++v) {
            note(bar * kBar, kChPad1 + v, kChords[prog[bar]].pad[v], kPad, vol + bar * step);
            effect(bar * kBar, kChPad1 + v, xm::kSetPanning, kPadPans[v]);
        }
    }
}

void PatternBuilder::pads_off(int row) {
    for (int v = 0; v < 3; ++v)
        off(row, kChPad1 + v);
}

void PatternBuilder::gate(int from, int to, int low, int high) {
    static const char pattern[] = "x.xx.xx.x.xxx.x.";
    for (int r = from; r < to; ++r)
        for (int v = 0; v < 3; ++v)
            at(r, kChPad1 + v).volume = xm::vol_set(pattern[r % 16] == 'x' ? high : low);
}

void PatternBuilder::pad_swell(int from, int to, int every, int amount) {
    for (int r = from; r < to; r += every)
        for (int v = 0; v < 3; ++v)
            if (!at(r, kChPad1 + v).note) at(r, kChPad1 + v).volume = xm::vol_fine_up(amount);
}

void PatternBuilder::swell(int row, int vol) {
    drum(row, kChPerc, kSwell, vol);
}

void PatternBuilder::arp(const Progression& prog, int vol, int from, int to) {
    for (int r = from; r < to; ++r) {
        const Chord& c = kChords[prog[r / kBar]];
        if (r % 4 == 0)
            note(r, kChArp, 5 * kOctave + c.root + 1, kChip, r % 8 == 0 ? vol : vol * 3 / 4);
        effect(r, kChArp, xm::kArpeggio, c.minor ? kMinorArpeggio : kMajorArpeggio);
    }
}

// ---- melodies -------------------------------------------------------------

void PatternBuilder::melody(const char* text, int ch, int ins, int vol) {
    std::vector<Token> t = parse_melody(text);
    for (size_t i = 0; i < t.size(); ++i) {
        int row = int(i) * 2;
        if (t[i].note < 0) {
            off(row, ch);
        } else if (t[i].note > 0) {
            note(row, ch, t[i].note, ins, t[i].accent ? vol + kAccent : vol);
            if (t[i].slide) {
                at(row, ch).instrument = 0;
                effect(row, ch, xm::kTonePorta, kSlideSpeed);
            }
            size_t len = 1;
            while (i + len < t.size() && t[i + len].note == 0)
                ++len;
            // Notes of three eighths or more: vibrato from a beat after they start.
            if (ins == kLead && len >= 3)
                for (int r = row + 4; r < row + int(len) * 2 && r < kRows; ++r)
                    effect(r, ch, xm::kVibrato, kLeadVibrato);
        }
    }
}

void PatternBuilder::harmony(const char* text, const Progression& prog, int vol) {
    constexpr int kMinorThird = 3, kMajorThird = 4, kFifth = 7;
    std::vector<Token> t = parse_melody(text);
    for (size_t i = 0; i < t.size(); ++i) {
        int row = int(i) * 2;
        if (t[i].note < 0) {
            off(row, kChEcho);
        } else if (t[i].note > 0) {
            const Chord& c = kChords[prog[row / kBar]];
            int third = c.minor ? kMinorThird : kMajorThird;
            int n = t[i].note - kMinorThird;
            for (;; --n) {
                int pc = ((n - 1) % kOctave - c.root + kOctave) % kOctave;
                if (pc == 0 || pc == third || pc == kFifth) break;
            }
            note(row, kChEcho, n, kLead, vol);
            effect(row, kChEcho, xm::kSetPanning, kHarmonyPan);
        }
    }
}

void PatternBuilder::place_echo(const char* text, int shift, int vol) {
    std::vector<Token> t = parse_melody(text);
    for (size_t i = 0; i < t.size(); ++i) {
        int row = int(i) * 2 + shift;
        if (row < 0 || row >= kRows || t[i].note == 0) continue;
        if (t[i].note < 0) {
            off(row, kChEcho);
            continue;
        }
        note(row, kChEcho, t[i].note, kLead, vol);
        effect(row, kChEcho, xm::kSetPanning, kEchoPan);
    }
}

void PatternBuilder::echo(const char* text, const char* tail, int vol) {
    if (tail) place_echo(tail, kEchoDelay - kRows, vol);
    place_echo(text, kEchoDelay, vol);
}

} // namespace music
