// Recording the show: which frame shows which row and how much sound goes
// with it (in-process, with fake scenes), and the vorn program's recordings
// read back through libavformat: streams, sizes, durations, repeatability,
// stretches, PNG frames, bad targets, a missing video module and
// `make run` without a display (faults: test_record_faults.cpp).
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/screen.h"
#include "core/sync.h"
#include "media_probe.h"
#include "music/xm_sync.h"
#include "record_test_support.h"
#include "scenes/show_state.h"
#include "show/recorder.h"
#include "show/replay.h"
#include "show/show.h"

using namespace record_test;

namespace {

// --- in-process, fake scenes: each writes its number into pixel 0 -------

template <int K> void fake_render(uint32_t* frame) {
    frame[0] = K;
}
void nothing() {}
const std::array<SceneOps, kSceneCount> kFakeScenes = {{
    {nothing, fake_render<0>, nothing},
    {nothing, fake_render<1>, nothing},
    {nothing, fake_render<2>, nothing},
    {nothing, fake_render<3>, nothing},
    {nothing, fake_render<4>, nothing},
    {nothing, fake_render<5>, nothing},
    {nothing, fake_render<6>, nothing},
    {nothing, fake_render<7>, nothing},
}};

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct SceneLog : FrameSink {
    std::vector<uint32_t> scenes; // pixel 0 of each frame
    int64_t samples = 0;
    int peak = 0;
    std::string name = "log";
    void open() override {}
    void video(const uint32_t* frame) override { scenes.push_back(frame[0]); }
    void audio(const int16_t* s, size_t n) override {
        samples += static_cast<int64_t>(n);
        for (size_t i = 0; i < n * 2; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(s[i])));
    }
    void finish() override {}
    void abandon() override {}
    void discard() override {}
    const std::string& path() const override { return name; }
};

} // namespace

// Frame n shows every row starting at or before n / fps: the first frame of
// scene 5 (row 13, 0.78 s) and the end on W 31 (row 15, 0.9 s) at several
// rates; after n frames round(n x 48000 / fps) sample frames are written.
TEST(Recorder, EachFrameShowsTheRowsStartedByItsTime) {
    XmTestModule m = module(2);
    m.cell(0, 0, 3).param = 3;
    m.cell(1, 0, 3).param = 3;
    m.cell(1, 5, 3) = {0, 0, 0, W, 5};
    const fs::path path = scratch("recorder") / "timing.xm";
    write_file(path, m.bytes());
    struct Case {
        FrameRate rate;
        size_t first_of_scene5, frames;
        int64_t samples;
    };
    const Case cases[] = {{{60, 1}, 47, 54, 43200},  {{50, 1}, 39, 45, 43200},
                          {{100, 1}, 78, 90, 43200}, {{60000, 1001}, 47, 54, 43243},
                          {{7, 1}, 6, 7, 48000},     {{240, 1}, 188, 216, 43200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate.num) + "/" + std::to_string(c.rate.den));
        SceneLog log;
        RecordSettings settings;
        settings.rate = c.rate;
        settings.module_path = path.string();
        Recorder recorder(log, settings);
        NoDialogs dialogs;
        ShowPlatform p{recorder, recorder, dialogs, recorder, kFakeScenes, {true, false}};
        ASSERT_EQ(run_show(p), 0);
        ASSERT_EQ(log.scenes.size(), c.frames);
        const auto first5 = std::find(log.scenes.begin(), log.scenes.end(), 5u);
        EXPECT_EQ(static_cast<size_t>(first5 - log.scenes.begin()), c.first_of_scene5);
        EXPECT_TRUE(std::all_of(log.scenes.begin(), first5, [](uint32_t s) { return s == 3; }));
        EXPECT_TRUE(std::all_of(first5, log.scenes.end(), [](uint32_t s) { return s == 5; }));
        EXPECT_EQ(log.samples, c.samples);
        EXPECT_GT(log.peak, 1000);
    }
}

