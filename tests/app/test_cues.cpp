// Cue sheets through the program: vorn --cues writes a sheet into a copy of a
// module that plays exactly the same samples, vorn --cues-from reads it back
// as the same sheet, and what cannot be placed is refused by its line.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "command_output.h"
#include "file_support.h"
#include "music/xmp_player.h"
#include "xm_builder.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

void write(const fs::path& p, const std::string& s) {
    std::ofstream(p, std::ios::binary) << s;
}

// Notes on every fourth row of channel 0, and an effect in every channel of
// row 3 and a W 5 on row 8 of pattern 0, which orders 0 and 2 both play.
XmTestModule music(int channels) {
    XmTestModule m;
    m.channels = channels;
    m.with_instrument = true;
    m.orders = {0, 1, 0};
    for (int p = 0; p < 2; ++p) {
        m.add_pattern(16);
        for (int r = 0; r < 16; r += 4)
            m.cell(p, r, 0) = {static_cast<uint8_t>(40 + r + p), 1, 0, 0, 0};
    }
    for (int ch = 0; ch < channels; ++ch)
        m.cell(0, 3, ch).effect = 0x0C, m.cell(0, 3, ch).param = 0x30; // set volume
    m.cell(0, 8, 1) = {0, 0, 0, 0x20, 5};
    return m;
}

// Every sample of the song's first pass, at 48 kHz, as the show plays it.
std::vector<int16_t> samples(const Bytes& module) {
    XmpPlayer player;
    std::vector<int16_t> out;
    if (!player.load(module) || !player.start(48000)) return out;
    while (player.play_tick() && player.info().loop_count == 0)
        out.insert(out.end(), player.samples(), player.samples() + player.sample_frames() * 2);
    return out;
}

// The cue lines of a sheet, comments and blank lines dropped.
std::string cue_lines(const std::string& sheet) {
    std::string out;
    size_t start = 0;
    while (start < sheet.size()) {
        size_t end = sheet.find('\n', start);
        std::string line = sheet.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find('#'));
        line.erase(line.find_last_not_of(' ') + 1);
        if (!line.empty()) out += line + "\n";
    }
    return out;
}

struct Case {
    const char* label;
    int channels;
    std::string sheet;
    int status;
    std::string expected; // the cues --cues-from lists, or the start of the refusal
};

} // namespace

TEST(Cues, SheetsAreWrittenWithoutChangingASampleOrRefusedByTheirLine) {
    const std::vector<Case> cases = {
        {"cues on order positions and rows", 4, "# a comment\n\n0:0 1\n1:15 33  # flag 2\n", 0,
         "0:0 1\n1:15 33\n"},
        {"two on one row keep their order", 4, "1:2 31\n1:2 0\n", 0, "1:2 31\n1:2 0\n"},
        {"one pattern at two order positions with different cues", 4, "0:0 1\n2:0 2\n", 0,
         "0:0 1\n2:0 2\n"},
        {"a time between rows goes on the next row", 4, "0:00.50 40\n0:01.92 7\n", 0,
         "0:5 40\n1:0 7\n"},
        {"a row without a free effect column gets a new channel", 4, "0:3 33\n0:3 34\n", 0,
         "0:3 33\n0:3 34\n"},
        {"no room for a new channel", 32, "0:2 1\n0:3 33\n", 2,
         ":2: no effect column is free on that row (order position 0, row 3)"},
        {"a row the pattern does not have", 4, "0:0 1\n0:16 1\n", 2,
         ":2: order position 0 plays pattern 0 of rows 0 to 15, not 16"},
        {"an order position the song does not have", 4, "3:0 1\n", 2,
         ":1: the song has order positions 0 to 2, not 3"},
        {"a value out of range", 4, "0:0 1\n\n0:1 256\n", 2,
         ":3: the value \"256\" is not a whole number from 0 to 255"},
        {"a line that is no cue", 4, "0:0 1 2\n", 2, ":1: a cue is ORDER:ROW VALUE"},
        {"a time past the end", 4, "9:00.00 1\n", 2, ":1: the song's first pass ends at"},
    };
    const fs::path root = fs::temp_directory_path() / ("vorn-cues-" + std::to_string(getpid()));
    fs::remove_all(root);
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path dir = root / std::to_string(index++);
        fs::create_directories(dir);
        const Bytes in = music(c.channels).bytes();
        write_file(dir / "in.xm", in);
        write(dir / "cues.txt", c.sheet);
        const std::string vorn = std::string("cd '") + dir.string() + "' && '" + VORN_BINARY + "'";
        const CommandResult r =
            run_command(vorn + " --cues cues.txt --module in.xm --out out.xm 2>&1");
        ASSERT_EQ(r.status, c.status) << r.out;
        EXPECT_EQ(read_file(dir / "in.xm"), in);
        if (c.status) {
            EXPECT_NE(r.out.find("vorn: cues.txt" + c.expected), std::string::npos) << r.out;
            EXPECT_FALSE(fs::exists(dir / "out.xm"));
            continue;
        }
        const Bytes out = read_file(dir / "out.xm");
        const std::vector<int16_t> heard = samples(in);
        ASSERT_GT(heard.size(), 48000u);
        EXPECT_TRUE(samples(out) == heard);
        const CommandResult sheet = run_command(vorn + " --cues-from out.xm");
        EXPECT_EQ(cue_lines(sheet.out), c.expected) << sheet.out;
        // The printed sheet written again gives the same sheet, and a file
        // that is there already is never written over.
        write(dir / "again.txt", sheet.out);
        EXPECT_EQ(run_command(vorn + " --cues again.txt --module out.xm --out again.xm").status, 0);
        EXPECT_EQ(run_command(vorn + " --cues-from again.xm").out, sheet.out);
        EXPECT_EQ(run_command(vorn + " --cues again.txt --module in.xm --out out.xm 2>&1").status,
                  2);
        EXPECT_EQ(read_file(dir / "out.xm"), out);
    }
    fs::remove_all(root);
}
