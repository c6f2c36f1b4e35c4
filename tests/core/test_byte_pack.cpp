// The snapshots' byte coder (core/byte_pack.h): what it packs unpacks to
// the same bytes, also runs, overlapping repeats and bytes without any
// repeat; a damaged or cut form is refused without writing past the output.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/byte_pack.h"

TEST(BytePack, RoundTripsAndRefusesDamagedForms) {
    std::vector<uint8_t> noise(100000), words(40000), mixed;
    uint32_t x = 1;
    for (uint8_t& b : noise)
        b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
    for (size_t i = 0; i < words.size(); ++i) // 32-bit pixels of a gradient
        words[i] = static_cast<uint8_t>(i % 4 == 3 ? 0 : (i / 4) % 320 / (i % 4 + 1));
    for (int k = 0; k < 50; ++k) // "abcabcab...", then noise, again and again
        for (int i = 0; i < 700; ++i)
            mixed.push_back(i < 300 ? static_cast<uint8_t>('a' + i % 3) : noise[size_t(i + k)]);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t at_most; // packed size
    } cases[] = {
        {"nothing", {}, 3},
        {"three bytes", {1, 2, 3}, 6},
        {"a run of zeros", std::vector<uint8_t>(300000, 0), 20},
        {"noise", noise, noise.size() + noise.size() / 50},
        {"words", words, words.size() / 4},
        {"runs between noise", mixed, mixed.size() * 2 / 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> packed;
        pack_bytes(c.bytes, packed);
        EXPECT_LE(packed.size(), c.at_most);
        std::vector<uint8_t> back(c.bytes.size(), 0xAA);
        ASSERT_TRUE(unpack_bytes(packed, back));
        EXPECT_EQ(back, c.bytes);
        // Cut short, or a byte changed: refused, or unpacked within the output.
        std::vector<uint8_t> guarded(c.bytes.size() + 16, 0x55);
        const std::span<uint8_t> out(guarded.data(), c.bytes.size());
        if (!packed.empty()) {
            EXPECT_FALSE(unpack_bytes({packed.data(), packed.size() - 1}, out));
            for (size_t i = 0; i < packed.size(); i += 1 + packed.size() / 40) {
                std::vector<uint8_t> bad = packed;
                bad[i] ^= 0x5A;
                unpack_bytes(bad, out);
            }
        }
        for (size_t i = c.bytes.size(); i < guarded.size(); ++i)
            ASSERT_EQ(guarded[i], 0x55) << "written past the output";
        // Another length than packed: refused.
        std::vector<uint8_t> longer(c.bytes.size() + 1);
        EXPECT_FALSE(unpack_bytes(packed, longer));
    }
}
