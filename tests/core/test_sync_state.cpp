// The sync callback's value ranges, sync reset, and the show's random numbers.
#include <gtest/gtest.h>

#include "core/rand.h"
#include "core/sync.h"

TEST(SyncState, ValuesSelectScenesRaiseFlagsOrDoNothing) {
    sync_reset();
    for (uint32_t v = 0; v <= 31; ++v) {
        sync_callback(v);
        EXPECT_EQ(sync_scene(), v);
    }
    sync_reset();
    for (int k = 1; k <= kSyncFlagCount; ++k) {
        EXPECT_FALSE(sync_flag(k));
        sync_callback(static_cast<uint32_t>(31 + k));
        EXPECT_TRUE(sync_flag(k));
        EXPECT_EQ(sync_scene(), 0);
    }
    // 41 and above change nothing, also values that wrap a byte.
    sync_reset();
    sync_callback(5);
    for (uint32_t v : {41u, 42u, 255u, 256u, 256u + 33u, 0xffffffffu})
        sync_callback(v);
    EXPECT_EQ(sync_scene(), 5);
    for (int k = 1; k <= kSyncFlagCount; ++k)
        EXPECT_FALSE(sync_flag(k));
    // A flag stays raised until a scene clears it; reset clears the whole block.
    sync_callback(36);
    sync_callback(3);
    EXPECT_TRUE(sync_flag(5));
    clear_sync_flag(5);
    EXPECT_FALSE(sync_flag(5));
    sync_callback(40);
    sync_reset();
    EXPECT_EQ(sync_scene(), 0);
    EXPECT_FALSE(sync_flag(9));
}

TEST(ShowRandom, FifteenBitSequenceIsTheSameEverywhere) {
    vorn::srand(1);
    const int first[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int v : first)
        EXPECT_EQ(vorn::rand(), v);
    vorn::srand(12345);
    int lo = 32767, hi = 0;
    const uint64_t before = vorn::rand_calls();
    for (int i = 0; i < 100000; ++i) {
        int v = vorn::rand();
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_EQ(vorn::rand_calls() - before, 100000u);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, vorn::kRandMax);

    // A jump of n steps lands where n single steps do.
    vorn::RandStream stepped = vorn::rand_take();
    for (const uint64_t n : {0u, 1u, 2u, 3u, 64u, 1000u, 99999u}) {
        while (stepped.drawn() < n)
            stepped.next();
        EXPECT_EQ(vorn::rand_take().skipped(n).state(), stepped.state()) << n;
    }
    // Handing a stream back continues the shared sequence where it stands.
    const int after = vorn::RandStream(stepped).next();
    vorn::rand_give_back(vorn::rand_take().skipped(5));
    EXPECT_EQ(vorn::rand_calls() - before, 100005u);
    vorn::rand_give_back(vorn::rand_take().skipped(99994));
    EXPECT_EQ(vorn::rand(), after);
}
