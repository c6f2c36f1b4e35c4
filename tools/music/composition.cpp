// The score of vorn.xm: the song's chords, melodies and sections, one
// function per scene of the show, each writing its patterns and the sync
// commands the scene waits for. The lines a section lays into a pattern
// (drums, bass, pads, melodies) are in pattern_builder.h.
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
#include "music/pattern_builder.h"

#include <algorithm>
#include <stdexcept>

namespace music {
namespace {

// ---- harmony and melodies -------------------------------------------------

const Progression kVerse = {Am, F, C, G};
const Progression kChorus = {F, G, Em, Am};
const Progression kBreak = {Dm, Am, F, E};
const Progression kEnding = {Am, F, Am, Am};

// In the notation of pattern_builder.h: one token per eighth note.
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

// ---- sync values ----------------------------------------------------------
// 0..30 start that scene, 31 ends the show, and from 32 on each value raises
// a flag (32 flag 1, 33 flag 2, ...); flags 4 to 6 do what the scene that
// receives them makes of them.

constexpr uint8_t kEndOfShow = 31;
constexpr uint8_t kFirstFlag = 32;
constexpr uint8_t flag(int n) {
    return uint8_t(kFirstFlag + n - 1);
}

constexpr uint8_t kWhiteFlash = flag(1);
constexpr uint8_t kLightsClimb = flag(3);
constexpr uint8_t kLightsOn = flag(4);      // scene 0
constexpr uint8_t kJitterObject = flag(4);  // scene 1: the small mapped object shakes
constexpr uint8_t kSwitchPicture = flag(4); // scene 2: the wobbling picture
constexpr uint8_t kShowGrid = flag(4);      // scene 5: the grid gets its faces
constexpr uint8_t kOverlay = flag(5);       // scenes 1 and 2: the overlay picture
constexpr uint8_t kPictureFlash = flag(5);  // scene 6
constexpr uint8_t kSwapObjects = flag(6);   // scene 1
constexpr uint8_t kNextGreeting = flag(6);  // scene 2

// ---- the timeline and the song --------------------------------------------

struct Score {
    Song song;
    int scene = 0;

