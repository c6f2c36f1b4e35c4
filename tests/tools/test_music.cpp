// The soundtrack: deterministic output, the sync timeline as printed and as
// played, the scenes' rules for it, the duration two players agree on and
// the loudness of a rendering.
#include "command_output.h"
#include "generator.h"
#include "music/composition.h"
#include "music/music_timeline.h"
#include "music/pattern_builder.h"
#include "music/xm_sync.h"
#include "music/xmp_player.h"

#include <gtest/gtest.h>
#include <xmp.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string run(const std::string& command) {
    return run_command(command).out;
}

bool have(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A fresh folder of this process's own (tests may run in parallel); callers
// remove what they leave there.
fs::path scratch(const char* name) {
    fs::path p =
        fs::path(VORN_TEST_BINARY_DIR) / "test-music" / (std::to_string(getpid()) + "-" + name);
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

// The module as the generator writes it, made once for all tests.
const std::vector<uint8_t>& soundtrack() {
    static const std::vector<uint8_t> bytes = [] {
        fs::path dir = scratch("a");
        EXPECT_TRUE(write_soundtrack(dir.string()));
        std::vector<uint8_t> b = read_file(dir / "vorn.xm");
        fs::remove_all(dir);
        return b;
    }();
    return bytes;
}

struct Line {
    int order, row;
    double seconds;
    int value;
};

std::vector<Line> printed_timeline() {
    std::istringstream in(run(std::string(VORN_GEN_BINARY) + " --timeline"));
    std::string text;
    std::getline(in, text); // heading
    std::vector<Line> lines;
    while (std::getline(in, text)) {
        Line l{};
        std::istringstream fields(text);
        if (fields >> l.order >> l.row >> l.seconds >> l.value) lines.push_back(l);
    }
    return lines;
}

// "Pk lev dB" and "RMS lev dB" of the whole file, from sox's stats.
bool sox_levels(const fs::path& wav, double* peak, double* rms) {
    std::istringstream in(run("sox '" + wav.string() + "' -n stats 2>&1"));
    std::string line;
    int found = 0;
    while (std::getline(in, line)) {
        if (line.rfind("Pk lev dB", 0) == 0 && ++found) *peak = std::stod(line.substr(9));
        if (line.rfind("RMS lev dB", 0) == 0 && ++found) *rms = std::stod(line.substr(10));
    }
    return found == 2;
}

void write_wav(const fs::path& p, const std::vector<int16_t>& samples, int rate) {
    std::ofstream out(p, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    uint32_t bytes = uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(2);
    u32(uint32_t(rate));
    u32(uint32_t(rate) * 4);
    u16(4);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    out.write(reinterpret_cast<const char*>(samples.data()), bytes);
}

TEST(Soundtrack, IsTheSameByteForByteOnEveryRun) {
    // A second run of the whole generator in a process of its own.
    fs::path other = scratch("b");
    run(std::string(VORN_GEN_BINARY) + " --out '" + other.string() + "' >/dev/null 2>&1");
    std::vector<uint8_t> again = read_file(other / "vorn.xm");
    fs::remove_all(other);
    ASSERT_GT(soundtrack().size(), 1000u);
    EXPECT_TRUE(again == soundtrack());
    std::vector<uint8_t> built = read_file(fs::path(VORN_TEST_DATA_DIR) / "vorn.xm");
    if (!built.empty()) {
        EXPECT_TRUE(built == soundtrack()) << "the build's data folder holds an older module";
    }
}

TEST(Soundtrack, ReaderAndPlayerFindTheTimelineThatIsPrinted) {
    std::vector<Line> printed = printed_timeline();
    ASSERT_FALSE(printed.empty());

    XmSync sync;
    ASSERT_TRUE(read_xm_sync(soundtrack().data(), soundtrack().size(), sync, nullptr));
    std::vector<Line> read;
    for (size_t o = 0; o < sync.orders.size(); ++o)
        for (int r = 0; r < sync.pattern_rows[sync.orders[o]]; ++r)
            for (uint8_t v : sync.at(sync.orders[o], r))
                read.push_back({int(o), r, 0.0, v});
    ASSERT_EQ(read.size(), printed.size());
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].order, printed[i].order) << "event " << i;
        EXPECT_EQ(read[i].row, printed[i].row) << "event " << i;
        EXPECT_EQ(read[i].value, printed[i].value) << "event " << i;
    }

    std::vector<SyncEvent> played = walk_sync_timeline(soundtrack(), 300000);
    ASSERT_EQ(played.size(), printed.size());
    for (size_t i = 0; i < played.size(); ++i) {
        EXPECT_EQ(played[i].position, printed[i].order) << "event " << i;
        EXPECT_EQ(played[i].row, printed[i].row) << "event " << i;
        EXPECT_EQ(played[i].value, printed[i].value) << "event " << i;
        EXPECT_NEAR(played[i].time_ms / 1000.0, printed[i].seconds, 0.025) << "event " << i;
    }
}