TEST(Record, EachContainerReadsBackWithItsStreamsAndRepeatsExactly) {
    const fs::path d = show_dir("record-containers", module(8));
    const double w31 = 63 * 0.06; // W 31 on the 64th row
    struct Case {
        const char* file;
        const char* video;
        const char* audio;
    };
    for (const Case c : {Case{"a.mkv", "ffv1", "flac"}, Case{"a.mp4", "h264", "aac"}}) {
        SCOPED_TRACE(c.file);
        const std::string options = std::string("--record ") + c.file + " --fps 10 --scale 1";
        const CommandResult first = record(d, options);
        ASSERT_EQ(first.status, 0) << first.out;
        EXPECT_NE(first.out.find("38 frames"), std::string::npos) << first.out;
        const MediaProbe a = probe_media((d / c.file).string());
        ASSERT_TRUE(a.opened);
        EXPECT_EQ(a.codecs, (std::vector<std::string>{c.video, c.audio}));
        EXPECT_EQ(a.width, 320);
        EXPECT_EQ(a.height, 240);
        EXPECT_EQ(a.frame_rate.num * 1, 10 * a.frame_rate.den);
        EXPECT_EQ(a.frames, 38);
        EXPECT_NEAR(a.video_seconds, w31, 0.1);
        EXPECT_GT(a.peak, 1000);
        ASSERT_EQ(record(d, options).status, 0);
        const MediaProbe b = probe_media((d / c.file).string());
        EXPECT_EQ(b.video_sum, a.video_sum);
        EXPECT_EQ(b.audio_sum, a.audio_sum);
    }
    // The H.264 stream names the settings it was coded with. Under the rate
    // ceiling, libx264's frame threads (and its slice threads) plan each
    // frame from how far the other threads have got, so a loaded machine
    // codes other pictures: one thread only.
    const std::string h264 = file_text(d / "a.mp4");
    const size_t settings = h264.find("options: ");
    ASSERT_NE(settings, std::string::npos);
    const std::string named = h264.substr(settings, h264.find('\0', settings) - settings);
    EXPECT_NE(named.find(" threads=1 "), std::string::npos) << named;
    EXPECT_NE(named.find(" vbv_maxrate=8000 "), std::string::npos) << named;
    EXPECT_FALSE(fs::exists(d / "a.mp4.part"));

    // PNG frames hold exactly the pixels of the lossless file, at the scale.
    ASSERT_EQ(record(d, "--record b.mkv --fps 10 --scale 2 --to 1").status, 0);
    ASSERT_EQ(record(d, "--frames frames --fps 10 --scale 2 --to 1").status, 0);
    const MediaProbe mkv = probe_media((d / "b.mkv").string());
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (d / "frames/frame_000000.png").c_str()));
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(PNG_IMAGE_SIZE(image) / 4);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    for (uint32_t& p : pixels)
        p &= 0xffffff;
    for (uint32_t& p : const_cast<std::vector<uint32_t>&>(mkv.first_frame))
        p &= 0xffffff;
    EXPECT_EQ(image.width, 640u);
    EXPECT_TRUE(pixels == mkv.first_frame);
    EXPECT_TRUE(fs::exists(d / "frames" / "sound.wav"));
    EXPECT_TRUE(fs::exists(d / "frames" / "frame_000004.png")); // 0.48 s at 10 fps
    EXPECT_FALSE(fs::exists(d / "frames" / "frame_000005.png"));
}

namespace {
// The sample bytes of a WAV file written by --frames (16-bit stereo).
std::string wav_samples(const fs::path& p) {
    const std::string wav = file_text(p);
    const size_t data = wav.find("data");
    return data == std::string::npos ? "" : wav.substr(data + 8);
}
} // namespace

