// The show's start-up, main loop and shutdown against a fake display, music,
// dialogs and clock: what is called in which order, how the tick counter
// runs, and how scene numbers drive the loop.
#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <string>
#include <vector>

#include "core/screen.h"
#include "core/sync.h"
#include "music/xmp_player.h"
#include "show/show.h"
#include "show/show_clock.h"
#include "show/show_player.h"
#include "xm_builder.h"

namespace {

std::vector<std::string> g_log;
std::vector<int32_t> g_ticks[kSceneCount];
std::function<void(int scene, int frame)> g_on_render;

template <int K> void setup() {
    g_log.push_back("setup " + std::to_string(K));
}
template <int K> void render(uint32_t*) {
    g_ticks[K].push_back(tick_counter);
    if (g_on_render) g_on_render(K, static_cast<int>(g_ticks[K].size()));
}
template <int K> void release() {
    g_log.push_back("release " + std::to_string(K));
}

const std::array<SceneOps, kSceneCount> kFakeScenes = {{
    {setup<0>, render<0>, release<0>},
    {setup<1>, render<1>, release<1>},
    {setup<2>, render<2>, release<2>},
    {setup<3>, render<3>, release<3>},
    {setup<4>, render<4>, release<4>},
    {setup<5>, render<5>, release<5>},
    {setup<6>, render<6>, release<6>},
    {setup<7>, render<7>, release<7>},
}};

class FakeDisplay : public Display {
  public:
    uint32_t frame[kFramePixels] = {};
    int key_after_tests = -1; // the key test reports a key from this test on
    int key_tests = 0;
    int presents = 0;
    int idles = 0;
    bool fail_open = false;
    void open(const char* title, bool fullscreen) override {
        g_log.push_back(std::string("open ") + title + (fullscreen ? " fullscreen" : " windowed"));
        if (fail_open) throw DisplayError("no display here");
    }
    bool key_waiting() override { return key_after_tests >= 0 && key_tests++ >= key_after_tests; }
    uint32_t* lock() override { return frame; }
    void present() override { ++presents; }
    void unlock() override {}
    void close() override { g_log.push_back("close"); }
    void destroy() override { g_log.push_back("destroy"); }
    void idle() override {
        if (++idles > 3) sync_callback(kSceneEnd); // let a test of scenes 8..30 come to an end
    }
    std::vector<Control> controls; // handed out one per call
    Control take_control() override {
        if (controls.empty()) return Control::None;
        const Control c = controls.front();
        controls.erase(controls.begin());
        return c;
    }
};

class FakeMusic : public Music {
  public:
    bool startup_ok = true, start_ok = true, shutdown_ok = true;
    uint8_t configure = 99;
    bool startup(const char* file, uint8_t c) override {
        configure = c;
        g_log.push_back(std::string("music startup ") + file);
        return startup_ok;
    }
    bool start() override {
        g_log.push_back("music start");
        return start_ok;
    }
    bool shutdown() override {
        g_log.push_back("music shutdown");
        return shutdown_ok;
    }
    void pause(bool on) override { g_log.push_back(on ? "music pause" : "music play on"); }
};

class FakeDialogs : public Dialogs {
  public:
    std::vector<std::string> asked;
    bool answer = true;
    bool can_show = true;
    bool ask_yes_no(const char* text, const char* caption) override {
        if (!can_show) throw DisplayError("no dialogs");
        asked.push_back(std::string(caption) + ": " + text);
        return answer;
    }
    int choose(const char*, const char*, const std::vector<std::string>&) override { return -1; }
    void show_error(const char*, const char* text) override {
        g_log.push_back(std::string("error ") + text);
    }
};

// Each reading advances by `step` ms.
class FakeClock : public Clock {
  public:
    int64_t now = 1000, step = 0;
    int64_t now_ms() override {
        int64_t t = now;
        now += step;
        return t;
    }
};

struct ShowFixture : ::testing::Test {
    FakeDisplay display;
    FakeMusic music;
    FakeDialogs dialogs;
    FakeClock clock;
    ShowPlatform platform{display, music, dialogs, clock, kFakeScenes, {}};

