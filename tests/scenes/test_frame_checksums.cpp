// Every scene's frames, pinned: the show set up as at start with the generated
// data, then each scene entered in turn (and four of them entered again) for a
// run of frames whose ticks advance the way a real loop's do (steps of one,
// two and three ticks, a stall of 57, a jump of 250), with every sync flag a
// scene reads raised along the way. Each frame's checksum must equal the value
// recorded here, drawn in one band and in two (core/bands.h). A renderer
// rewritten for speed keeps every one of them.
//
// On a mismatch the test prints the whole table as it came out, ready to
// replace the recorded one when a change of pixels is intended.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/bands.h"
#include "core/rand.h"
#include "core/sync.h"
#include "scene_test_support.h"
#include "scenes/scene0.h"
#include "scenes/scene1.h"
#include "scenes/scene2.h"
#include "scenes/scene3.h"
#include "scenes/scene4.h"
#include "scenes/scene5.h"
#include "scenes/scene6.h"
#include "scenes/scene7.h"
#include "scenes/scenes.h"
#include "scenes/show_state.h"

namespace {

// Scene entries in order; the tick restarts at 0 on every entry while the
// frame, the scenes' own state and the sync flags carry over.
constexpr int kEntries[] = {0, 1, 2, 3, 4, 5, 6, 7, 4, 1, 3, 0, 6, 2};
constexpr int kEntryCount = sizeof(kEntries) / sizeof(kEntries[0]);
constexpr int kFramesPerEntry = 16;

// Tick steps between frames of one entry (the first frame is at tick 0).
constexpr int32_t kTickSteps[kFramesPerEntry] = {0, 1, 1, 2, 1, 3, 1, 1, 57, 1, 2, 1, 250, 1, 1, 1};

// Flags raised before frame n of an entry: bit k for flag k. Flag 4 lights
// scene 0's maps, turns scene 1's mesh, swaps scene 2's picture and shows scene
// 5's grid; 1 flashes; 3 boosts scene 0; 5 shows the overlays and scene 6's
// picture; 6 switches scene 1's layout and steps scene 2's greetings.
uint32_t flags_before(int frame) {
    switch (frame) {
    case 2:
        return 1u << 4;
    case 5:
        return 1u << 5;
    case 6:
        return 1u << 6;
    case 8:
        return 1u << 1;
    case 10:
        return (1u << 6) | (1u << 4);
    case 13:
        return 1u << 3;
    case 14:
        return 1u << 5;
    default:
        return 0;
    }
}

// clang-format off
constexpr uint32_t kRecorded[kEntryCount][kFramesPerEntry] = {
    {0x876C413D, 0x8030C468, 0x0A35A342, 0x68BB46F8, 0xF7D1F362, 0xF382A760, 0x7947F69B, 0x146CDFD5, 0x4B84A7C1, 0xF4FA6D60, 0xE8176DC5, 0xC48631BB, 0xB5A05682, 0x017E4F55, 0x1E09BFDD, 0xDD16B7F6},
    {0x340166B5, 0x340166B5, 0x6273E242, 0xE7B10758, 0x5D6EAF78, 0x59514E0E, 0x469FB20A, 0x3273C10A, 0x340166B5, 0x340166B5, 0x782F4F08, 0xDE105F7B, 0x4C6C6C49, 0xB034B4A7, 0xEB358D39, 0x28986FFE},
    {0x08F52857, 0x23D3DF26, 0xD3FE93C8, 0x3095B3AB, 0xB5031415, 0x1250A053, 0xF738C21E, 0x6E67CCCC, 0x7FFB0DE7, 0x7FFB0DE7, 0xAAAA4ADD, 0x8F971D8F, 0xBA440F69, 0x532D307E, 0x22E2EC65, 0x657A201C},
    {0xC1A33BF3, 0x3AAEBFA3, 0x692EC05F, 0x08EBCF2F, 0x91F8FBB5, 0x2A491EEB, 0xDDA92B0E, 0x1261E3CC, 0x340166B5, 0x340166B5, 0xB1E01289, 0x05169197, 0x5DC1214F, 0x84C0D46B, 0x6687E301, 0xEB0A1DE3},
    {0x6A49D927, 0x6CDF138E, 0xE4AE33E2, 0x039AF9D3, 0x788E9E8C, 0xCEF9D095, 0x0C1CA2B9, 0xE7A3CD3F, 0x340166B5, 0x340166B5, 0x340166B5, 0x340166B5, 0x03AC8B75, 0x721B3230, 0xE98B6B99, 0xFE2466A1},
    {0xD107C687, 0xE79AA417, 0x26611E49, 0x51354296, 0xCA4550D1, 0xDACE8677, 0xDF8D813D, 0x51E87158, 0x340166B5, 0x340166B5, 0x071F95E8, 0xDDF082CD, 0xC29D997D, 0xF2F303A7, 0x560C827C, 0x20898E24},
    {0x6409397C, 0x5B047DFA, 0x8F6CC51B, 0xF425C2CD, 0xF2E52B36, 0x7368B811, 0x9955B1DD, 0xEF9D0C5B, 0x340166B5, 0x340166B5, 0x2F285B4B, 0x5DEE530B, 0x810E1A23, 0x0ECD5752, 0x92558F90, 0x85475A44},
    {0x59412976, 0xB8A59148, 0xFC2C8927, 0x70E9AC5E, 0x9AA9FE8B, 0x125C383B, 0xC0D29959, 0x94A0CA7D, 0xF0DCAEA2, 0x4B09B93C, 0xAD051B06, 0x63E44CDA, 0x5A34CF49, 0xDF1A1ACB, 0x8033B5DE, 0x6E530E32},
    {0x340166B5, 0x340166B5, 0x340166B5, 0x340166B5, 0x7F86BCC7, 0x30D0BDD7, 0x4E3EA205, 0x399B840E, 0x340166B5, 0x340166B5, 0x340166B5, 0x340166B5, 0x03AC8B75, 0x721B3230, 0xE98B6B99, 0xFE2466A1},
    {0x526AF415, 0xB7BC6425, 0x4BC08DB3, 0xB718EF45, 0x895860CE, 0x788D4436, 0x57FBCF10, 0x433FF098, 0x340166B5, 0x340166B5, 0x63A2201F, 0xF297A96C, 0x8FC15419, 0x4CCBAAA3, 0xEBA1EFC9, 0x9963827C},
    {0xB395756C, 0xC706549F, 0xEF9020A6, 0x6A49887C, 0x477B9D72, 0x7EC3DBB5, 0x0D02D91A, 0x0E393D75, 0x340166B5, 0x340166B5, 0x246F24CC, 0x6DAC0985, 0x50A0191C, 0xF4047581, 0xD71F3E0D, 0x8DE78C67},
    {0xBA5EA643, 0xB09E6534, 0x4AA892FE, 0x67B1D184, 0xA7DF2AB4, 0x2C5F3E0B, 0xDAC45359, 0x0E09CF8F, 0x5FC328F0, 0x0405DD12, 0xFA9585AA, 0xDFA2E4AB, 0x60BD1DCB, 0x67295403, 0x3A0A7A5C, 0xD8D2259E},
    {0x340166B5, 0x340166B5, 0x3FD39820, 0xB5D16078, 0x98318F18, 0x7DF03F54, 0x02274DE6, 0xA0E79B32, 0x340166B5, 0x340166B5, 0x2F285B4B, 0x5DEE530B, 0x810E1A23, 0x0ECD5752, 0x92558F90, 0x85475A44},
    {0x700304DC, 0xBCBC0CEB, 0x6D155C51, 0x0E50BC47, 0x73A783D9, 0xF56AE3BC, 0xDBF83E5E, 0x2CBC57DA, 0x7FFB0DE7, 0x7FFB0DE7, 0xC73F995B, 0x658E5A80, 0x29E6BB72, 0xC25145EF, 0x894D57B2, 0x6C4828A3},
};
// clang-format on

} // namespace