// A stretch is exactly frames n0.. of the whole recording at the same rate
// and their samples, whatever the scenes carry over from frames before it:
// it starts inside scene 1 (its corners' jitter draws from the shared random
// sequence), scene 3 (its noise does), scene 5 (its own state) and in the
// last order position. Orders last 0.48 s (23040 samples); frame n0 is the
// first at or after its start.
TEST(Record, StretchIsExactlyThoseFramesAndSamplesOfTheWholeRecording) {
    XmTestModule m = module(8);
    for (int p : {2, 4, 6}) // no scene change: the scene of the order before goes on
        m.cell(p, 0, 3) = {0, 0, 0, W, 50};
    const fs::path d = show_dir("record-stretch", m);
    // Positions by order, by time (a moment: the first frame at or after it,
    // the sound from there; 1.53 s falls inside row 1 of order 3) and by
    // scene, with the sample where each starts.
    const struct {
        const char *from, *to;
        int64_t from_sample, to_sample; // to: -1 for the end
    } stretches[] = {
        {"2", "3", 2 * 23040, 3 * 23040}, {"4", "5", 4 * 23040, 5 * 23040},
        {"6", "7", 6 * 23040, 7 * 23040}, {"7", nullptr, 7 * 23040, -1},
        {"1.53", "2.0", 73440, 96000},    {"scene:5", "scene:7", 5 * 23040, 7 * 23040}};
    for (const FrameRate rate : {FrameRate{25, 1}, FrameRate{60000, 1001}}) {
        const std::string fps =
            " --fps " + std::to_string(rate.num) + "/" + std::to_string(rate.den) + " --scale 1";
        ASSERT_EQ(record(d, "--frames whole" + fps).status, 0);
        const std::string whole_sound = wav_samples(d / "whole" / "sound.wav");
        for (const auto& st : stretches) {
            SCOPED_TRACE(std::string("--from ") + st.from + " at " + fps);
            const std::string to = st.to ? std::string(" --to ") + st.to : "";
            fs::remove_all(d / "part");
            ASSERT_EQ(record(d, std::string("--frames part --from ") + st.from + to + fps).status,
                      0);
            const int64_t n0 = rate.frames_until(st.from_sample);
            int64_t k = 0;
            auto frame = [](int64_t n) {
                char name[32];
                std::snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(n));
                return std::string(name);
            };
            for (; fs::exists(d / "part" / frame(k)); ++k) {
                const std::string whole_frame = file_text(d / "whole" / frame(n0 + k));
                ASSERT_FALSE(whole_frame.empty()) << "frame " << n0 + k;
                ASSERT_TRUE(file_text(d / "part" / frame(k)) == whole_frame) << "frame " << k;
            }
            if (st.to_sample >= 0) {
                EXPECT_EQ(k, rate.frames_until(st.to_sample) - n0);
            }
            EXPECT_GT(k, 10);
            const std::string part_sound = wav_samples(d / "part" / "sound.wav");
            const size_t at = static_cast<size_t>(rate.samples_after(n0)) * 4;
            EXPECT_EQ(part_sound.size(), static_cast<size_t>(rate.samples_after(n0 + k)) * 4 - at);
            EXPECT_TRUE(whole_sound.compare(at, part_sound.size(), part_sound) == 0);
        }
        fs::remove_all(d / "whole");
    }
}

TEST(Record, BadTargetsAndOrdersFailWithOneLineAndLeaveNothing) {
    const fs::path d = show_dir("record-bad", module(2));
    const CommandResult avi = record(d, "--record show.avi");
    EXPECT_EQ(avi.status, 2);
    EXPECT_NE(avi.out.find("must end in .mp4"), std::string::npos) << avi.out;
    const CommandResult nowhere = record(d, "--record missing/show.mp4");
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.out.find("cannot write " + (d / "missing/show.mp4").string() +
                               ": the folder " + (d / "missing").string() + " does not exist"),
              std::string::npos)
        << nowhere.out;
    const CommandResult order = record(d, "--record x.mkv --from 5");
    EXPECT_EQ(order.status, 2);
    EXPECT_NE(order.out.find("order positions run from 0 to 1"), std::string::npos) << order.out;
    fs::remove(d / "vorn.xm");
    EXPECT_EQ(record(d, "--record x.mkv").status, 255); // as the live show
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(d))
        files += e.path().extension() == ".mkv" || e.path().extension() == ".mp4" ||
                 e.path().extension() == ".part";
    EXPECT_EQ(files, 0u);
}

// A program whose video module is missing (a copy of vorn in a folder of its
// own: an installation without lib/vorn) refuses a video recording in one
// line naming the module it looked for, before any file is made; PNG frames
// need no module.
TEST(Record, MissingVideoModuleFailsInOneLineBeforeAnyFile) {
    const fs::path d = show_dir("record-no-module", module(2));
    fs::create_directories(d / "bin");
    fs::copy_file(VORN_BINARY, d / "bin" / "vorn");
    const std::string copy = "cd '" + d.string() + "' && '" + (d / "bin" / "vorn").string() +
                             "' --data . --fps 10 --scale 1 ";
    const CommandResult r = run_command(copy + "--record x.mp4 2>&1 >/dev/null");
    EXPECT_EQ(r.status, 1);
    const fs::path wanted = d / "bin" / VORN_MODULE_FROM_BIN / VORN_VIDEO_MODULE_NAME;
    EXPECT_NE(r.out.find(wanted.lexically_normal().string()), std::string::npos) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    EXPECT_FALSE(fs::exists(d / "x.mp4"));
    EXPECT_FALSE(fs::exists(d / "x.mp4.part"));
    EXPECT_EQ(run_command(copy + "--frames f --to 1 2>&1").status, 0);
    EXPECT_TRUE(fs::exists(d / "f" / "frame_000000.png"));
}