    void SetUp() override {
        g_log.clear();
        for (auto& t : g_ticks)
            t.clear();
        g_on_render = nullptr;
        sync_reset();
    }
    void TearDown() override { g_on_render = nullptr; }
};

} // namespace

TEST_F(ShowFixture, StartsAndShutsDownInOrderWhenAKeyIsWaitingAtOnce) {
    display.key_after_tests = 0;
    EXPECT_EQ(run_show(platform), 0);
    EXPECT_EQ(display.presents, 0);
    const std::vector<std::string> expected = {"music startup vorn.xm",
                                               "setup 0",
                                               "setup 1",
                                               "setup 2",
                                               "setup 3",
                                               "setup 4",
                                               "setup 5",
                                               "setup 6",
                                               "setup 7",
                                               "open Vorn fullscreen",
                                               "music start",
                                               "release 0",
                                               "release 1",
                                               "release 2",
                                               "release 3",
                                               "release 4",
                                               "release 5",
                                               "release 6",
                                               "release 7",
                                               "close",
                                               "music shutdown",
                                               "destroy"};
    EXPECT_EQ(g_log, expected);
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.asked[0],
              "Eat vorn you woman: I'm your pimp, should the sound be auto configured?");
    EXPECT_EQ(dialogs.asked[1], "Vi kastar gammal mulp i ditt nylle: Want fullscren bitch?");
    EXPECT_EQ(music.configure, 0);
    EXPECT_EQ(screen_width, 320);
    EXPECT_EQ(screen_height, 240);
}

TEST_F(ShowFixture, AnswersDecideConfigurationAndScreenMode) {
    display.key_after_tests = 0;
    dialogs.answer = false;
    EXPECT_EQ(run_show(platform), 0);
    EXPECT_EQ(music.configure, 1);
    EXPECT_NE(std::find(g_log.begin(), g_log.end(), "open Vorn windowed"), g_log.end());

    SetUp();
    platform.answers = {false, true}; // options answer both: no dialog at all
    dialogs.asked.clear();
    display.key_tests = 0;
    EXPECT_EQ(run_show(platform), 0);
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(music.configure, 1);
    EXPECT_NE(std::find(g_log.begin(), g_log.end(), "open Vorn fullscreen"), g_log.end());
}

TEST_F(ShowFixture, MusicFailuresPrintTheMessageAndExitMinusOne) {
    music.startup_ok = false;
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_show(platform), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(kMusicFailure) + "\n");
    EXPECT_EQ(g_log, std::vector<std::string>{"music startup vorn.xm"});

    SetUp();
    music = FakeMusic{};
    music.start_ok = false;
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_show(platform), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(kMusicFailure) + "\n");
    EXPECT_EQ(g_log.back(), "close");

    SetUp();
    music = FakeMusic{};
    music.shutdown_ok = false;
    display.key_after_tests = 0;
    display.key_tests = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_show(platform), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(kMusicFailure) + "\n");
    EXPECT_EQ(g_log.back(), "music shutdown"); // nothing destroyed after a failed shutdown
}

TEST_F(ShowFixture, DisplayFailureIsReportedAndExitsOne) {
    display.fail_open = true;
    EXPECT_EQ(run_show(platform), 1);
    ASSERT_GE(g_log.size(), 3u);
    EXPECT_EQ(g_log[g_log.size() - 2], "destroy");
    EXPECT_EQ(g_log.back(), "error no display here");
    // No releases and no music shutdown on this path.
    EXPECT_EQ(std::find(g_log.begin(), g_log.end(), "release 0"), g_log.end());
    EXPECT_EQ(std::find(g_log.begin(), g_log.end(), "music shutdown"), g_log.end());

    SetUp();
    dialogs.can_show = false;
    EXPECT_EQ(run_show(platform), 1);
    EXPECT_EQ(g_log.front(), "destroy");
}

