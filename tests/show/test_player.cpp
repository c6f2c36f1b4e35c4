// The player over the main loop (show/show_player.h): a pause holds the
// clock, the music and the frames and goes on without a jump; a seek lands
// exactly on the frame a recording from there starts with; looping a
// hundred times keeps memory flat.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <vector>

#include "core/screen.h"
#include "core/sync.h"
#include "record_test_support.h"
#include "scenes/show_state.h"
#include "show/recorder.h"
#include "show/replay.h"
#include "show/show_player.h"
#include "test_support.h"

using namespace record_test;

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORN_CLANG_ASAN 1
#endif
#endif
#ifndef VORN_CLANG_ASAN
#define VORN_CLANG_ASAN 0
#endif

namespace {

NoDialogs no_dialogs;

// A display that hands out controls at given frames and keeps each frame's
// checksum; everything else goes to the display underneath. With
// `stop_after` set, the key test reports a key from that many tests after
// the first control is taken on.
struct Steered : SummedDisplay {
    std::map<size_t, std::vector<Control>> press; // before the frame with this index is made
    int stop_after = -1;
    int key_tests = -1; // since the first control was taken
    using SummedDisplay::SummedDisplay;
    bool key_waiting() override {
        if (key_tests >= 0 && ++key_tests > stop_after && stop_after >= 0) return true;
        return under.key_waiting();
    }
    bool stop_asked() override { return under.stop_asked(); }
    void idle() override { under.idle(); }
    Control take_control() override {
        const auto it = press.find(sums.size());
        if (it == press.end()) return Control::None;
        const Control c = it->second.front();
        it->second.erase(it->second.begin());
        if (it->second.empty()) press.erase(it);
        if (key_tests < 0) key_tests = 0;
        return c;
    }
};

// The real scenes with a test module as the music, set up as the show
// sets them up, in a scratch folder.
struct RealScenes : ::testing::Test {
    fs::path here = fs::current_path();
    std::shared_ptr<const FileRead> music;
    void use(const XmTestModule& m, const std::string& name) {
        fs::current_path(show_dir(name, m));
        music = read_module_file("vorn.xm");
        set_up_tables_and_scenes(scene_table());
    }
    // The show on a recorder (shown through `display`), able to seek and loop.
    ShowPlatform on(Display& display, Recorder& recorder, PlayerSettings settings = {}) {
        return {display,
                recorder,
                no_dialogs,
                recorder,
                scene_table(),
                {},
                {},
                music,
                nullptr,
                std::move(settings),
                {remember_start_state, restore_start_state}};
    }
    void TearDown() override {
        for (const SceneOps& s : scene_table())
            s.release();
        fs::current_path(here);
    }
};

int64_t resident_bytes() {
    std::ifstream statm("/proc/self/statm");
    int64_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

} // namespace

// A seek forward from order 1 to order 2 (inside scene 1, whose corners'
// jitter draws from the shared random sequence): the next frame is the
// first frame of a recording from order 2.
TEST_F(RealScenes, SeekLandsOnTheFirstFrameOfARecordingFromThere) {
    XmTestModule m = module(4);
    m.cell(2, 0, 3) = {0, 0, 0, W, 50}; // order 2 goes on with scene 1
    use(m, "player-seek");
    remember_start_state();

    RecordSettings from2;
    from2.from = {2, 0};
    from2.module_file = music;
    struct First : NullSink {
        uint32_t sum = 0;
        bool got = false;
        void video(const uint32_t* f) override {
            if (!got) sum = frame_checksum(f), got = true;
        }
    } first;
    {
        Recorder recorder(first, from2);
        ShowPlatform p{recorder, recorder, no_dialogs, recorder, scene_table(), {}};
        ASSERT_TRUE(recorder.startup("vorn.xm", 0) && recorder.start());
        ShowLoop loop;
        while (!first.got)
            ASSERT_NE(loop.step(p), ShowLoop::Step::Ended);
    }

    restore_start_state();
    NullSink nowhere;
    RecordSettings whole;
    whole.module_file = music;
    Recorder recorder(nowhere, whole);
    Steered display(recorder);
    display.press[40] = {Control::Forward}; // at 0.67 s, in order 1
    ShowPlatform p = on(display, recorder);
    ASSERT_TRUE(recorder.startup("vorn.xm", 0) && recorder.start());
    ShowPlayer player(p);
    ASSERT_TRUE(player.begin({}));
    while (display.sums.size() < 42)
        ASSERT_TRUE(player.run_once());
    EXPECT_EQ(player.current_order(), 2);
    EXPECT_EQ(display.sums[40], first.sum);
    EXPECT_NE(display.sums[39], first.sum);
}

// Jumps pressed together are played to once, to where the last of them
// leads; a key that ends the show ends it in the middle of a jump, at the
// next frame the jump plays on its way.
TEST_F(RealScenes, JumpsPressedTogetherFoldIntoOneAndAStopNeverWaits) {
    use(module(8), "player-jumps");
    remember_start_state();
    using C = Control;
    struct Case {
        const char* name;
        std::vector<Control> keys; // pressed at once in order 0, 0.33 s in
        int stop_after;            // key tests until a key ends the show; -1: none
        int order;                 // where the show then plays
    };
    std::vector<Control> storm;
    for (int i = 0; i < 1000; ++i)
        storm.push_back(i % 3 == 0 ? C::Back : i % 3 == 1 ? C::Forward : C::Restart);
    storm.push_back(C::Forward);
    const Case cases[] = {
        {"Right, Right, Right, Left", {C::Forward, C::Forward, C::Forward, C::Back}, -1, 2},
        {"a thousand jumps, Home, Right", storm, -1, 1},
        {"past the last order", std::vector<Control>(20, C::Forward), -1, 7},
        {"Right x5, a key while on the way", std::vector<Control>(5, C::Forward), 10, -1},
        {"Right, a key before the jump starts", {C::Forward}, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restore_start_state();
        NullSink nowhere;
        RecordSettings whole;
        whole.module_file = music;
        Recorder recorder(nowhere, whole);
        Steered display(recorder);
        display.press[20] = c.keys;
        display.stop_after = c.stop_after;
        ShowPlatform p = on(display, recorder);
        ASSERT_TRUE(recorder.startup("vorn.xm", 0) && recorder.start());
        ShowPlayer player(p);
        ASSERT_TRUE(player.begin({}));
        while (display.sums.size() < 20)
            ASSERT_TRUE(player.run_once());
        const bool going_on = player.run_once();
        if (c.order < 0) {
            EXPECT_FALSE(going_on);
            EXPECT_EQ(player.stopped(), c.stop_after > 0); // a key before it: no jump at all
            EXPECT_EQ(player.jumps(), c.stop_after > 0 ? 1 : 0);
            // The key that ended it was the last thing looked at: no frame after it.
            EXPECT_EQ(display.key_tests, c.stop_after + 1);
            continue;
        }
        ASSERT_TRUE(going_on);
        EXPECT_EQ(player.jumps(), 1);
        EXPECT_EQ(player.current_order(), c.order);
    }
}

// A hundred loops of a short show with the metaballs and scene 1: what the
// process holds after the hundredth is within 2 MB of after the second.
TEST_F(RealScenes, LoopingAHundredTimesKeepsMemoryFlat) {
    XmTestModule m;
    m.speed = 3;
    for (int p = 0; p < 2; ++p)
        m.orders.push_back(static_cast<uint8_t>(m.add_pattern(2)));
    m.cell(0, 0, 3) = {0, 0, 0, W, 1};
    m.cell(1, 0, 3) = {0, 0, 0, W, 6};
    m.cell(1, 1, 3) = {0, 0, 0, W, 31};
    use(m, "player-loop");
    static volatile std::sig_atomic_t enough = 0;
    enough = 0;
    NullSink nowhere;
    RecordSettings settings;
    settings.module_file = music;
    settings.stop = &enough;
    Recorder recorder(nowhere, settings);
    ShowPlatform p = on(recorder, recorder, {true, "."});
    ASSERT_TRUE(recorder.startup("vorn.xm", 0) && recorder.start());
    ShowPlayer player(p);
    ASSERT_TRUE(player.begin({}));
    int64_t after_second = 0;
    while (player.run_once() && player.loops() < 100)
        if (player.loops() == 2 && after_second == 0) after_second = resident_bytes();
    EXPECT_EQ(player.loops(), 100);
    EXPECT_GT(recorder.frames(), 1000);
#if defined(__SANITIZE_ADDRESS__) || VORN_CLANG_ASAN
    GTEST_SKIP() << "AddressSanitizer holds freed memory back: resident memory says nothing here";
#endif
    const int64_t after_hundredth = resident_bytes();
    EXPECT_LT(std::abs(after_hundredth - after_second), int64_t{2} << 20)
        << after_second << " -> " << after_hundredth;
}

// A replay from a snapshot lands exactly as one from the start: at every
// other row of the song (snapshots every 7 frames, so nearly every replay
// starts at one, in every scene, with flags and the end in flight), the
// frame, the time, the shared rand, the sync state and the tick counter.
TEST_F(RealScenes, AReplayFromASnapshotLandsAsOneFromTheStart) {
    use(module(8), "player-snapshots");
    remember_start_state();
    SnapshotBuilder builder(scene_table(), music, 7);
    std::vector<uint32_t> frame(kFramePixels);
    const auto landing = [&](int64_t at_ms) {
        const ShowState s = save_show_state();
        uint32_t sum = frame_checksum(frame.data()) ^ static_cast<uint32_t>(at_ms * 2654435761u);
        sum = sum * 31 + s.rand.state() + static_cast<uint32_t>(s.tick) * 7;
        for (uint8_t b : s.sync.bytes)
            sum = sum * 31 + b;
        return sum;
    };
    for (int row = 1; row < 64; row += 2) {
        // Every other one before the last order a moment inside the row
        // (rows of 60 ms; the last row ends the show).
        const SongPosition at{row / 8, row % 8, row % 4 == 1 || row > 56 ? -1 : row * 60 + 25};
        SCOPED_TRACE(testing::Message() << "order " << at.order << ", row " << at.row);
        restore_start_state();
        ShowLoop from_start;
        const uint32_t whole =
            landing(replay_to(from_start, scene_table(), music, at, frame.data()));
        ASSERT_EQ(builder.reach(at, nullptr), SnapshotBuilder::Reach::There);
        restore_start_state(); // what the snapshot must overwrite
        ShowLoop resumed;
        std::fill(frame.begin(), frame.end(), 0u);
        EXPECT_EQ(landing(replay_to(resumed, scene_table(), music, at, frame.data(), nullptr,
                                    &builder.before(at), &builder.log())),
                  whole);
    }
    EXPECT_EQ(builder.reach({8, 0}, nullptr), SnapshotBuilder::Reach::Never);
    EXPECT_TRUE(builder.done());
    EXPECT_GE(builder.count(), 25u);
}

// A moment lands on the first frame at or after it, as the whole show shows
// it, with the time of that frame: inside a row, on a row's start, just
// before one (its frame shows a row begun since the frame before, whose
// values the landing hands over: order 3's scene at 1.44 s), in scenes 0,
// 3, 4 and 7. (Frames whose
// time is a whole ms, every third: the player's clock on a recorder adds
// whole ms.)
TEST_F(RealScenes, AMomentLandsOnItsFrameOfTheWholeShow) {
    use(module(8), "player-moments");
    remember_start_state();
    NullSink nowhere;
    RecordSettings settings;
    settings.module_file = music;
    const auto play = [&](std::optional<SongPosition> at, size_t frames) {
        restore_start_state();
        Recorder recorder(nowhere, settings);
        Steered display(recorder);
        ShowPlatform p = on(display, recorder);
        EXPECT_TRUE(recorder.startup("vorn.xm", 0) && recorder.start());
        ShowPlayer player(p);
        EXPECT_TRUE(player.begin({}));
        if (at) {
            EXPECT_TRUE(player.seek(*at));
        }
        while (display.sums.size() < frames && player.run_once()) {
        }
        return display.sums;
    };
    const std::vector<uint32_t> whole = play(std::nullopt, 225);
    ASSERT_EQ(whole.size(), 225u);
    const struct {
        SongPosition at;
        size_t frame;
    } cases[] = {{{0, 0, 250}, 15},  {{0, 0, 1435}, 87},  {{3, 0}, 87},        {{0, 0, 1500}, 90},
                 {{0, 0, 1540}, 93}, {{0, 0, 1745}, 105}, {{0, 0, 2240}, 135}, {{0, 0, 3600}, 216}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "order " << c.at.order << ", " << c.at.time_ms << " ms");
        const std::vector<uint32_t> landed = play(c.at, 4);
        EXPECT_EQ(landed, std::vector<uint32_t>(whole.begin() + static_cast<long>(c.frame),
                                                whole.begin() + static_cast<long>(c.frame) + 4));
    }
}

// The viewer's signs follow the controls and never reach the frame: a frame
// saved while paused is the one presented last; a jump while paused shows
// its frame with its caption at once, a jump while playing with the scene
// of the frame it lands on.
TEST_F(RealScenes, SignsFollowTheControlsAndStayOutOfTheFrame) {
    use(module(8), "player-signs");
    remember_start_state();
    struct Signed : Steered {
        using Steered::Steered;
        ViewerSigns signs;
        int redraws = 0;
        void show_signs(const ViewerSigns& s) override { signs = s; }
        void redraw() override { ++redraws; }
    };
    static uint32_t saved = 0;
    NullSink nowhere;
    RecordSettings whole;
    whole.module_file = music;
    Recorder recorder(nowhere, whole);
    Signed display(recorder);
    ShowPlatform p =
        on(display, recorder,
           {false, ".", [](const uint32_t* f, const std::string&) { saved = frame_checksum(f); }});
    ASSERT_TRUE(recorder.startup("vorn.xm", 0) && recorder.start());
    ShowPlayer player(p);
    ASSERT_TRUE(player.begin({}));
    const auto frames = [&](size_t n) {
        while (display.sums.size() < n)
            ASSERT_TRUE(player.run_once());
    };
    using C = Control;
    display.press[10] = {C::Pause, C::SaveFrame, C::Loop};
    frames(10);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(player.run_once());
    EXPECT_TRUE(display.signs.paused);
    EXPECT_EQ(saved, display.sums.back());
    EXPECT_EQ(display.signs.caption, "looping on");
    EXPECT_EQ(display.redraws, 2); // both shown at once, with no frame coming
    display.press[10] = {C::Forward, C::Forward, C::Forward};
    ASSERT_TRUE(player.run_once());
    ASSERT_EQ(display.sums.size(), 11u) << "the frame the jump landed on is shown at once";
    EXPECT_EQ(display.signs.caption, "order 3 \u00b7 scene 3 \u00b7 0:01.45");
    display.press[11] = {C::Pause};
    frames(20);
    EXPECT_FALSE(display.signs.paused);
    // Playing on draws the frame shown while paused again, from the show as
    // it was before it: the same frame, noise (from the shared rand) and all.
    EXPECT_EQ(display.sums[11], display.sums[10]);
    display.press[20] = {C::Forward};
    frames(21);
    EXPECT_EQ(display.signs.caption, "order 4 \u00b7 scene 4 \u00b7 0:01.93");
    EXPECT_TRUE(display.signs.progress.empty());
}