class FrameChecksums : public testing::TestWithParam<int32_t> {};

TEST_P(FrameChecksums, EveryScenesFramesAreUnchanged) {
    const std::filesystem::path data = VORN_TEST_DATA_DIR;
    if (!std::filesystem::exists(data / "vorn.xm")) GTEST_SKIP() << "no generated data";
    const int32_t bands_before = band_count();
    set_band_count(GetParam());
    if (band_count() != GetParam()) GTEST_SKIP() << "this build draws in one band";
    scene_test::prepare_show();
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(data);
    // As at start, whatever tests ran before in this process left behind.
    const auto& scenes = scene_table();
    for (const SceneOps& ops : scenes)
        ops.release();
    scene0 = Scene0{}, scene1 = Scene1{}, scene2 = Scene2{}, scene3 = Scene3{};
    scene4 = Scene4{}, scene5 = Scene5{}, scene6 = Scene6{}, scene7 = Scene7{};
    vorn::srand(1);
    for (const SceneOps& ops : scenes)
        ops.setup();
    std::filesystem::current_path(here);
    sync_reset();

    std::vector<uint32_t> frame(kFramePixels, 0u);
    uint32_t got[kEntryCount][kFramesPerEntry];
    // Entries first .. kEntryCount - 1; the state (and the frame) as they
    // stand before entry `keep` are saved on the way.
    constexpr int kMiddle = kEntryCount / 2;
    ShowState at_middle;
    std::vector<uint32_t> frame_at_middle;
    auto run = [&](int first, int keep) {
        for (int e = first; e < kEntryCount; ++e) {
            if (e == keep) at_middle = save_show_state(), frame_at_middle = frame;
            int32_t tick = 0;
            for (int n = 0; n < kFramesPerEntry; ++n) {
                tick += kTickSteps[n];
                for (int k = 1; k <= kSyncFlagCount; ++k)
                    if (flags_before(n) & (1u << k)) raise_sync_flag(k);
                tick_counter = tick;
                scenes[static_cast<size_t>(kEntries[e])].render(frame.data());
                got[e][n] = frame_checksum(frame.data());
            }
        }
    };
    const ShowState at_start = save_show_state();
    const std::vector<uint32_t> first_frame = frame;
    run(0, kMiddle);
    // A saved state gives the frames that followed it: from the start (a
    // restart) and from the middle (a seek back), each once more.
    uint32_t once[kEntryCount][kFramesPerEntry];
    std::copy(&got[0][0], &got[0][0] + kEntryCount * kFramesPerEntry, &once[0][0]);
    restore_show_state(at_start);
    frame = first_frame;
    run(0, -1);
    EXPECT_TRUE(std::equal(&got[0][0], &got[0][0] + kEntryCount * kFramesPerEntry, &once[0][0]))
        << "restarted from the state saved at set-up";
    restore_show_state(at_middle);
    frame = frame_at_middle;
    run(kMiddle, -1);
    EXPECT_TRUE(std::equal(&got[0][0], &got[0][0] + kEntryCount * kFramesPerEntry, &once[0][0]))
        << "restarted from the state saved before entry " << kMiddle;
    for (const SceneOps& ops : scenes)
        ops.release();

    std::string table;
    bool same = true;
    for (int e = 0; e < kEntryCount; ++e) {
        table += "    {";
        for (int n = 0; n < kFramesPerEntry; ++n) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08" PRIX32 "%s", got[e][n],
                          n + 1 < kFramesPerEntry ? ", " : "");
            table += hex;
            if (got[e][n] != kRecorded[e][n]) {
                same = false;
                ADD_FAILURE() << "scene " << kEntries[e] << " (entry " << e << "), frame " << n;
            }
        }
        table += "},\n";
    }
    if (!same) std::printf("The frames came out as:\n%s", table.c_str());
    set_band_count(bands_before);
}

INSTANTIATE_TEST_SUITE_P(Bands, FrameChecksums, testing::Values(1, 2));
