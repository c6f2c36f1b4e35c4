// The XM writer: field layout, pattern packing, delta-coded samples, tuning
// and the format limits it refuses, checked against our own unpacking and
// against libxmp as an independent reader.
#include "music/xm_writer.h"

#include <gtest/gtest.h>
#include <xmp.h>

#include <cmath>
#include <stdexcept>

namespace {

uint32_t u16(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8;
}
uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

// A two-pattern, three-channel module with one looped 16-bit sample.
xm::Module small_module() {
    xm::Module m;
    m.name = "test";
    m.channels = 3;
    m.speed = 5;
    m.bpm = 140;
    m.orders = {1, 0, 1};
    m.patterns.emplace_back(4, 3);
    m.patterns.emplace_back(2, 3);
    xm::Pattern& p = m.patterns[0];
    p.at(0, 0) = {49, 1, xm::vol_set(40), 0, 0};               // note, instrument, volume
    p.at(1, 1) = {61, 1, xm::vol_set(64), xm::kVibrato, 0x44}; // every field: unpacked
    p.at(2, 2) = {0, 0, 0, xm::kSync, 0};                      // W 0: type without parameter
    p.at(3, 0) = {xm::kKeyOff, 0, 0, 0, 0};
    p.at(3, 2) = {0, 0, 0, xm::kArpeggio, 0x37}; // parameter without type
    xm::Instrument ins;
    ins.name = "saw";
    xm::Sample s;
    for (int i = 0; i < 100; ++i)
        s.data.push_back(int16_t(i * 650 - 32000));
    s.data.push_back(32767);
    s.data.push_back(-32768);
    s.loop = xm::kForwardLoop;
    s.loop_start = 10;
    s.loop_length = 90;
    s.volume = 50;
    s.relative_note = -3;
    s.finetune = 17;
    ins.samples.push_back(s);
    ins.volume_envelope.points = {{0, 64}, {10, 32}, {20, 16}};
    ins.volume_envelope.sustain = 1;
    ins.fadeout = 1234;
    m.instruments.push_back(ins);
    return m;
}

// Unpacks one pattern's cells starting at its header.
std::vector<xm::Cell> unpack(const std::vector<uint8_t>& b, size_t at, int channels, size_t* end) {
    EXPECT_EQ(u32(b, at), 9u);
    int rows = int(u16(b, at + 5));
    size_t size = u16(b, at + 7), i = at + 9, stop = i + size;
    std::vector<xm::Cell> cells;
    while (i < stop) {
        xm::Cell c;
        uint8_t first = b[i++];
        if (first & 0x80) {
            if (first & 1) c.note = b[i++];
            if (first & 2) c.instrument = b[i++];
            if (first & 4) c.volume = b[i++];
            if (first & 8) c.effect = b[i++];
            if (first & 16) c.param = b[i++];
        } else {
            c = {first, b[i], b[i + 1], b[i + 2], b[i + 3]};
            i += 4;
        }
        cells.push_back(c);
    }
    EXPECT_EQ(i, stop);
    EXPECT_EQ(cells.size(), size_t(rows * channels));
    *end = stop;
    return cells;
}

bool same(const xm::Cell& a, const xm::Cell& b) {
    return a.note == b.note && a.instrument == b.instrument && a.volume == b.volume &&
           a.effect == b.effect && a.param == b.param;
}

TEST(XmWriter, HeaderPatternsInstrumentAndSampleBytes) {
    xm::Module m = small_module();
    std::vector<uint8_t> b = xm::write_xm(m);
    ASSERT_GT(b.size(), 336u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 17), "Extended Module: ");
    EXPECT_EQ(std::string(b.begin() + 17, b.begin() + 21), "test");
    EXPECT_EQ(b[37], 0x1A);
    EXPECT_EQ(u16(b, 58), 0x0104u);
    EXPECT_EQ(u32(b, 60), 276u);
    EXPECT_EQ(u16(b, 64), 3u); // song length
    EXPECT_EQ(u16(b, 68), 3u); // channels
    EXPECT_EQ(u16(b, 70), 2u); // patterns
    EXPECT_EQ(u16(b, 72), 1u); // instruments
    EXPECT_EQ(u16(b, 74), 1u); // linear frequencies
    EXPECT_EQ(u16(b, 76), 5u); // speed
    EXPECT_EQ(u16(b, 78), 140u);
    EXPECT_EQ(b[80], 1);
    EXPECT_EQ(b[81], 0);
    EXPECT_EQ(b[82], 1);

    size_t at = 336, end = 0;
    for (const xm::Pattern& p : m.patterns) {
        std::vector<xm::Cell> cells = unpack(b, at, 3, &end);
        ASSERT_EQ(cells.size(), p.cells.size());
        for (size_t i = 0; i < cells.size(); ++i)
            EXPECT_TRUE(same(cells[i], p.cells[i])) << "cell " << i;
        at = end;
    }
    // Instrument header, then the sample header, then the sample data.
    EXPECT_EQ(u32(b, at), 263u);
    EXPECT_EQ(u16(b, at + 27), 1u);
    EXPECT_EQ(b[at + 225], 3);          // volume envelope points
    EXPECT_EQ(b[at + 227], 1);          // sustain point
    EXPECT_EQ(b[at + 233], 1 | 2);      // envelope on, with sustain
    EXPECT_EQ(u16(b, at + 239), 1234u); // fade-out
    size_t sh = at + 263;
    const xm::Sample& s = m.instruments[0].samples[0];
    EXPECT_EQ(u32(b, sh), s.data.size() * 2);
    EXPECT_EQ(u32(b, sh + 4), 20u);
    EXPECT_EQ(u32(b, sh + 8), 180u);
    EXPECT_EQ(b[sh + 12], 50);
    EXPECT_EQ(int8_t(b[sh + 13]), 17);
    EXPECT_EQ(b[sh + 14], 0x11); // 16-bit, forward loop
    EXPECT_EQ(int8_t(b[sh + 16]), -3);
    size_t data = sh + 40;
    ASSERT_EQ(b.size(), data + s.data.size() * 2);
    int16_t value = 0;
    for (size_t i = 0; i < s.data.size(); ++i) {
        value = int16_t(value + int16_t(u16(b, data + 2 * i)));
        ASSERT_EQ(value, s.data[i]) << "frame " << i;
    }
}

