// --watch on a paused show: a changed picture is taken in and the frame on
// screen, and the frames after it, are those of a show started with the new
// picture at that moment; a broken or missing file is refused and the show
// goes on as it was.
#include <gtest/gtest.h>

#include "app/data_reload.h"
#include "app/data_watch.h"
#include "scenes/show_state.h"
#include "show/record_test_support.h"
#include "show/recorder.h"
#include "show/show_player.h"
#include "test_support.h"

using namespace record_test;

namespace {

NoDialogs no_dialogs;

// The recorder's frames, as checksums, and controls taken from the back.
struct Summed : SummedDisplay {
    std::vector<Control> controls;
    using SummedDisplay::SummedDisplay;
    bool key_waiting() override { return false; }
    Control take_control() override {
        if (controls.empty()) return Control::None;
        const Control c = controls.back();
        controls.pop_back();
        return c;
    }
};

// A show on the recorder from the folder's files as they are now.
struct Show {
    NullSink nowhere;
    RecordSettings settings;
    std::unique_ptr<Recorder> recorder;
    std::unique_ptr<Summed> display;
    std::unique_ptr<ShowPlatform> platform;
    std::unique_ptr<ShowPlayer> player;
    explicit Show(std::shared_ptr<const FileRead> music) {
        set_up_tables_and_scenes(scene_table());
        settings.module_file = music;
        recorder = std::make_unique<Recorder>(nowhere, settings);
        display = std::make_unique<Summed>(*recorder);
        platform = std::make_unique<ShowPlatform>(
            ShowPlatform{*display,
                         *recorder,
                         no_dialogs,
                         *recorder,
                         scene_table(),
                         {},
                         {},
                         music,
                         nullptr,
                         PlayerSettings{},
                         StartState{remember_start_state, restore_start_state}});
        EXPECT_TRUE(recorder->startup("vorn.xm", 0) && recorder->start());
        player = std::make_unique<ShowPlayer>(*platform);
    }
    ~Show() {
        player.reset();
        for (const SceneOps& s : scene_table())
            s.release();
    }
    // Plays on until `n` more frames are drawn.
    void frames(size_t n) {
        for (const size_t until = display->sums.size() + n; display->sums.size() < until;)
            ASSERT_TRUE(player->run_once());
    }
    std::vector<uint32_t> last(size_t n) const {
        return {display->sums.end() - static_cast<long>(n), display->sums.end()};
    }
};

} // namespace

TEST(Watch, TakesAChangedPictureAtTheSameMomentAndRefusesABrokenFile) {
    const fs::path here = fs::current_path();
    struct Case {
        const char* name;
        const char* file; // scene 1's, which plays at the pause
        void (*change)(const fs::path& file);
        bool taken;
    };
    const Case cases[] = {
        {"a new sky", "backgr1.pcx",
         [](const fs::path& f) {
             fs::copy_file("backgr3.pcx", f, fs::copy_options::overwrite_existing);
         },
         true},
        {"a sky cut short", "backgr1.pcx", [](const fs::path& f) { fs::resize_file(f, 3000); },
         false},
        {"the knot gone", "env3.lwo", [](const fs::path& f) { fs::remove(f); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::current_path(show_dir("watch", module(4)));
        const auto music = read_module_file("vorn.xm");
        const std::vector<uint8_t> old_file = read_file_bytes(c.file, 1 << 24).bytes;
        std::vector<uint32_t> shown, after;
        int64_t paused_ms = 0;
        {
            Show watched(music);
            ASSERT_TRUE(watched.player->begin({}));
            watched.frames(45); // into order 1, scene 1
            watched.display->controls = {Control::Pause};
            for (int i = 0; i < 3; ++i)
                ASSERT_TRUE(watched.player->run_once());
            ASSERT_TRUE(watched.player->paused());
            paused_ms = watched.player->now_ms();
            const size_t presented = watched.display->sums.size();
            c.change(c.file);
            EXPECT_EQ(reload_data(*watched.player, {c.file}, nullptr), c.taken);
            EXPECT_EQ(watched.display->sums.size(), presented + (c.taken ? 1 : 0));
            shown = watched.last(1);
            watched.display->controls = {Control::Pause};
            watched.frames(4);
            after = watched.last(4);
        }
        if (!c.taken) write_file(c.file, old_file);
        // The show started with the folder as taken: at the moment of the
        // pause (in the row then playing: rows of 60 ms, 8 to an order
        // position) when the file was taken, else straight through.
        Show fresh(music);
        const int64_t row = paused_ms / 60;
        if (c.taken) {
            ASSERT_TRUE(fresh.player->begin({}));
            ASSERT_TRUE(fresh.player->seek(
                {static_cast<int>(row / 8), static_cast<int>(row % 8), paused_ms}));
            EXPECT_EQ(shown, std::vector<uint32_t>{frame_checksum(fresh.display->lock())});
            fresh.frames(4);
            EXPECT_EQ(after, fresh.last(4));
        } else {
            ASSERT_TRUE(fresh.player->begin({}));
            fresh.frames(49);
            EXPECT_EQ(after, fresh.last(4));
            EXPECT_EQ(shown, std::vector<uint32_t>{fresh.display->sums[44]});
        }
        fs::current_path(here);
    }
}

// Changes are handed out once the files have been quiet for 300 ms, a burst
// of them together; the files are looked at every 250 ms at most.
TEST(Watch, TakesABurstOfChangesTogetherOnceQuiet) {
    const fs::path here = fs::current_path();
    fs::current_path(scratch("watch-burst"));
    write_file("a.pcx", {1});
    DataWatch watch({"a.pcx", "b.lwo"});
    using Names = std::vector<std::string>;
    struct Step {
        int64_t ms;
        const char* write; // a file written just before, or null
        Names handed_out;
    };
    const Step steps[] = {
        {0, nullptr, {}},
        {250, "a.pcx", {}},
        {400, "b.lwo", {}}, // not looked at yet
        {500, nullptr, {}},
        {750, nullptr, {}},
        {1000, nullptr, {"a.pcx", "b.lwo"}},
        {1250, "b.lwo", {}},
        {1500, "a.pcx", {}},
        {1750, nullptr, {}},
        {2000, nullptr, {"a.pcx", "b.lwo"}},
        {2250, nullptr, {}},
    };
    std::vector<uint8_t> bytes{1};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.ms);
        if (s.write) bytes.push_back(0), write_file(s.write, bytes);
        EXPECT_EQ(watch.poll(s.ms), s.handed_out);
    }
    fs::current_path(here);
}