    PatternBuilder next(int transpose = 0) {
        xm::Module& m = song.module;
        m.patterns.emplace_back(kRows, kChannelCount);
        m.orders.push_back(uint8_t(m.patterns.size() - 1));
        return PatternBuilder{m.patterns.back(), transpose};
    }
    int order() const { return int(song.module.orders.size()) - 1; }
    void sync(int row, uint8_t value) {
        xm::Pattern& p = song.module.patterns.back();
        xm::Cell& c = p.at(row, kChSync);
        if (c.effect) throw std::logic_error("two sync commands on one row");
        c.effect = xm::kSync;
        c.param = value;
        if (value < kFirstFlag) scene = value;
        song.sync.push_back({order(), row, value, scene});
    }
    // The scene's number on the first row of the current pattern.
    void start_scene(int number) { sync(0, uint8_t(number)); }
};

void set_up_module(xm::Module& m) {
    constexpr int kTicksPerRow = 6;
    constexpr int kBeatsPerMinute = 125;
    m.name = "vorn";
    m.tracker = "vorn-gen";
    m.channels = kChannelCount;
    m.speed = kTicksPerRow;
    m.bpm = kBeatsPerMinute;
    m.instruments = make_instruments();
}

// Scene 0: the lights wait in the dark for the beat.
void write_intro(Score& s) {
    {
        PatternBuilder b = s.next();
        s.start_scene(0);
        b.pads(kVerse, 18, true, 6);
        b.pad_swell(4, 64, 4, 1);
        b.melody(kOutroBell, kChPerc, kBell, 30);
    }
    {
        PatternBuilder b = s.next();
        s.sync(0, kLightsOn); // the beat starts
        b.kicks();
        b.offbeat_hats();
        b.bass_long(kVerse);
        b.pads(kVerse, 40);
        b.arp(kVerse, 18, 32);
    }
    {
        PatternBuilder b = s.next();
        // the roll: the lights climb to white; 14 rows (1.68 s) before the cut, so
        // the climb (1.71 s) is still rising when the scene ends
        s.sync(50, kLightsClimb);
        b.kicks(0, 48);
        b.snares(0, 48, 44);
        b.hats(false, 0, 48);
        b.bass_octaves(kVerse);
        b.pads(kVerse, 42);
        b.arp(kVerse, 24);
        b.roll(48, 64, 20, 64);
        b.swell(48);
    }
}

// Scene 1: the verse, melody in call and answer.
void write_verse(Score& s) {
    const char* verse[4] = {kVerseA, kVerseB, kVerseA2, kVerseB2};
    for (int i = 0; i < 4; ++i) {
        PatternBuilder b = s.next();
        if (i == 0) {
            s.start_scene(1);
            s.sync(1, kWhiteFlash);
        }
        if (i == 2) s.sync(0, kWhiteFlash);
        if (i == 1 || i == 3) s.sync(0, kSwapObjects);
        if (i == 1)
            for (int r : {12, 28, 44, 60})
                s.sync(r, kJitterObject); // on the snares
        if (i == 2)
            for (int r : {12, 44})
                s.sync(r, kJitterObject);
        s.sync(i == 1 ? 56 : i == 3 ? 48 : 60, kOverlay); // on the accent
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
}

// Scene 2: the chorus; a greeting every second bar.
void write_chorus(Score& s) {
    const char* chorus[4] = {kChorusA, kChorusB, kChorusA, kChorusC};
    for (int i = 0; i < 4; ++i) {
        PatternBuilder b = s.next();
        if (i == 0) {
            s.start_scene(2);
            s.sync(1, kWhiteFlash);
        } else if (i == 2) {
            s.sync(0, kWhiteFlash);
        } else {
            s.sync(0, kSwitchPicture);
        }
        s.sync(16, kNextGreeting);
        s.sync(28, kOverlay); // on the snare
        s.sync(48, kNextGreeting);
        // the last pattern stops the drums for its final half-bar
        int drums_end = i == 3 ? 56 : kRows;
        b.kicks(0, drums_end);
        b.snares(0, drums_end);
        b.hats(true, 0, drums_end);
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
}

// Scene 3: the break: bells over a darker progression, then the build.
void write_break(Score& s) {
    {
        PatternBuilder b = s.next();
        s.start_scene(3);
        s.sync(1, kWhiteFlash);
        b.pads(kBreak, 34);
        b.bass_long(kBreak, 36);
        b.melody(kBreakBell, kChPerc, kBell, 44);
    }
    {
        PatternBuilder b = s.next();
        for (int bar = 0; bar < 4; ++bar) { // half time
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
        PatternBuilder b = s.next();
        s.sync(0, kWhiteFlash);
        b.kicks(0, 48);
        b.kicks(48, 64, 2, 64);
        b.roll(0, 64, 12, 64);
        b.swell(48, 50);
        b.hats(true, 0, kRows, 80);
        b.pads(kBreak, 40);
        b.bass_octaves(kBreak);
        b.arp(kBreak, 22, 0, 48);
        b.off(48, kChArp);
        // the lead climbs from E-4 through the last bar into the drop
        constexpr int kE4 = 53;
        constexpr uint8_t kClimbSpeed = 0x02;
        b.note(48, kChLead, kE4, kLead, 34);
        for (int r = 48; r < 64; ++r)
            b.effect(r, kChLead, xm::kPortaUp, kClimbSpeed);
    }
}

// Scene 4: the drop, the chorus with everything.
void write_drop(Score& s) {
    for (int i = 0; i < 3; ++i) {
        PatternBuilder b = s.next();
        if (i == 0) {
            s.start_scene(4);
            s.sync(1, kWhiteFlash);
        } else if (i == 2) {
            s.sync(0, kWhiteFlash);
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
}

// Scene 5: the scroller over a calmer verse; bells first, then the lead.
void write_calm_verse(Score& s) {
    const char* calm[4] = {kVerseA, kVerseC, kVerseD, kVerseB2};
    for (int i = 0; i < 4; ++i) {
        PatternBuilder b = s.next();
        if (i == 0) {
            s.start_scene(5);
            s.sync(1, kWhiteFlash);
            s.sync(32, kShowGrid);
        }
        if (i == 2) s.sync(0, kWhiteFlash);
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
}

// Scene 6: the last chorus, in two voices from its second pattern, lifted a
// whole tone halfway.
void write_last_chorus(Score& s) {
    constexpr int kWholeTone = 2;
    const char* last[4] = {kChorusA, kChorusC, kChorusB, kChorusC};
    for (int i = 0; i < 4; ++i) {
        PatternBuilder b = s.next(i >= 2 ? kWholeTone : 0);
        if (i == 0) {
            s.start_scene(6);
            s.sync(1, kWhiteFlash);
        }
        if (i == 2) s.sync(0, kWhiteFlash);
        for (int r = 48; r < 64; r += 4)
            s.sync(r, kPictureFlash); // on the beats
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
}

// Scene 7: the lights again while the music winds down.
void write_outro(Score& s) {
    {
        PatternBuilder b = s.next();
        s.start_scene(7);
        b.kicks(0, 64, 4, 56);
        b.hats(false, 0, kRows, 80);
        b.bass_long(kVerse, 48);
        b.pads(kVerse, 38);
        b.melody(kOutroBell, kChPerc, kBell, 40);
        b.crash(0, 50);
    }
    {
        PatternBuilder b = s.next();
        b.offbeat_hats(0, kRows, 22);
        b.pads(kVerse, 34);
        b.arp(kVerse, 14);
        b.melody(kOutroBell, kChPerc, kBell, 32);
    }
    {
        PatternBuilder b = s.next();
        b.pads(kEnding, 34, false);
        b.pads_off(40);
        b.note(0, kChBass, PatternBuilder::bass_root(kChords[Am]), kBass, 44);
        b.off(32, kChBass);
        b.melody(kEndBell, kChPerc, kBell, 30);
        s.sync(63, kEndOfShow);
    }
}

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

void sort_by_position(std::vector<SyncPoint>& sync) {
    std::stable_sort(sync.begin(), sync.end(), [](const SyncPoint& a, const SyncPoint& b) {
        return a.order != b.order ? a.order < b.order : a.row < b.row;
    });
}

} // namespace

Song compose() {
    Score s;
    set_up_module(s.song.module);
    write_intro(s);
    write_verse(s);
    write_chorus(s);
    write_break(s);
    write_drop(s);
    write_calm_verse(s);
    write_last_chorus(s);
    write_outro(s);
    release_idle_channels(s.song.module);
    sort_by_position(s.song.sync);
    return s.song;
}

double sync_time(const xm::Module& m, int order, int row) {
    constexpr double kTickSecondsTimesBpm = 2.5; // a tick lasts 2.5 / BPM seconds
    double row_seconds = m.speed * kTickSecondsTimesBpm / m.bpm;
    int rows = 0;
    for (int o = 0; o < order; ++o)
        rows += m.patterns[m.orders[o]].rows;
    return (rows + row) * row_seconds;
}

std::string sync_meaning(uint8_t value, int scene) {
    if (value == kEndOfShow) return "end of the show";
    if (value < kFirstFlag) return "scene " + std::to_string(value);
    switch (value) {
    case kWhiteFlash:
        return "flag 1: white flash";
    case kLightsClimb:
        return "flag 3: lights climb to white";
    case flag(4):
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
    case flag(5):
        switch (scene) {
        case 1:
        case 2:
            return "flag 5: overlay picture";
        case 6:
            return "flag 5: picture flash";
        }
        break;
    case flag(6):
        switch (scene) {
        case 1:
            return "flag 6: swap the objects";
        case 2:
            return "flag 6: next greeting";
        }
        break;
    }
    return "flag " + std::to_string(value - kFirstFlag + 1) + " (unused here)";
}

} // namespace music
