// The lookup tables' known values: the odd full-turn constant of the sine
// table, truncation toward zero, and the shade table's two halves.
#include <gtest/gtest.h>

#include "render/tables.h"

TEST(LookupTables, KnownEntries) {
    build_lookup_tables();
    EXPECT_EQ(sine_table[0], 0);
    EXPECT_EQ(sine_table[16384], 32766);
    EXPECT_EQ(sine_table[32767], 1);
    EXPECT_EQ(sine_table[32768], -1);
    EXPECT_EQ(sine_table[49152], -32766);
    EXPECT_EQ(sine_table[65535], 0); // -0.0428 truncates toward zero
    int lo = 0, hi = 0;
    for (int16_t s : sine_table) {
        lo = std::min<int>(lo, s);
        hi = std::max<int>(hi, s);
    }
    EXPECT_EQ(hi, 32766);
    EXPECT_EQ(lo, -32766);

    auto shade = [](int c, int l) { return shade_table[c * 256 + l]; };
    EXPECT_EQ(shade(200, 128), 200);
    EXPECT_EQ(shade(200, 0), 0);
    EXPECT_EQ(shade(200, 64), 100);
    EXPECT_EQ(shade(0, 255), 253);
    EXPECT_EQ(shade(255, 255), 255);
    EXPECT_EQ(shade(100, 192), 177);
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(shade(c, 128), c);
        for (int l = 1; l < 256; ++l)
            ASSERT_GE(shade(c, l), shade(c, l - 1)) << c << "," << l;
    }

    EXPECT_EQ(square_table[6399], 40947201);
    EXPECT_EQ(square_table[0], 0);
    EXPECT_EQ(root_table[127999], 357);
    EXPECT_EQ(root_table[4], 2);
    EXPECT_EQ(root_table[8], 2);
    EXPECT_EQ(root_table[9], 3);
}