TEST_F(ShowFixture, TickCounterCountsSeventyPerSecondAndTruncates) {
    clock.step = 499; // the start-time reading, then 499 ms later the frame's reading
    g_on_render = [](int, int) { sync_callback(kSceneEnd); };
    run_main_loop(platform);
    ASSERT_EQ(g_ticks[0].size(), 1u);
    EXPECT_EQ(g_ticks[0][0], 34); // 499 * 70 / 1000 = 34.93

    SetUp();
    clock.step = 1;
    g_on_render = [](int, int frame) {
        if (frame == 5) sync_callback(kSceneEnd);
    };
    run_main_loop(platform);
    EXPECT_EQ(g_ticks[0], (std::vector<int32_t>{0, 0, 0, 0, 0}));
}

TEST_F(ShowFixture, SceneChangesRestartTheTickCounterOnlyForANewScene) {
    clock.step = 100;
    // Scene 5 draws twice, then the music selects 5 again (no restart), then 2.
    sync_callback(5);
    g_on_render = [](int scene, int frame) {
        if (scene == 5 && frame == 2) sync_callback(5);
        if (scene == 5 && frame == 3) sync_callback(2);
        if (scene == 2 && frame == 1) sync_callback(kSceneEnd);
    };
    run_main_loop(platform);
    EXPECT_EQ(g_ticks[5].size(), 3u);
    EXPECT_LT(g_ticks[5][0], g_ticks[5][1]);
    EXPECT_LT(g_ticks[5][1], g_ticks[5][2]);
    EXPECT_TRUE(g_ticks[6].empty());
    EXPECT_TRUE(g_ticks[7].empty());
    ASSERT_EQ(g_ticks[2].size(), 1u);
    // Scene 2 starts with a fresh start time: one clock step after it.
    EXPECT_EQ(g_ticks[2][0], 7);
}

TEST_F(ShowFixture, ScenesEightToThirtyRenderAndPresentNothing) {
    sync_callback(17);
    run_main_loop(platform); // the fake's idle selects 31 after a few sweeps
    EXPECT_EQ(display.presents, 0);
    EXPECT_GT(display.idles, 3);
    for (const auto& t : g_ticks)
        EXPECT_TRUE(t.empty());
}

TEST_F(ShowFixture, EveryFrameIsPresentedAndAKeyEndsTheLoop) {
    sync_callback(3);
    display.key_after_tests = 10;
    run_main_loop(platform);
    EXPECT_EQ(display.presents, static_cast<int>(g_ticks[3].size()));
    EXPECT_GT(display.presents, 0);
    EXPECT_EQ(sync_scene(), 3);
}

namespace {
// Every reading advances 0.1 ms; a sleep jumps to its deadline.
class FakePaceClock : public PaceClock {
  public:
    int64_t now = 0;
    int sleeps = 0;
    int64_t now_us() override { return now += 100; }
    void sleep_until_us(int64_t t) override {
        ++sleeps;
        now = std::max(now, t);
    }
};
} // namespace

TEST_F(ShowFixture, PresentsThatReturnAtOnceArePacedBySleeping) {
    FakePaceClock pace;
    FramePacer pacer(pace, true);
    platform.pacer = &pacer;
    sync_callback(3);
    g_on_render = [](int, int frame) {
        if (frame == 30) sync_callback(kSceneEnd);
    };
    run_main_loop(platform);
    EXPECT_EQ(display.presents, 30);
    EXPECT_TRUE(pacer.pacing());
    EXPECT_EQ(pace.sleeps, 30 - 8); // from the eighth fast present on, one sleep per frame
    EXPECT_GE(pace.now, 22 * pacer.period_us());
}

// A pause holds the clock, the music and the frames together; playing on,
// the tick counter goes on from where it stopped, not from the wall clock.
TEST_F(ShowFixture, PauseHoldsTicksAndMusicAndPlaysOnWithoutAJump) {
    ShowPlatform p{display, music, dialogs, clock, kFakeScenes, {}};
    ShowPlayer player(p);
    ASSERT_TRUE(player.begin({}));
    sync_callback(2);
    display.idles = -1000; // the fake's idle would end the show after a few
    auto pass = [&](int64_t wall_ms) {
        clock.now += wall_ms;
        return player.run_once();
    };
    ASSERT_TRUE(pass(0));   // scene 2's loop begins at 0
    ASSERT_TRUE(pass(100)); // 100 ms: tick 7
    display.controls = {Control::Pause};
    ASSERT_TRUE(pass(0)); // paused at 100 ms
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(pass(1000)); // five seconds paused
    display.controls = {Control::Pause};
    ASSERT_TRUE(pass(0));
    ASSERT_TRUE(pass(100));
    EXPECT_EQ(g_ticks[2], (std::vector<int32_t>{0, 7, 7, 14}));
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "music pause"), 1);
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "music play on"), 1);
    EXPECT_FALSE(player.paused());
}

