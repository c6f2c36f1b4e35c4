// vorn --check over damaged copies of the generated data folder: each names
// its fault in one line and says whether the show will play (status 0 or 1);
// the same files judged in memory, as the web page judges them, give the
// same findings.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "check/check_files.h"
#include "check/data_check.h"
#include "check/scene_flags.h"
#include "command_output.h"
#include "file_support.h"
#include "scenes/consumed_flags.h"
#include "scenes/scenes.h"
#include "xm_builder.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes data_file(const std::string& name) {
    return read_file(fs::path(VORN_TEST_DATA_DIR) / name);
}

// A module of one 64-row pattern with W commands: {row, value}, ...
Bytes module_with(std::vector<std::pair<int, int>> cues) {
    XmTestModule m;
    m.orders = {0};
    m.add_pattern(64);
    int channel = 0;
    for (auto [row, value] : cues)
        m.cell(0, row, channel++ % m.channels) = {0, 0, 0, 0x20, static_cast<uint8_t>(value)};
    return m.bytes();
}

// A LightWave object of one point at (x, 0, 0).
Bytes one_point_object(float x) {
    Bytes b = {'F', 'O', 'R', 'M', 0,   0,   0, 24, 'L', 'W',
               'O', 'B', 'P', 'N', 'T', 'S', 0, 0,  0,   12};
    uint32_t bits;
    std::memcpy(&bits, &x, 4);
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<uint8_t>(bits >> shift));
    b.resize(b.size() + 8, 0);
    return b;
}

// The picture with every palette entry divided by `divisor`.
Bytes dimmed(const char* name, int divisor) {
    Bytes b = data_file(name);
    for (size_t i = b.size() - 768; i < b.size(); ++i)
        b[i] = static_cast<uint8_t>(b[i] / divisor);
    return b;
}

struct Case {
    const char* label;
    const char* file; // replaced by `bytes`, or removed when they are empty
    Bytes bytes;
    int status;
    std::string line; // a line the report holds (its start is enough)
};

} // namespace

TEST(Check, EachDamagedFolderNamesItsFault) {
    const Bytes pcx = data_file("backgr1.pcx");
    const std::vector<Case> cases = {
        {"our own data", nullptr, {}, 0, "the show will play (0 errors, 0 warnings)"},
        {"cut picture", "backgr1.pcx", Bytes(pcx.begin(), pcx.begin() + 3000), 1,
         "error    backgr1.pcx: does not load (scene 1: background: starry sky): the 256-colour "
         "palette marker is missing"},
        {"missing object",
         "env3.lwo",
         {},
         1,
         "error    env3.lwo: does not load (scene 1: the knot: a knotted tube): the file is "
         "missing"},
        {"module that ends at once", "vorn.xm", module_with({{0, 31}}), 1,
         "error    vorn.xm: the show ends on its first row (W 31 at 0:00.00 (order 0, row 0))"},
        {"scene that never gets its flag", "vorn.xm", module_with({{0, 2}, {0, 33}, {40, 31}}), 0,
         "warning  scene 2: reads flag 6 (the next greeting shows), but the music never raises "
         "it while this scene plays"},
        {"flag a scene does not read, carried on", "vorn.xm",
         module_with({{0, 3}, {8, 36}, {16, 1}, {40, 31}}), 0,
         "warning  scene 1: flag 5, raised at 0:00.96 (order 0, row 8) in scene 3, which does "
         "not read it, stays raised: scene 1 acts on it as it starts at 0:01.92"},
        {"no scene of that number", "vorn.xm", module_with({{0, 12}, {40, 31}}), 0,
         "warning  vorn.xm: W 12 at 0:00.00 (order 0, row 0) selects scene 12, which the show "
         "does not have"},
        {"never ends", "vorn.xm", module_with({{8, 1}}), 0,
         "warning  vorn.xm: there is no W 31, so the show never ends: the music starts again "
         "after 0:07.68"},
        {"dark light picture", "a1light2.pcx", dimmed("a1light2.pcx", 8), 0,
         "warning  a1light2.pcx: its brightest colour reaches only"},
        {"black overlay", "omla.pcx", dimmed("omla.pcx", 256), 0,
         "warning  omla.pcx: it is pure black everywhere"},
        {"object reaching behind the eye", "ringar2.lwo", one_point_object(6.0f), 0,
         "warning  ringar2.lwo: its points reach 300 units from its centre"},
    };
    const fs::path root = fs::temp_directory_path() / ("vorn-check-" + std::to_string(getpid()));
    fs::remove_all(root);
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path dir = root / std::to_string(index++);
        fs::create_directories(dir);
        for (const auto& e : fs::directory_iterator(VORN_TEST_DATA_DIR))
            if (!c.file || e.path().filename() != c.file)
                fs::create_symlink(e.path(), dir / e.path().filename());
        if (c.file && !c.bytes.empty()) write_file(dir / c.file, c.bytes);
        const std::string command =
            std::string("timeout 60 '") + VORN_BINARY + "' --check --data '" + dir.string() + "'";
        const CommandResult r = run_command(command);
        EXPECT_EQ(r.status, c.status) << r.out;
        EXPECT_NE(r.out.find("\n" + c.line), std::string::npos) << r.out;
        // The JSON report holds the same verdict.
        const CommandResult json = run_command(command + " --json");
        EXPECT_EQ(json.status, c.status);
        EXPECT_NE(json.out.find(c.status ? "\"plays\": false" : "\"plays\": true"),
                  std::string::npos)
            << json.out;
        // In memory: the same lines, all but the last (which names the folder).
        FileBytes files;
        for (const auto& e : fs::directory_iterator(dir))
            files[e.path().filename().string()] = read_file(e.path());
        CheckReport memory{"", check_data_files(files_in_memory(files))};
        memory.findings.push_back({Level::note, "flashes",
                                   "not judged here: vorn --flash-check lists the seconds that "
                                   "flash too much"});
        const std::string text = report_text(memory);
        EXPECT_EQ(text.substr(0, text.rfind('\n', text.size() - 2)),
                  r.out.substr(0, r.out.rfind('\n', r.out.size() - 2)));
    }
    fs::remove_all(root);
}

// The flags the check says a scene reads include every flag the scene clears.
TEST(Check, TheFlagsASceneReadsIncludeThoseItClears) {
    for (int scene = 0; scene < kSceneCount; ++scene) {
        EXPECT_EQ(scene_read_flags(scene) & scene_consumed_flags(scene),
                  scene_consumed_flags(scene))
            << "scene " << scene;
    }
}
