// Sync values with their sample positions: the queue between the playback
// thread and the main loop, the positions the player gives each row, starting
// at an order position, and the sync state that the rows before it leave.
#include <gtest/gtest.h>

#include "music/music_timeline.h"
#include "music/sync_queue.h"
#include "music/xmp_player.h"
#include "test_support.h"
#include "xm_builder.h"

namespace {

constexpr uint8_t W = 0x20;

// Three 4-row patterns at speed 6, 125 BPM: a row is 120 ms, 960 sample
// frames at 8 kHz.
XmTestModule three_patterns() {
    XmTestModule m;
    m.orders = {0, 1, 2};
    for (int i = 0; i < 3; ++i)
        m.add_pattern(4);
    m.cell(0, 0, 3) = {0, 0, 0, W, 0};
    m.cell(0, 1, 2) = {0, 0, 0, W, 35}; // flag 4: scene 0 keeps it
    m.cell(0, 1, 3) = {0, 0, 0, W, 34}; // flag 3: scene 0 consumes it
    m.cell(1, 0, 3) = {0, 0, 0, W, 7};
    m.cell(1, 2, 3) = {0, 0, 0, W, 32}; // flag 1: scene 7 reads no flag
    m.cell(2, 1, 3) = {0, 0, 0, W, 31};
    return m;
}

// Rows of 32 W commands at speed 1 (a row a tick, 160 sample frames at
// 8 kHz): 192 rows of scene numbers, flags 1..7 and ignored values, flag 9
// once, then a row with flag 2 and `last`, then 15 rows without sync values.
constexpr int kCrowdedRows = 3 * 64 + 16;
constexpr int64_t kTickFrames = 160;
XmTestModule crowded_module(uint8_t last) {
    XmTestModule m;
    m.channels = 32;
    m.speed = 1;
    TestRandom random(12345);
    for (int p = 0; p < 3; ++p) {
        m.orders.push_back(static_cast<uint8_t>(m.add_pattern(64)));
        for (int r = 0; r < 64; ++r)
            for (int ch = 0; ch < m.channels; ++ch) {
                const uint32_t x = random.next() % 100;
                const uint32_t v = x < 40 ? x % 31 : x < 80 ? 32 + x % 7 : 41 + x;
                m.cell(p, r, ch) = {0, 0, 0, W, static_cast<uint8_t>(v)};
            }
    }
    m.cell(1, 40, 7) = {0, 0, 0, W, 40};
    m.orders.push_back(static_cast<uint8_t>(m.add_pattern(16)));
    m.cell(3, 0, 0) = {0, 0, 0, W, 33};
    m.cell(3, 0, 1) = {0, 0, 0, W, last};
    return m;
}

std::vector<uint8_t> bytes_of(const SyncSnapshot& s) {
    return std::vector<uint8_t>(s.bytes, s.bytes + 1 + kSyncFlagCount);
}

std::vector<TimedSync> drain(SyncQueue& q, int64_t upto) {
    std::vector<TimedSync> out;
    int64_t s = 0;
    while (q.next_sample(s) && s <= upto)
        q.deliver_due(s, [&](uint8_t v) { out.push_back({s, v}); });
    return out;
}

} // namespace

TEST(SyncQueue, DeliversDueEventsOnceInOrder) {
    SyncQueue q;
    std::vector<uint8_t> got;
    auto keep = [&](uint8_t v) { got.push_back(v); };
    EXPECT_EQ(q.deliver_due(1000, keep), 0u);
    ASSERT_TRUE(q.push({10, 1}));
    ASSERT_TRUE(q.push({10, 2}));
    ASSERT_TRUE(q.push({20, 3}));
    EXPECT_EQ(q.deliver_due(9, keep), 0u); // never early
    EXPECT_EQ(q.deliver_due(10, keep), 2u);
    EXPECT_EQ(q.deliver_due(10, keep), 0u); // never twice
    EXPECT_EQ(got, (std::vector<uint8_t>{1, 2}));
    q.clear();
    EXPECT_EQ(q.deliver_due(1000, keep), 0u);

    // Full: what comes is folded, a 31 stays the end, and the summary waits
    // for room, then comes due at its latest value's sample.
    for (size_t i = 0; i < SyncQueue::kCapacity; ++i)
        ASSERT_TRUE(q.push({0, 0}));
    for (TimedSync e : {TimedSync{1, 31}, {2, 5}, {3, 34}, {4, 200}})
        EXPECT_FALSE(q.push(e));
    EXPECT_FALSE(q.flush());
    got.clear();
    EXPECT_EQ(q.deliver_due(3, keep), SyncQueue::kCapacity);
    EXPECT_FALSE(q.push({5, 6})); // behind the summary, not before it
    EXPECT_TRUE(q.flush());
    EXPECT_EQ(q.deliver_due(4, keep), 0u);
    EXPECT_EQ(q.deliver_due(5, keep), 2u);
    EXPECT_EQ(std::vector<uint8_t>(got.end() - 2, got.end()), (std::vector<uint8_t>{34, 31}));
    EXPECT_TRUE(q.push({6, 7}));
}