namespace {
// The module played through libxmp into a sync queue, heard as far as a fake
// clock says: a quarter of a row passes between two deliveries, and
// `stall_rows` rows at the delivery numbered `stall_at`.
class StallingMusic : public QuietMusic {
  public:
    StallingMusic(const std::vector<uint8_t>& module, int stall_at, int stall_rows)
        : stall_at_(stall_at), stall_rows_(stall_rows) {
        player_.set_sync_queue(&queue_);
        ok = player_.load(module) && player_.start(kRate);
    }
    void deliver_sync() override {
        heard_ += deliveries_++ == stall_at_ ? kRowFrames * stall_rows_ : kRowFrames / 4;
        while (player_.tick_start() <= heard_ && player_.play_tick()) {
        }
        queue_.deliver_due(heard_, sync_callback);
    }
    bool ok = false;
    static constexpr int64_t kRowFrames = 960; // speed 6 at 125 BPM, 8 kHz
    int64_t heard() const { return heard_; }

  private:
    static constexpr int kRate = 8000;
    XmpPlayer player_;
    SyncQueue queue_;
    int64_t heard_ = 0;
    int deliveries_ = 0;
    const int stall_at_, stall_rows_;
};
} // namespace

// The show's end is never lost: a main loop that stalls across the music's
// end and its wrap to a first row with W 0 still ends, and so does a row
// that carries W 31 and W 0 together.
TEST_F(ShowFixture, TheEndIsNotLostToAStallOrToValuesAfterItOnItsRow) {
    constexpr uint8_t W = 0x20;
    struct Case {
        const char* name;
        bool zero_beside_the_end; // W 0 after W 31 on the last row
        int stall_rows;           // rows that pass at once from half a row before the end
    };
    const Case cases[] = {
        {"unhindered", false, 0},
        {"stalled across the end and the wrap's W 0", false, 3},
        {"stalled across the end, the wrap's W 0 and W 3", false, 5},
        {"W 31 and W 0 on one row", true, 0},
        {"W 31 and W 0 on one row, stalled", true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        XmTestModule m; // order 0: scene 0, then scene 3; order 1: scene 5, then the end
        m.orders = {0, 1};
        m.add_pattern(4);
        m.add_pattern(4);
        m.cell(0, 0, 0) = {0, 0, 0, W, 0};
        m.cell(0, 2, 0) = {0, 0, 0, W, 3};
        m.cell(1, 0, 0) = {0, 0, 0, W, 5};
        m.cell(1, 3, 0) = {0, 0, 0, W, kSceneEnd};
        if (c.zero_beside_the_end) m.cell(1, 3, 3) = {0, 0, 0, W, 0};
        // The last row starts 7 rows in; delivery 26 hears 6.5 rows.
        StallingMusic music_here(m.bytes(), c.stall_rows ? 26 : -1, c.stall_rows);
        ASSERT_TRUE(music_here.ok);
        ShowPlatform p{display, music_here, dialogs, clock, kFakeScenes, {}};
        ShowLoop loop;
        int steps = 0;
        while (loop.step(p) != ShowLoop::Step::Ended && steps < 1000)
            ++steps;
        EXPECT_TRUE(loop.ended()) << steps << " steps, scene " << int(sync_scene());
        EXPECT_EQ(sync_scene(), kSceneEnd);
        // At the first end, not at the next pass's: before the music's eighth
        // row, or as soon as the stall is over.
        EXPECT_LT(music_here.heard(), (8 + c.stall_rows) * StallingMusic::kRowFrames);
        EXPECT_FALSE(g_ticks[0].empty());
    }
}
