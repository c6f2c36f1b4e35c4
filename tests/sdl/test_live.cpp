// The live show's timing pieces with fake clocks: sync values applied when
// their sample is heard, where the frame goes in the output, and frame
// pacing where presents return at once.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/sync.h"
#include "scenes/scenes.h"

#include "music/heard_sample.h"
#include "music/music_timeline.h"
#include "music/sync_queue.h"
#include "music/xmp_player.h"
#include "scenes/consumed_flags.h"
#include "sdl/frame_layout.h"
#include "show/frame_pacer.h"
#include "xm_builder.h"

namespace {

constexpr uint8_t W = 0x20;

// Order 0 jumps to order 2 in its second row (order 1 never plays); order 2
// ends the song, which loops to order 0. Every row carries a marker.
std::vector<uint8_t> jumping_module() {
    XmTestModule m;
    m.orders = {0, 1, 2};
    for (int p = 0; p < 3; ++p) {
        m.add_pattern(4);
        for (int r = 0; r < 4; ++r)
            m.cell(p, r, 3) = {0, 0, 0, W, static_cast<uint8_t>(32 + p * 4 + r)};
    }
    m.cell(0, 1, 2) = {0, 0, 0, 0x0B, 2}; // B02: the next row is order 2's first
    return m.bytes();
}

struct Delivered {
    TimedSync event;
    int64_t at_us;
};

} // namespace

// A fake device that plays continuously at 44.1 kHz with one 1024-frame
// buffer of latency: sample s is heard at (s + 1024) / 44100 s. Its callbacks
// come on time, or late (the device had more queued than the callback
// knows), never early.
TEST(HeardSync, EventsApplyWhenHeardNeverEarlyNeverLostNeverTwice) {
    constexpr int kRate = 44100, kBuffer = 1024;
    struct Case {
        const char* name;
        std::vector<int64_t> late_us; // per callback, repeating
        int64_t tolerance_us;
    };
    const Case cases[] = {
        {"regular callbacks", {0}, 1000},
        {"jittery callbacks", {0, 3000, 500, 0, 9000, 0, 0, 12000}, 12000 + 1000},
    };
    const std::vector<uint8_t> module = jumping_module();
    // Every row's values as the player meets them, over the same stretch.
    std::vector<TimedSync> expected;
    {
        XmpPlayer player;
        SyncQueue q;
        player.set_sync_queue(&q);
        ASSERT_TRUE(player.load(module));
        ASSERT_TRUE(player.start(kRate));
        while (player.play_tick() && player.tick_start() < 3 * kRate) {
        }
        int64_t s;
        while (q.next_sample(s) && s < 3 * kRate)
            q.deliver_due(s, [&](uint8_t v) { expected.push_back({s, v}); });
    }
    // The jump skips order 1 (markers 36..39); the loop brings order 0 back.
    ASSERT_GT(expected.size(), 12u);
    for (const TimedSync& e : expected)
        EXPECT_TRUE(e.value < 36 || e.value > 39) << int(e.value);
    EXPECT_EQ(expected[6].value, 32);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XmpPlayer player;
        SyncQueue q;
        HeardSample heard(kRate, kBuffer);
        player.set_sync_queue(&q);
        ASSERT_TRUE(player.load(module));
        ASSERT_TRUE(player.start(kRate));
        int64_t handed = 0;
        size_t pending = 0, callbacks = 0;
        auto next_callback_us = [&] {
            return (static_cast<int64_t>(callbacks) * kBuffer * 1000000 + kRate - 1) / kRate +
                   c.late_us[callbacks % c.late_us.size()];
        };
        std::vector<Delivered> got;
        for (int64_t t = 0; t < 3000000; t += 100) {
            while (next_callback_us() <= t) { // the audio thread hands over a buffer
                heard.on_callback(next_callback_us(), handed);
                for (size_t n = kBuffer; n > 0;) {
                    if (pending >= player.sample_frames()) {
                        pending = 0;
                        ASSERT_TRUE(player.play_tick());
                    }
                    const size_t k = std::min(n, player.sample_frames() - pending);
                    pending += k, n -= k, handed += static_cast<int64_t>(k);
                }
                ++callbacks;
            }
            const int64_t now = heard.heard(t);
            int64_t s;
            while (q.next_sample(s) && s <= now)
                q.deliver_due(s, [&](uint8_t v) { got.push_back({{s, v}, t}); });
        }
        ASSERT_GE(got.size(), expected.size() - 2);
        ASSERT_LE(got.size(), expected.size());
        for (size_t i = 0; i < got.size() && i < expected.size(); ++i) {
            EXPECT_EQ(got[i].event.sample, expected[i].sample) << "#" << i;
            EXPECT_EQ(got[i].event.value, expected[i].value) << "#" << i;
            const int64_t heard_at_us =
                ((got[i].event.sample + kBuffer) * 1000000 + kRate - 1) / kRate;
            EXPECT_GE(got[i].at_us, heard_at_us) << "#" << i << " early";
            EXPECT_LE(got[i].at_us - heard_at_us, c.tolerance_us) << "#" << i;
        }
    }
    HeardSample silent(kRate, kBuffer);
    EXPECT_EQ(silent.heard(5000000), -1); // nothing before the device's first call
}

