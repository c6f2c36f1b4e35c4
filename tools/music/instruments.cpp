// Building the instrument set from the synthesised sounds. Envelope x values
// are ticks (50 per second at 125 BPM), y values 0..64; fade-out is the part
// of full volume lost per tick after a key-off, in 1/65536.
#include "music/instruments.h"

#include "music/synth.h"

namespace music {
namespace {

xm::Instrument instrument(const char* name, const Sound& sound, uint8_t volume, uint8_t panning,
                          double peak = 0.97) {
    xm::Instrument ins;
    ins.name = name;
    xm::Sample s;
    s.name = name;
    s.data = to_pcm16(sound.frames, peak);
    if (sound.loop_length) {
        s.loop = xm::kForwardLoop;
        s.loop_start = sound.loop_start;
        s.loop_length = sound.loop_length;
    }
    xm::Tuning t = xm::tuning_for_rate(sound.rate);
    s.relative_note = t.relative_note;
    s.finetune = t.finetune;
    s.volume = volume;
    s.panning = panning;
    ins.samples.push_back(std::move(s));
    return ins; // every note maps to sample 0
}

xm::Envelope envelope(std::vector<xm::EnvelopePoint> points, int sustain) {
    xm::Envelope e;
    e.points = std::move(points);
    e.sustain = sustain;
    return e;
}

} // namespace

std::vector<xm::Instrument> make_instruments() {
    std::vector<xm::Instrument> set;
    // The drums carry their decay in the sample; their envelopes only shape
    // the tails (the open hat is shortened, the crash dies away sooner).
    auto one_shot = [&](const char* name, const Sound& sound, uint8_t volume, uint8_t panning,
                        std::vector<xm::EnvelopePoint> points) {
        xm::Instrument ins = instrument(name, sound, volume, panning);
        ins.volume_envelope = envelope(std::move(points), -1);
        ins.fadeout = 2048;
        set.push_back(ins);
    };
    one_shot("kick", make_kick(), 64, 128, {{0, 64}, {16, 64}, {22, 0}});
    one_shot("snare", make_snare(), 56, 120, {{0, 64}, {10, 60}, {18, 0}});
    one_shot("closed hat", make_closed_hat(), 40, 168, {{0, 64}, {4, 48}, {7, 0}});
    one_shot("open hat", make_open_hat(), 36, 88, {{0, 64}, {6, 52}, {18, 24}, {28, 0}});
    one_shot("crash", make_crash(), 40, 140, {{0, 64}, {30, 48}, {100, 20}, {130, 0}});

    xm::Instrument bass = instrument("bass", make_bass(), 56, 128, 0.72);
    bass.volume_envelope = envelope({{0, 64}, {8, 54}, {30, 44}}, 2);
    bass.fadeout = 4000;
    set.push_back(bass);

    xm::Instrument pad = instrument("pad", make_pad(), 40, 128);
    pad.volume_envelope = envelope({{0, 0}, {3, 36}, {30, 56}, {80, 64}, {160, 52}}, 4);
    pad.fadeout = 700;
    set.push_back(pad);

    xm::Instrument lead = instrument("lead", make_lead(), 48, 112);
    lead.volume_envelope = envelope({{0, 64}, {12, 54}, {60, 46}}, 2);
    lead.fadeout = 1800;
    lead.vibrato_type = 0;
    lead.vibrato_sweep = 48;
    lead.vibrato_depth = 3;
    lead.vibrato_rate = 20;
    set.push_back(lead);

    xm::Instrument chip = instrument("chip", make_chip(), 36, 80);
    chip.volume_envelope = envelope({{0, 64}, {4, 44}, {14, 30}, {40, 18}}, 3);
    chip.fadeout = 4000;
    set.push_back(chip);

    one_shot("bell", make_bell(), 44, 150, {{0, 64}, {40, 44}, {100, 12}, {110, 0}});
    // 16 rows long: struck 16 rows before a downbeat, it peaks on it
    one_shot("swell", make_swell(16 * 0.12), 40, 128, {{0, 40}, {60, 56}, {96, 64}});
    return set;
}

} // namespace music
