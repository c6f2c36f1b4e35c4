// Sync values with their sample positions: the queue between the playback
// thread and the main loop, the positions the player gives each row, starting
// at an order position, and the sync state that the rows before it leave.
#include <gtest/gtest.h>

#include "driver/music_timeline.h"
#include "driver/sync_queue.h"
#include "driver/xmp_player.h"
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

    for (size_t i = 0; i < SyncQueue::kCapacity; ++i)
        ASSERT_TRUE(q.push({0, 0}));
    EXPECT_FALSE(q.push({0, 0}));
}

TEST(XmpPlayerSync, RowsCarryTheirStartSampleAlsoFromAnOrderPosition) {
    const std::vector<uint8_t> bytes = three_patterns().bytes();
    struct Case {
        int order;
        std::vector<TimedSync> expected;
    };
    // The song then loops back to order 0, 960 sample frames per row later.
    const Case cases[] = {
        {0, {{0, 0}, {960, 35}, {960, 34}, {3840, 7}, {5760, 32}, {8640, 31}, {11520, 0}}},
        {1, {{0, 7}, {1920, 32}, {4800, 31}, {7680, 0}}},
        {2, {{960, 31}, {3840, 0}}},
    };
    for (const Case& c : cases) {
        XmpPlayer player;
        SyncQueue q;
        player.set_sync_queue(&q);
        ASSERT_TRUE(player.load(bytes));
        ASSERT_TRUE(player.start(8000, c.order));
        while (player.play_tick() && player.tick_start() < 12000) {
        }
        const std::vector<TimedSync> got = drain(q, c.expected.back().sample);
        ASSERT_EQ(got.size(), c.expected.size()) << "order " << c.order;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].sample, c.expected[i].sample) << "order " << c.order << " #" << i;
            EXPECT_EQ(got[i].value, c.expected[i].value) << "order " << c.order << " #" << i;
        }
    }
    XmpPlayer player;
    ASSERT_TRUE(player.load(bytes));
    EXPECT_FALSE(player.start(8000, 3));
    EXPECT_FALSE(player.start(8000, -1));
}

TEST(SyncStateAtOrder, IsWhatTheRowsBeforeLeaveSet) {
    const std::vector<uint8_t> bytes = three_patterns().bytes();
    auto state = [&](int order) { return sync_state_at_order(bytes, order); };
    using B = std::vector<uint8_t>;
    auto bytes_of = [](const SyncSnapshot& s) { return B(s.bytes, s.bytes + 1 + kSyncFlagCount); };
    ASSERT_TRUE(state(0));
    EXPECT_EQ(bytes_of(*state(0)), (B{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(state(1));
    EXPECT_EQ(bytes_of(*state(1)), (B{0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(state(2));
    EXPECT_EQ(bytes_of(*state(2)), (B{7, 1, 0, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(state(3)); // past the end
    EXPECT_FALSE(sync_state_at_order({1, 2, 3}, 0));

    // The live state takes a snapshot as it is.
    sync_restore(*state(2));
    EXPECT_EQ(sync_scene(), 7);
    EXPECT_TRUE(sync_flag(1));
    EXPECT_FALSE(sync_flag(3));
    sync_reset();
}