TEST(Soundtrack, TimelineFitsTheScenes) {
    std::vector<SyncEvent> ev = walk_sync_timeline(soundtrack(), 300000);
    ASSERT_FALSE(ev.empty());
    // Which flags (sync values) each scene acts on.
    const std::map<int, std::set<int>> reads = {
        {0, {34, 35}}, {1, {32, 35, 36, 37}}, {2, {32, 35, 36, 37}}, {3, {32}},
        {4, {32}},     {5, {32, 35}},         {6, {32, 36}},         {7, {}}};
    std::vector<int> scenes;
    std::vector<int64_t> start(8, -1);
    std::map<int, std::map<int, int>> count; // scene -> value -> times
    std::map<int, std::vector<int64_t>> when;
    int scene = -1;
    for (const SyncEvent& e : ev) {
        if (e.value < 32) {
            scene = e.value;
            scenes.push_back(e.value);
            if (e.value < 8) start[e.value] = e.time_ms;
            continue;
        }
        ASSERT_GE(scene, 0);
        EXPECT_TRUE(reads.at(scene).count(e.value))
            << "value " << int(e.value) << " in scene " << scene << " at " << e.time_ms;
        ++count[scene][e.value];
        when[scene * 100 + e.value].push_back(e.time_ms);
    }
    EXPECT_EQ(scenes, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 31}));
    // 31 on the very last row of the song.
    XmSync sync;
    ASSERT_TRUE(read_xm_sync(soundtrack().data(), soundtrack().size(), sync, nullptr));
    EXPECT_EQ(ev.back().value, 31);
    EXPECT_EQ(ev.back().position, int(sync.orders.size()) - 1);
    EXPECT_EQ(ev.back().row, sync.pattern_rows[sync.orders.back()] - 1);

    // Scene 0: lights on once with the beat, the climb to white just before the cut.
    EXPECT_EQ(count[0][35], 1);
    ASSERT_EQ(count[0][34], 1);
    // The climb lasts 120 ticks (1714 ms) and its 8-bit level wraps after
    // that: the cut comes before it would.
    EXPECT_GE(start[1] - when[34].front(), 1500);
    EXPECT_LE(start[1] - when[34].front(), 1714);
    // Scene 1: flashes, overlays and one or two swaps.
    EXPECT_GE(count[1][32], 1);
    EXPECT_GE(count[1][36], 1);
    EXPECT_GE(count[1][37], 1);
    EXPECT_LE(count[1][37], 2);
    // Scene 2: exactly eight greetings.
    EXPECT_EQ(count[2][37], 8);
    EXPECT_GE(count[2][32], 1);
    // Scene 5 long enough for the scroller; its mesh appears once, a few bars in.
    EXPECT_GE(start[6] - start[5], 27000);
    ASSERT_EQ(count[5][35], 1);
    EXPECT_GT(when[535].front() - start[5], 1500);
    EXPECT_LT(when[535].front() - start[5], 15000);
    EXPECT_GE(count[6][36], 1);
    for (int s : {1, 2, 3, 4, 5, 6})
        EXPECT_GE(count[s][32], 1) << "no flash in scene " << s;
    // Three to four minutes in all.
    EXPECT_GE(ev.back().time_ms, 180000);
    EXPECT_LE(ev.back().time_ms, 240000);
}

