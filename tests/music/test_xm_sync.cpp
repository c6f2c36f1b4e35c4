// The sync reader and the player's sync delivery: W commands found in every
// packing, delivered once per row in playback order (breaks, jumps, pattern
// delays), blanked for libxmp without changing the sound, and corrupt modules
// refused without reading outside the buffer.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "music/music_timeline.h"
#include "music/xm_sync.h"
#include "music/xmp_player.h"
#include "xm_builder.h"

namespace {

constexpr uint8_t W = 0x20;

std::vector<uint8_t> values_of(const std::vector<SyncEvent>& events) {
    std::vector<uint8_t> v;
    for (const SyncEvent& e : events)
        v.push_back(e.value);
    return v;
}

// Three patterns: a break from pattern 0 into row 2 of pattern 1, a jump from
// pattern 1 to order 2, W commands on several channels, and the end (31).
XmTestModule jumping_module() {
    XmTestModule m;
    m.orders = {0, 1, 2};
    for (int i = 0; i < 3; ++i)
        m.add_pattern(8);
    m.cell(0, 0, 3) = {0, 0, 0, W, 0};
    m.cell(0, 1, 1) = {0, 0, 0, W, 35};
    m.cell(0, 1, 2) = {0, 0, 0, W, 36};      // same row, next channel
    m.cell(0, 3, 0) = {0, 0, 0, 0x0D, 0x02}; // break to row 2 of the next pattern
    m.cell(0, 3, 3) = {0, 0, 0, W, 1};
    m.cell(0, 5, 3) = {0, 0, 0, W, 99}; // skipped by the break
    m.cell(1, 0, 3) = {0, 0, 0, W, 98}; // skipped: the break lands on row 2
    m.cell(1, 2, 3) = {0, 0, 0, W, 2};
    m.cell(1, 4, 0) = {0, 0, 0, 0x0B, 2}; // jump to order 2
    m.cell(1, 4, 3) = {0, 0, 0, W, 37};
    m.cell(1, 6, 3) = {0, 0, 0, W, 97}; // skipped by the jump
    m.cell(2, 1, 3) = {0, 0, 0, W, 3};
    m.cell(2, 7, 3) = {0, 0, 0, W, 31};
    return m;
}

} // namespace

TEST(XmSyncReader, FindsWCommandsPerRowInChannelOrder) {
    XmTestModule m = jumping_module();
    m.cell(2, 5, 0) = {49, 1, 64, W, 33}; // a full, unpacked cell
    m.cell(2, 6, 2) = {0, 0, 0, W, 0};    // W without a parameter byte reads 0
    const std::vector<uint8_t> bytes = m.bytes();
    XmSync sync;
    std::vector<uint8_t> blanked;
    ASSERT_TRUE(read_xm_sync(bytes.data(), bytes.size(), sync, &blanked));
    EXPECT_EQ(sync.channels, 4);
    EXPECT_EQ(sync.orders, (std::vector<uint8_t>{0, 1, 2}));
    EXPECT_EQ(sync.at(0, 1), (std::vector<uint8_t>{35, 36}));
    EXPECT_EQ(sync.at(2, 5), (std::vector<uint8_t>{33}));
    EXPECT_EQ(sync.at(2, 6), (std::vector<uint8_t>{0}));
    EXPECT_TRUE(sync.at(0, 2).empty());
    EXPECT_TRUE(sync.at(7, 0).empty());
    EXPECT_TRUE(sync.at(0, 99).empty());

    // The blanked copy has the same size and no W left in it.
    ASSERT_EQ(blanked.size(), bytes.size());
    XmSync again;
    ASSERT_TRUE(read_xm_sync(blanked.data(), blanked.size(), again, nullptr));
    for (const auto& rows : again.values)
        for (const auto& row : rows)
            EXPECT_TRUE(row.empty());
}

TEST(XmSyncReader, RefusesTruncatedAndCorruptModules) {
    const std::vector<uint8_t> good = jumping_module().bytes();
    XmSync sync;
    for (size_t n = 0; n < good.size(); ++n) {
        // Copy into an exactly sized buffer so a sanitizer sees any overread.
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
        EXPECT_FALSE(read_xm_sync(cut.data(), cut.size(), sync, nullptr)) << "length " << n;
    }
    auto corrupt = [&](size_t at, uint8_t v) {
        std::vector<uint8_t> b = good;
        b[at] = v;
        return read_xm_sync(b.data(), b.size(), sync, nullptr);
    };
    EXPECT_FALSE(corrupt(0, 'X'));        // not an XM
    EXPECT_FALSE(corrupt(68, 0));         // no channels
    EXPECT_FALSE(corrupt(69, 1));         // 260 channels
    EXPECT_FALSE(corrupt(61, 0x40));      // header larger than the file
    EXPECT_FALSE(corrupt(336 + 7, 0xff)); // first pattern's packed size past the end
    EXPECT_FALSE(read_xm_sync(nullptr, 0, sync, nullptr));
}

