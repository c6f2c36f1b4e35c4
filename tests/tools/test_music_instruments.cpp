// The synthesised instruments: loops that join without a click, one-shot
// sounds that end in silence, and tonal instruments that sound at the note
// they are played at when libxmp plays them.
#include "music/instruments.h"
#include "music/xm_writer.h"

#include <gtest/gtest.h>
#include <xmp.h>

#include <cmath>
#include <cstdlib>

namespace {

const std::vector<xm::Instrument>& instruments() {
    static const std::vector<xm::Instrument> set = music::make_instruments();
    return set;
}

TEST(Instruments, LoopsJoinWithoutAStepAndOneShotsEndInSilence) {
    ASSERT_EQ(instruments().size(), size_t(music::kInstrumentCount));
    for (const xm::Instrument& ins : instruments()) {
        ASSERT_EQ(ins.samples.size(), 1u) << ins.name;
        const xm::Sample& s = ins.samples[0];
        ASSERT_FALSE(s.data.empty()) << ins.name;
        if (s.loop == xm::kNoLoop) {
            EXPECT_LT(std::abs(s.data.back()), 328) << ins.name << " ends on a step";
            continue;
        }
        ASSERT_LE(s.loop_start + s.loop_length, s.data.size()) << ins.name;
        // The jump from the loop's last frame back to its first may be no
        // larger than the largest step between neighbours inside the loop.
        int largest = 0;
        for (uint32_t i = s.loop_start + 1; i < s.loop_start + s.loop_length; ++i)
            largest = std::max(largest, std::abs(s.data[i] - s.data[i - 1]));
        int wrap = std::abs(s.data[s.loop_start] - s.data[s.loop_start + s.loop_length - 1]);
        EXPECT_LE(wrap, largest) << ins.name << " clicks at its loop";
    }
}

// Plays `note` on one instrument through libxmp and returns the strongest
// period between 1/900 and 1/200 s (autocorrelation of the left channel).
double played_frequency(int instrument, int note) {
    xm::Module m;
    m.channels = 1;
    m.orders = {0};
    m.patterns.emplace_back(16, 1);
    m.patterns[0].at(0, 0) = {uint8_t(note), uint8_t(instrument), xm::vol_set(64), 0, 0};
    m.instruments = instruments();
    std::vector<uint8_t> bytes = xm::write_xm(m);
    xmp_context ctx = xmp_create_context();
    EXPECT_EQ(xmp_load_module_from_memory(ctx, bytes.data(), long(bytes.size())), 0);
    const int rate = 44100;
    xmp_start_player(ctx, rate, 0);
    std::vector<double> left;
    xmp_frame_info fi;
    while (left.size() < size_t(rate) && xmp_play_frame(ctx) == 0) {
        xmp_get_frame_info(ctx, &fi);
        const int16_t* p = static_cast<const int16_t*>(fi.buffer);
        for (int i = 0; i < fi.buffer_size / 4; ++i)
            left.push_back(p[2 * i]);
    }
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    // Skip the attack; correlate a steady stretch.
    const size_t from = rate / 2, length = 8192;
    if (left.size() < from + length + rate / 200 + 1) return 0.0;
    auto corr = [&](int lag) {
        double c = 0.0;
        for (size_t i = from; i < from + length; ++i)
            c += left[i] * left[i + lag];
        return c;
    };
    // The shortest lag that correlates nearly as well as the best one: the
    // period itself rather than a multiple of it.
    const int low = rate / 900, high = rate / 200;
    std::vector<double> c(high + 2, 0.0);
    double best = 0.0;
    for (int lag = low - 1; lag <= high + 1; ++lag)
        best = std::max(best, c[lag] = corr(lag));
    int best_lag = 0;
    for (int lag = low; lag <= high && !best_lag; ++lag)
        if (c[lag] >= 0.8 * best && c[lag] >= c[lag - 1] && c[lag] >= c[lag + 1]) best_lag = lag;
    if (!best_lag) return 0.0;
    // Refine between neighbouring lags with a parabola.
    double before = c[best_lag - 1], at = c[best_lag], after = c[best_lag + 1];
    double shift = (before - after) / (2.0 * (before - 2.0 * at + after));
    return rate / (best_lag + shift);
}

TEST(Instruments, TonalInstrumentsSoundAtTheNotePlayed) {
    const int a4 = 58; // 440 Hz when C-4 is 261.63 Hz
    for (int ins : {music::kBass, music::kPad, music::kLead, music::kChip}) {
        double f = played_frequency(ins, a4);
        EXPECT_NEAR(f, 440.0, 440.0 * 0.006) << instruments()[ins - 1].name;
    }
    EXPECT_NEAR(played_frequency(music::kBass, a4 - 12), 220.0, 220.0 * 0.006);
}

} // namespace