// --start ORDER begins from sync_state_at_order: for every order position of
// the show's music it must equal the live state that playing from the start
// reaches there (rows through the queue, each scene clearing the flags it
// consumes at its next frame).
TEST(StartAnywhere, StateAtEachOrderIsWhatTheWholeShowReachesThere) {
    std::ifstream f(std::string(VORN_TEST_DATA_DIR) + "/vorn.xm", std::ios::binary);
    const std::vector<uint8_t> module{std::istreambuf_iterator<char>(f),
                                      std::istreambuf_iterator<char>()};
    XmpPlayer player;
    SyncQueue q;
    player.set_sync_queue(&q);
    ASSERT_TRUE(player.load(module));
    ASSERT_TRUE(player.start(44100));
    sync_reset();
    int checked = 0;
    for (int order = 0; player.play_tick() && player.info().loop_count == 0;) {
        if (player.info().pos == order && player.info().frame == 0) {
            const std::optional<SyncSnapshot> expected =
                sync_state_at_order(module, order, scene_consumed_flags);
            ASSERT_TRUE(expected) << "order " << order;
            for (int i = 0; i <= kSyncFlagCount; ++i)
                EXPECT_EQ(sync_state.bytes[i].load(), expected->bytes[i])
                    << "order " << order << " byte " << i;
            ++order, ++checked;
        }
        q.deliver_due(player.tick_start(), sync_callback);
        for (int k = 1; k <= kSyncFlagCount; ++k)
            if (scene_consumed_flags(sync_scene()) & (1u << k)) clear_sync_flag(k);
        if (sync_scene() == kSceneEnd) break;
    }
    EXPECT_GT(checked, 20);
    sync_reset();
}

