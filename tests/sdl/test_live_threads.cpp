// The live path's two threads: the music's playback thread (SDL's audio
// thread on the dummy driver, or the silent clock's own thread) against the
// main loop. .ci/run builds these once more with ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <SDL.h>

#include "core/sync.h"
#include "music/sync_queue.h"
#include "sdl/display_sdl.h"
#include "sdl/music_sdl.h"
#include "show/show.h"
#include "xm_builder.h"

namespace {

// Scene 5 from the first row on, a flag every row after it.
std::string module_file() {
    XmTestModule m;
    m.speed = 2;
    m.orders = {0};
    m.add_pattern(16);
    m.cell(0, 0, 3) = {0, 0, 0, 0x20, 5};
    for (int r = 1; r < 16; ++r)
        m.cell(0, r, 3) = {0, 0, 0, 0x20, 32};
    const std::filesystem::path dir =
        std::filesystem::path(VORN_TEST_BINARY_DIR) / "test-scratch" / "threads";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "live.xm").string();
    const auto bytes = m.bytes();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return path;
}

struct SdlDummies : ::testing::Test {
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_Init(0);
        sync_reset();
    }
    void TearDown() override {
        SDL_Quit();
        unsetenv("SDL_AUDIODRIVER"); // programs the later tests start find a real display
        unsetenv("SDL_VIDEODRIVER");
    }
    NoDialogs dialogs;
    const std::string module = module_file();
};

} // namespace

// Bursts of values, as from audio callbacks, faster than the consumer takes
// them: the ring keeps overflowing into the summary and the summary keeps
// going in between ordinary values. Scene numbers only rise, so a value
// overtaking another shows as a scene going back.
TEST(SyncQueueThreads, AProducerRacingTheConsumerLosesAndReordersNothing) {
    using namespace std::chrono_literals;
    SyncQueue q;
    constexpr int kEvents = 200000;
    auto value = [](int i) -> uint8_t {
        if (i >= kEvents - 2) return i == kEvents - 1 ? kSceneEnd : 39; // flag 8 once, the end
        if (i % 3 == 1) return static_cast<uint8_t>(32 + i / 1000 % 7); // flags 1..7
        if (i % 3 == 2) return static_cast<uint8_t>(41 + i % 200);      // nothing
        return static_cast<uint8_t>(i * int64_t{31} / kEvents);         // rising scenes
    };
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int i = 0; i < kEvents; ++i) {
            if (i % 4000 == 0) std::this_thread::sleep_for(100us);
            q.push({i, value(i)});
        }
        while (!q.flush())
            std::this_thread::yield();
        done.store(true, std::memory_order_release);
    });
    SyncSnapshot got{};
    int64_t latest = 0;
    for (bool last = false; !last; std::this_thread::sleep_for(100us)) {
        last = done.load(std::memory_order_acquire);
        int64_t s;
        for (int n = 0; (last || n < 3000) && q.next_sample(s); ++n) // all at the end
            q.deliver_due(s, [&](uint8_t v) {
                EXPECT_GE(s, latest);
                latest = s;
                EXPECT_TRUE(v > kSceneEnd || v >= got.bytes[0]) << "scene went back to " << int(v);
                apply_sync_value(got, v);
            });
    }
    producer.join();
    EXPECT_EQ(got.bytes[0], kSceneEnd);
    EXPECT_EQ(got.bytes[8], 1); // raised once, just before the end
    EXPECT_EQ(got.bytes[9], 0); // never raised
}

// Cancel, the last button of the sound set-up, ends the start-up with a line
// on how to skip the question.
TEST_F(SdlDummies, CancelledSoundSetUpSaysHowToSkipTheQuestion) {
    struct Cancelling : NoDialogs {
        int choose(const char*, const char*, const std::vector<std::string>& buttons) override {
            return static_cast<int>(buttons.size()) - 1;
        }
    } cancelling;
    SdlMusic music(cancelling, false, sync_callback);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(music.startup(module.c_str(), 1));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vorn: the sound set-up was cancelled, so the show ends. To skip the question, "
              "start it with --auto-sound (the system's sound output) or --no-sound\n");
}

TEST_F(SdlDummies, SyncArrivesOnTheMainThreadAndShutdownWaitsForTheCallback) {
    for (bool no_sound : {false, true})
        for (int wait_ms : {0, 3, 17, 40}) {
            SCOPED_TRACE(std::string(no_sound ? "silent" : "dummy device") + ", stop after " +
                         std::to_string(wait_ms) + " ms");
            sync_reset();
            SdlMusic music(dialogs, no_sound, sync_callback);
            ASSERT_TRUE(music.startup(module.c_str(), 0));
            ASSERT_TRUE(music.start());
            const auto until =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
            while (std::chrono::steady_clock::now() < until) {
                music.deliver_sync();
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            EXPECT_TRUE(music.shutdown()); // the playback thread may be mid-callback here
            music.deliver_sync();          // after shutdown: nothing runs, nothing breaks
        }
    // Left to play, the first row's scene arrives (within a generous limit).
    SdlMusic music(dialogs, false, sync_callback);
    ASSERT_TRUE(music.startup(module.c_str(), 0));
    sync_reset();
    ASSERT_TRUE(music.start());
    for (int i = 0; i < 2000 && sync_scene() != 5; ++i) {
        music.deliver_sync();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(sync_scene(), 5);
    EXPECT_TRUE(music.shutdown());
}

namespace {
// The real music, with a key press or a window close arriving from another
// thread while it starts.
class RacingMusic : public Music {
  public:
    RacingMusic(SdlMusic& m, Uint32 type) : music_(m), type_(type) {}
    bool startup(const char* f, uint8_t c) override { return music_.startup(f, c); }
    bool start() override {
        std::thread user([this] {
            SDL_Event e{};
            e.type = type_;
            if (type_ == SDL_WINDOWEVENT) e.window.event = SDL_WINDOWEVENT_CLOSE;
            SDL_PushEvent(&e);
        });
        const bool ok = music_.start();
        user.join();
        return ok;
    }
    bool shutdown() override { return music_.shutdown(); }
    void deliver_sync() override { music_.deliver_sync(); }

  private:
    SdlMusic& music_;
    Uint32 type_;
};

class StopClock : public Clock {
  public:
    int64_t now_ms() override { return 0; }
};

void nothing() {}
void draw_nothing(uint32_t*) {}
} // namespace

TEST_F(SdlDummies, KeyOrWindowCloseDuringMusicStartEndsTheShowCleanly) {
    std::array<SceneOps, kSceneCount> scenes;
    scenes.fill({nothing, draw_nothing, nothing});
    for (bool no_sound : {false, true})
        for (Uint32 type : {Uint32(SDL_KEYDOWN), Uint32(SDL_WINDOWEVENT), Uint32(SDL_QUIT)}) {
            SCOPED_TRACE(std::to_string(type) + (no_sound ? " silent" : " dummy device"));
            SdlMusic sdl_music(dialogs, no_sound, sync_callback);
            RacingMusic music(sdl_music, type);
            SdlDisplay display(DisplaySettings{});
            StopClock clock;
            ShowPlatform p{display, music, dialogs, clock, scenes, {true, false}};
            // run_show opens files by name: from the module's folder.
            const auto here = std::filesystem::current_path();
            std::filesystem::current_path(std::filesystem::path(module).parent_path());
            std::filesystem::copy_file(module, "vorn.xm",
                                       std::filesystem::copy_options::overwrite_existing);
            EXPECT_EQ(run_show(p), 0);
            std::filesystem::current_path(here);
        }
}