// `make run` on a machine without a display records vorn.mp4 at the default
// settings, as long as the music runs to W 31 (within one frame at 60 fps).
TEST(Record, MakeRunWithoutADisplayRecordsVornMp4) {
    const fs::path d = show_dir("record-make-run", module(2));
    const CommandResult r =
        run_command("cd '" + d.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " +
                    record_test::vorn() + " --or-record vorn.mp4 --data . 2>&1 >/dev/null");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("no display"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find((d / "vorn.mp4").string()), std::string::npos) << r.out;
    const MediaProbe m = probe_media((d / "vorn.mp4").string());
    EXPECT_EQ(m.codecs, (std::vector<std::string>{"h264", "aac"}));
    EXPECT_EQ(m.width, 1280);
    EXPECT_NEAR(m.video_seconds, 15 * 0.06, 1.0 / 60);
}

namespace {
NoDialogs no_dialogs;
struct FirstFrame : FrameSink {
    std::vector<uint32_t> pixels;
    std::string name = "first";
    void open() override {}
    void video(const uint32_t* frame) override {
        if (pixels.empty()) pixels.assign(frame, frame + kFramePixels);
    }
    void audio(const int16_t*, size_t) override {}
    void finish() override {}
    void abandon() override {}
    void discard() override {}
    const std::string& path() const override { return name; }
};
// The live side after a replay: the frame buffer the replay filled, a clock
// standing at the time it returned, and music that delivers the values of
// the order's first row (the only row due by the next frame).
struct Handover : BufferDisplay, QuietMusic, Clock {
    std::vector<uint8_t> first_row;
    int64_t at = 0;
    bool delivered = false;
    void deliver_sync() override {
        if (!delivered)
            for (uint8_t v : first_row)
                sync_callback(v);
        delivered = true;
    }
    int64_t now_ms() override { return at; }
};
} // namespace

// The live show started at order X (or seeking there) replays the show from
// its start and then draws, as its first frame, exactly the frame a
// recording from X at 60 fps starts with, with the real scenes: in scene 1,
// 3 and 5 after frames of it were drawn, and in the last order.
TEST(Replay, TheFrameAfterAReplayIsTheFirstFrameOfARecordingFromThere) {
    XmTestModule m = module(8);
    for (int p : {2, 4, 6})
        m.cell(p, 0, 3) = {0, 0, 0, W, 50};
    const fs::path d = show_dir("replay", m);
    const fs::path here = fs::current_path();
    fs::current_path(d);
    set_up_tables_and_scenes(scene_table());
    const ShowState fresh = save_show_state();
    const auto module_file = read_module_file("vorn.xm");
    XmSync sync;
    ASSERT_TRUE(read_xm_sync(module_file->bytes.data(), module_file->bytes.size(), sync, nullptr));
    for (int order : {2, 4, 6, 7}) {
        SCOPED_TRACE(order);
        restore_show_state(fresh);
        FirstFrame first;
        RecordSettings settings;
        settings.from = {order, 0};
        settings.module_file = module_file;
        {
            Recorder recorder(first, settings);
            ShowPlatform p{recorder, recorder, no_dialogs, recorder, scene_table(), {}};
            ASSERT_TRUE(recorder.startup("vorn.xm", 0) && recorder.start());
            ShowLoop loop;
            while (first.pixels.empty())
                ASSERT_NE(loop.step(p), ShowLoop::Step::Ended);
        }
        restore_show_state(fresh);
        Handover live;
        ShowLoop loop;
        live.at = replay_to(loop, scene_table(), module_file, {order, 0}, live.frame.data());
        ASSERT_GE(live.at, 0);
        live.first_row = sync.at(sync.orders[static_cast<size_t>(order)], 0);
        ShowPlatform p{live, live, no_dialogs, live, scene_table(), {}};
        ASSERT_EQ(loop.step(p), ShowLoop::Step::Drew);
        EXPECT_TRUE(live.frame == first.pixels);
    }
    for (const SceneOps& s : scene_table())
        s.release();
    fs::current_path(here);
}