// From an order position, and from a moment inside a row (a skip, in
// 48 kHz frames: six to one of these 8 kHz frames): sample 0 is the moment,
// the samples are those of a start at the row from there on, and the values
// of the row cut into (or, without row_values, of the row started at) are
// not handed over.
TEST(XmpPlayerSync, RowsCarryTheirStartSampleAlsoFromAnOrderPosition) {
    const std::vector<uint8_t> bytes = three_patterns().bytes();
    struct Case {
        int order;
        int64_t skip;
        bool row_values;
        std::vector<TimedSync> expected;
    };
    // The song then loops back to order 0, 960 sample frames per row later.
    const Case cases[] = {
        {0, 0, true, {{0, 0}, {960, 35}, {960, 34}, {3840, 7}, {5760, 32}, {8640, 31}, {11520, 0}}},
        {1, 0, true, {{0, 7}, {1920, 32}, {4800, 31}, {7680, 0}}},
        {2, 0, true, {{960, 31}, {3840, 0}}},
        {0, 0, false, {{960, 35}, {960, 34}, {3840, 7}, {5760, 32}, {8640, 31}, {11520, 0}}},
        {0, 6 * 1, true, {{959, 35}, {959, 34}, {3839, 7}, {5759, 32}, {8639, 31}, {11519, 0}}},
        {0, 6 * 500, true, {{460, 35}, {460, 34}, {3340, 7}, {5260, 32}, {8140, 31}, {11020, 0}}},
        {0, 6 * 960, false, {{0, 35}, {0, 34}, {2880, 7}, {4800, 32}, {7680, 31}, {10560, 0}}},
        {1, 6 * 1000, true, {{920, 32}, {3800, 31}, {6680, 0}}},
    };
    std::vector<int16_t> plain[2]; // the samples from orders 0 and 1
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "order " << c.order << ", skip " << c.skip);
        XmpPlayer player;
        SyncQueue q;
        player.set_sync_queue(&q);
        ASSERT_TRUE(player.load(bytes));
        ASSERT_TRUE(player.start_from(8000, {{c.order, 0}, c.skip, c.row_values}));
        std::vector<int16_t> samples;
        while (player.play_tick() && player.tick_start() < 12000)
            samples.insert(samples.end(), player.samples(),
                           player.samples() + player.sample_frames() * 2);
        const std::vector<TimedSync> got = drain(q, c.expected.back().sample);
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].sample, c.expected[i].sample) << "#" << i;
            EXPECT_EQ(got[i].value, c.expected[i].value) << "#" << i;
        }
        if (c.order > 1) continue;
        if (c.skip == 0) {
            plain[c.order] = samples;
            continue;
        }
        const auto from = plain[c.order].begin() + c.skip / 6 * 2;
        ASSERT_GE(plain[c.order].end() - from, 10000);
        EXPECT_TRUE(std::equal(from, from + 10000, samples.begin()));
    }
    XmpPlayer player;
    ASSERT_TRUE(player.load(bytes));
    EXPECT_FALSE(player.start(8000, {3, 0}));
    EXPECT_FALSE(player.start(8000, {-1, 0}));
}

// A main loop that stalls while the player pushes far more than the ring
// holds still reaches the state of every value applied in order, the end of
// the show included, once it delivers again during the rows without values.
TEST(XmpPlayerSync, AStalledMainLoopLosesNoValue) {
    struct Case {
        const char* name;
        uint8_t last; // the song's last sync value
        int every;    // until row 196 the main loop delivers every this many rows,
        int lag_rows; // the rows at least this far behind; then all that is due
    };
    const Case cases[] = {
        {"stalled", 31, 1000, 0},
        {"stalled, the song ending on a scene", 5, 1000, 0},
        {"delivering in bursts", 31, 140, 0},
        {"lagging 150 rows behind", 31, 1, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XmpPlayer player;
        SyncQueue q;
        player.set_sync_queue(&q);
        ASSERT_TRUE(player.load(crowded_module(c.last).bytes()));
        ASSERT_TRUE(player.start(8000));
        SyncSnapshot want{}, got{};
        size_t pushed = 0, delivered = 0;
        int64_t latest = 0;
        for (int row = 0; row < kCrowdedRows; ++row) {
            ASSERT_TRUE(player.play_tick());
            ASSERT_EQ(player.tick_start(), row * kTickFrames);
            pushed += player.row_sync().size();
            for (uint8_t v : player.row_sync())
                apply_sync_value(want, v);
            if (row < 196 && row % c.every) continue;
            const int upto = row < 196 ? row - c.lag_rows : row;
            for (const TimedSync& e : drain(q, upto * kTickFrames)) {
                EXPECT_GE(e.sample, latest); // never ahead of an earlier value
                latest = e.sample;
                apply_sync_value(got, e.value);
                ++delivered;
            }
        }
        EXPECT_LT(delivered, pushed); // the ring did overflow
        EXPECT_EQ(want.bytes[0], c.last);
        EXPECT_EQ(bytes_of(got), bytes_of(want));
    }
}

TEST(SyncStateAtOrder, IsWhatTheRowsBeforeLeaveSet) {
    const std::vector<uint8_t> bytes = three_patterns().bytes();
    // The module selects scenes 0 and 7: scene 0 clears flag 3, scene 7 no flag.
    const ConsumedFlags consumed = [](int scene) -> uint16_t { return scene == 0 ? 1u << 3 : 0; };
    auto state = [&](int order) { return sync_state_at_order(bytes, order, consumed); };
    using B = std::vector<uint8_t>;
    ASSERT_TRUE(state(0));
    EXPECT_EQ(bytes_of(*state(0)), (B{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(state(1));
    EXPECT_EQ(bytes_of(*state(1)), (B{0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(state(2));
    EXPECT_EQ(bytes_of(*state(2)), (B{7, 1, 0, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(state(3)); // past the end
    EXPECT_FALSE(sync_state_at_order({1, 2, 3}, 0, consumed));

    // The live state takes a snapshot as it is.
    sync_restore(*state(2));
    EXPECT_EQ(sync_scene(), 7);
    EXPECT_TRUE(sync_flag(1));
    EXPECT_FALSE(sync_flag(3));
    sync_reset();
}