TEST(XmSyncPlayback, DeliversRowsInPlaybackOrderThroughBreaksAndJumps) {
    const auto events = walk_sync_timeline(jumping_module().bytes(), 60000);
    EXPECT_EQ(values_of(events), (std::vector<uint8_t>{0, 35, 36, 1, 2, 37, 3, 31}));
    ASSERT_EQ(events.size(), 8u);
    EXPECT_EQ(events[3].position, 0);
    EXPECT_EQ(events[3].row, 3);
    EXPECT_EQ(events[4].position, 1);
    EXPECT_EQ(events[4].row, 2);
    EXPECT_EQ(events[6].position, 2);
    EXPECT_EQ(events[6].row, 1);
    // Speed 6 at 125 BPM: a row lasts 120 ms.
    EXPECT_NEAR(static_cast<double>(events[1].time_ms), 120.0, 1.0);
}

TEST(XmSyncPlayback, PatternDelayAndLoopsEnterRowsAsPlayed) {
    XmTestModule m;
    m.orders = {0};
    m.add_pattern(8);
    m.cell(0, 0, 0) = {0, 0, 0, W, 4};
    m.cell(0, 1, 1) = {0, 0, 0, 0x0E, 0x60}; // loop start
    m.cell(0, 1, 3) = {0, 0, 0, W, 5};
    m.cell(0, 2, 1) = {0, 0, 0, 0x0E, 0xE3}; // hold the row for three more rows' time
    m.cell(0, 2, 3) = {0, 0, 0, W, 6};
    m.cell(0, 3, 1) = {0, 0, 0, 0x0E, 0x61}; // loop back once to row 1
    m.cell(0, 3, 3) = {0, 0, 0, W, 7};
    m.cell(0, 4, 3) = {0, 0, 0, W, 31};
    const auto events = walk_sync_timeline(m.bytes(), 60000);
    EXPECT_EQ(values_of(events), (std::vector<uint8_t>{4, 5, 6, 7, 5, 6, 7, 31}));
    ASSERT_EQ(events.size(), 8u);
    // Row 2 lasts four rows' time, so row 3 starts 120 + 480 ms after row 1.
    EXPECT_NEAR(static_cast<double>(events[3].time_ms - events[1].time_ms), 600.0, 1.0);
}

TEST(XmSyncPlayback, BlankedWCommandsDoNotChangeTheSound) {
    XmTestModule with_w;
    with_w.with_instrument = true;
    with_w.orders = {0};
    with_w.add_pattern(16);
    with_w.cell(0, 0, 0) = {49, 1, 0, 0, 0}; // C-4 on channel 0, held
    XmTestModule plain = with_w;
    for (int row = 1; row < 16; row += 2)
        with_w.cell(0, row, 0) = {0, 0, 0, W, static_cast<uint8_t>(0x20 + row)};

    XmpPlayer player;
    ASSERT_TRUE(player.load(with_w.bytes()));
    ASSERT_TRUE(player.start(44100));

    const std::vector<uint8_t> reference_bytes = plain.bytes();
    xmp_context reference = xmp_create_context();
    ASSERT_EQ(xmp_load_module_from_memory(reference, const_cast<uint8_t*>(reference_bytes.data()),
                                          static_cast<long>(reference_bytes.size())),
              0);
    ASSERT_EQ(xmp_start_player(reference, 44100, 0), 0);
    xmp_frame_info fi;
    bool heard = false;
    for (int tick = 0; tick < 16 * 6; ++tick) {
        ASSERT_TRUE(player.play_tick());
        ASSERT_EQ(xmp_play_frame(reference), 0);
        xmp_get_frame_info(reference, &fi);
        ASSERT_EQ(player.info().buffer_size, fi.buffer_size);
        ASSERT_EQ(std::memcmp(player.info().buffer, fi.buffer, static_cast<size_t>(fi.buffer_size)),
                  0)
            << "tick " << tick;
        const auto* s = static_cast<const int16_t*>(fi.buffer);
        for (int i = 0; i < fi.buffer_size / 2; ++i)
            heard = heard || s[i] != 0;
    }
    EXPECT_TRUE(heard) << "the test note must actually sound";
    xmp_end_player(reference);
    xmp_release_module(reference);
    xmp_free_context(reference);
}

TEST(XmSyncPlayback, UnreadableModuleGivesNoEvents) {
    EXPECT_TRUE(walk_sync_timeline({1, 2, 3}, 1000).empty());
    XmpPlayer player;
    EXPECT_FALSE(player.load({'E', 'x'}));
    EXPECT_FALSE(player.error().empty());
    EXPECT_FALSE(player.play_tick());
}

// The player loads what it is handed without reading the file again (here a
// module under a name that does not exist), and names the full path of a
// module it cannot read.
TEST(ModuleFile, PlayerTakesTheReadItIsHandedAndNamesTheFullPath) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("vorn-module-" + std::to_string(getpid()));
    XmTestModule m;
    m.orders = {static_cast<uint8_t>(m.add_pattern(4))};
    auto read = std::make_shared<FileRead>();
    read->bytes = m.bytes();
    XmpPlayer player;
    EXPECT_TRUE(player.load_file(path.c_str(), read)) << player.error();
    EXPECT_EQ(read_module_file(path.c_str())->error_number, ENOENT);
    EXPECT_FALSE(player.load_file(path.c_str()));
    EXPECT_EQ(player.error().rfind("cannot read " + path.string() + ": the file is missing. ", 0),
              0u)
        << player.error();
}