TEST(Soundtrack, LibxmpAndOpenmptAgreeOnTheDuration) {
    xmp_context ctx = xmp_create_context();
    std::vector<uint8_t> bytes = soundtrack();
    ASSERT_EQ(xmp_load_module_from_memory(ctx, bytes.data(), long(bytes.size())), 0);
    ASSERT_EQ(xmp_start_player(ctx, 44100, 0), 0);
    xmp_frame_info fi;
    xmp_get_frame_info(ctx, &fi);
    double libxmp_s = fi.total_time / 1000.0;
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    EXPECT_GE(libxmp_s, 180.0);
    EXPECT_LE(libxmp_s, 240.0);

    if (!have("openmpt123"))
        GTEST_SKIP() << "openmpt123 is not installed; libxmp says " << libxmp_s << " s";
    fs::path dir = scratch("info");
    std::ofstream(dir / "vorn.xm", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    std::string info = run("openmpt123 --info '" + (dir / "vorn.xm").string() + "' 2>&1");
    size_t at = info.find("Duration...: ");
    ASSERT_NE(at, std::string::npos) << info;
    int minutes = 0;
    double seconds = 0.0;
    ASSERT_EQ(std::sscanf(info.c_str() + at + 13, "%d:%lf", &minutes, &seconds), 2);
    double openmpt_s = minutes * 60 + seconds;
    fs::remove_all(dir);
    EXPECT_NEAR(openmpt_s, libxmp_s, libxmp_s * 0.01);
}

TEST(Soundtrack, RenderedLoudnessStaysInBounds) {
    if (!have("sox")) GTEST_SKIP() << "sox is not installed";
    // Our own player, as the show plays it.
    XmpPlayer player;
    ASSERT_TRUE(player.load(soundtrack()));
    ASSERT_TRUE(player.start(44100));
    std::vector<int16_t> samples;
    while (player.play_tick() && player.info().loop_count == 0)
        samples.insert(samples.end(), player.samples(),
                       player.samples() + player.sample_frames() * 2);
    ASSERT_GT(samples.size(), size_t(44100) * 2 * 180);
    fs::path dir = scratch("render");
    write_wav(dir / "libxmp.wav", samples, 44100);
    double peak = 0, rms = 0;
    bool measured = sox_levels(dir / "libxmp.wav", &peak, &rms);
    fs::remove(dir / "libxmp.wav");
    ASSERT_TRUE(measured);
    EXPECT_LT(peak, -0.1);
    EXPECT_GT(rms, -20.0);
    EXPECT_LT(rms, -10.0);

    if (!have("openmpt123")) GTEST_SKIP() << "openmpt123 is not installed";
    fs::path xm = dir / "vorn.xm";
    std::ofstream(xm, std::ios::binary)
        .write(reinterpret_cast<const char*>(soundtrack().data()),
               std::streamsize(soundtrack().size()));
    fs::remove(dir / "vorn.xm.wav");
    run("openmpt123 --batch --render --output-type wav '" + xm.string() + "' 2>&1");
    measured = sox_levels(dir / "vorn.xm.wav", &peak, &rms);
    fs::remove_all(dir);
    ASSERT_TRUE(measured);
    EXPECT_LT(peak, -0.1);
    EXPECT_GT(rms, -20.0);
    EXPECT_LT(rms, -10.0);
}

TEST(MelodyNotation, ReadsEachSignAndRefusesWhatIsNoTrackerNote) {
    auto first_of = [](const std::string& token) { // the token, then holds to fill the pattern
        std::string text = token;
        for (int i = 1; i < 32; ++i)
            text += " -";
        return music::parse_melody(text.c_str())[0];
    };
    music::Token t = first_of("~Bb4!");
    EXPECT_EQ(t.note, 59);
    EXPECT_TRUE(t.slide && t.accent);
    EXPECT_EQ(first_of("^").note, -1);
    EXPECT_EQ(first_of("B7").note, 96);
    for (const char* bad : {"~", "!", "~!", "H4", "C", "C10", "C4x", "Cb0", "B8"})
        EXPECT_THROW(first_of(bad), std::invalid_argument) << bad;
    EXPECT_THROW(music::parse_melody("C4 - -"), std::invalid_argument);
}

} // namespace