TEST(FrameLayout, FourThreeAndIntegerFitsForManyOutputs) {
    struct Case {
        int w, h;
        FrameRect fit, whole;
    };
    const Case cases[] = {
        {960, 720, {0, 0, 960, 720}, {0, 0, 960, 720}},
        {1920, 1080, {240, 0, 1440, 1080}, {320, 60, 1280, 960}},
        {2880, 1800, {240, 0, 2400, 1800}, {320, 60, 2240, 1680}}, // high DPI: pixels, not points
        {1000, 700, {33, 0, 933, 700}, {180, 110, 640, 480}},
        {720, 1280, {0, 370, 720, 540}, {40, 400, 640, 480}},
        {641, 481, {0, 0, 641, 480}, {0, 0, 640, 480}},
        {321, 239, {1, 0, 318, 239}, {1, 0, 318, 239}}, // too small for 1x: 4:3 instead
        {200, 100, {33, 0, 133, 100}, {33, 0, 133, 100}},
        {0, 0, {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases)
        for (bool integer : {false, true}) {
            const FrameRect r = frame_layout(c.w, c.h, integer);
            const FrameRect& e = integer ? c.whole : c.fit;
            EXPECT_TRUE(r.x == e.x && r.y == e.y && r.w == e.w && r.h == e.h)
                << c.w << "x" << c.h << (integer ? " integer" : " 4:3") << ": got " << r.x << ","
                << r.y << " " << r.w << "x" << r.h;
        }
}

TEST(FrameLayout, WindowScaleShrinksToTheUsableArea) {
    const struct {
        int scale, w, h, fits;
    } cases[] = {
        {10, 1280, 1024, 4}, {10, 1280, 1000, 4}, {3, 1920, 1080, 3}, {5, 1920, 1080, 4},
        {4, 1280, 959, 3},   {2, 300, 200, 1},    {7, 0, 0, 7},       {1, 320, 240, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(window_scale_that_fits(c.scale, c.w, c.h), c.fits)
            << c.scale << " in " << c.w << "x" << c.h;
}

namespace {
// A clock that moves only when told to or when slept on.
class FakePaceClock : public PaceClock {
  public:
    int64_t now = 0, slept_us = 0;
    int sleeps = 0;
    int64_t now_us() override { return now; }
    void sleep_until_us(int64_t t) override {
        ++sleeps;
        if (t > now) slept_us += t - now, now = t;
    }
};
} // namespace

TEST(FramePacing, SleepsToTheDisplayPeriodOnlyWhereVsyncDoesNotHold) {
    constexpr int64_t kPeriod = 1000000 / 60;
    struct Case {
        const char* name;
        bool may_pace, granted;
        int64_t render_us;
        bool waits_for_vblank; // the display's present blocks until the next period
        bool paced;
        int64_t mean_interval_us; // of the last 100 frames
    };
    const Case cases[] = {
        {"vsync holds", true, true, 3000, true, false, kPeriod},
        {"presents return at once", true, true, 3000, false, true, kPeriod},
        {"vsync not granted", true, false, 3000, false, true, kPeriod},
        {"--no-vsync", false, true, 3000, false, false, 3000},
        {"slow frames are not slowed further", true, false, 40000, false, true, 40000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePaceClock clock;
        FramePacer pacer(clock, c.may_pace);
        pacer.begin(60, c.granted);
        int64_t tenth_last = 0;
        for (int f = 0; f < 200; ++f) {
            pacer.frame_start();
            clock.now += c.render_us;
            pacer.rendered();
            if (c.waits_for_vblank) clock.now = (clock.now / kPeriod + 1) * kPeriod;
            pacer.presented();
            if (f == 99) tenth_last = clock.now;
        }
        EXPECT_EQ(pacer.pacing(), c.paced);
        EXPECT_NEAR((clock.now - tenth_last) / 100, c.mean_interval_us, 1);
        if (!c.paced) {
            EXPECT_EQ(clock.sleeps, 0);
        } else if (c.render_us < kPeriod) {
            EXPECT_GT(clock.sleeps, 180); // a sleep per frame, not a spin
        }
    }
}

TEST(FramePacing, StatisticsGivePercentilesAndMissedFrames) {
    FakePaceClock clock;
    FramePacer pacer(clock, false);
    pacer.begin(50, true); // a 20 ms period
    for (int f = 1; f <= 100; ++f) {
        pacer.frame_start();
        clock.now += f * 100; // render: 0.1 .. 10 ms
        pacer.rendered();
        clock.now += f % 10 == 0 ? 35000 : 1000; // every tenth present misses the period
        pacer.presented();
    }
    const std::string r = pacer.report();
    EXPECT_NE(r.find("frames: 100 shown in 0.94 s, 105.8 per second; display period 20.00 ms"),
              std::string::npos)
        << r;
    EXPECT_NE(r.find("render ms:  p50 5.00  p95 9.50  p99 9.90  max 10.00"), std::string::npos)
        << r;
    EXPECT_NE(r.find("present ms: p50 1.00  p95 35.00  p99 35.00  max 35.00"), std::string::npos)
        << r;
    EXPECT_NE(r.find("missed the display's period: 10 frames"), std::string::npos) << r;
}