TEST(XmWriter, LibxmpReadsWhatWeWrote) {
    std::vector<uint8_t> b = xm::write_xm(small_module());
    xmp_context ctx = xmp_create_context();
    ASSERT_EQ(xmp_load_module_from_memory(ctx, b.data(), long(b.size())), 0);
    xmp_module_info mi;
    xmp_get_module_info(ctx, &mi);
    const xmp_module* mod = mi.mod;
    EXPECT_EQ(mod->chn, 3);
    ASSERT_GE(mod->pat, 2); // libxmp may add an empty pattern of its own
    EXPECT_EQ(mod->xxp[0]->rows, 4);
    EXPECT_EQ(mod->xxp[1]->rows, 2);
    EXPECT_EQ(mod->len, 3);
    EXPECT_EQ(mod->spd, 5);
    EXPECT_EQ(mod->bpm, 140);
    ASSERT_EQ(mod->smp, 1);
    EXPECT_EQ(mod->xxs[0].len, 102);
    EXPECT_EQ(mod->xxs[0].lps, 10);
    EXPECT_EQ(mod->xxs[0].lpe, 100);
    EXPECT_TRUE(mod->xxs[0].flg & XMP_SAMPLE_16BIT);
    EXPECT_TRUE(mod->xxs[0].flg & XMP_SAMPLE_LOOP);
    EXPECT_EQ(mod->xxi[0].aei.npt, 3);
    EXPECT_EQ(mod->xxi[0].sub[0].xpo, -3);
    EXPECT_EQ(mod->xxi[0].sub[0].fin, 17);
    // Pattern 0, row 1, channel 1: note C-5 with vibrato.
    const xmp_event& e = mod->xxt[mod->xxp[0]->index[1]]->event[1];
    EXPECT_EQ(e.note, 61 + 12); // libxmp counts notes from one octave lower
    EXPECT_EQ(e.fxt, 4);
    EXPECT_EQ(e.fxp, 0x44);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
}

TEST(XmWriter, TuningPutsTheRecordedPitchOnC4) {
    xm::Tuning t = xm::tuning_for_rate(8363.0);
    EXPECT_EQ(t.relative_note, 0);
    EXPECT_EQ(t.finetune, 0);
    t = xm::tuning_for_rate(16726.0);
    EXPECT_EQ(t.relative_note, 12);
    EXPECT_EQ(t.finetune, 0);
    t = xm::tuning_for_rate(8363.0 / 4);
    EXPECT_EQ(t.relative_note, -24);
    EXPECT_EQ(t.finetune, 0);
    for (double rate : {44100.0, 22050.0, 33488.0, 5000.0, 66977.0}) {
        t = xm::tuning_for_rate(rate);
        double semis = 12.0 * std::log2(rate / 8363.0);
        EXPECT_NEAR(t.relative_note + t.finetune / 128.0, semis, 1.0 / 256 + 1e-9) << rate;
        EXPECT_GE(t.finetune, -64);
        EXPECT_LE(t.finetune, 64);
    }
}

TEST(XmWriter, RefusesModulesThatBreakTheFormat) {
    auto refuses = [](auto change) {
        xm::Module m = small_module();
        change(m);
        EXPECT_THROW(xm::write_xm(m), std::invalid_argument);
    };
    refuses([](xm::Module& m) { m.orders.push_back(2); });
    refuses([](xm::Module& m) { m.orders.clear(); });
    refuses([](xm::Module& m) { m.patterns.emplace_back(4, 2); });
    refuses([](xm::Module& m) { m.patterns.emplace_back(257, 3); });
    refuses([](xm::Module& m) { m.instruments[0].samples[0].loop_length = 93; });
    refuses([](xm::Module& m) {
        auto& points = m.instruments[0].volume_envelope.points;
        for (uint16_t x = 30; points.size() < 13; x += 10)
            points.push_back({x, 8});
    });
    refuses([](xm::Module& m) { m.instruments[0].volume_envelope.points[2].x = 10; });
    refuses([](xm::Module& m) { m.instruments[0].volume_envelope.sustain = 3; });
    refuses([](xm::Module& m) { m.instruments[0].volume_envelope.points[0].x = 2; });
    refuses([](xm::Module& m) { m.instruments[0].fadeout = 0x1000; });
    refuses([](xm::Module& m) { m.instruments[0].sample_of_note[40] = 1; });
    refuses([](xm::Module& m) { m.patterns[0].at(0, 0).note = 98; });
    refuses([](xm::Module& m) { m.restart = 3; });
}

} // namespace
