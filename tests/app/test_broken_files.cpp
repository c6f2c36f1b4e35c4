// Broken data files as a user meets them: vorn --still over a copy of the
// generated data with one file replaced (a short recording for the music,
// which stills never read), also by a named pipe, a device or a socket. Every case ends with status
// 255, the show's own message on standard output, and one English line on standard error that names
// the file's full path and the reason.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "assets/lwo.h"
#include "assets/pcx.h"
#include "command_output.h"
#include "file_support.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes data_file(const std::string& name) {
    return read_file(fs::path(VORN_TEST_DATA_DIR) / name);
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Offset of the first occurrence of `tag` in `bytes`.
size_t find(const Bytes& bytes, const std::string& tag) {
    return static_cast<size_t>(std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end()) -
                               bytes.begin());
}

Bytes patched(const std::string& name, const std::function<void(Bytes&)>& change) {
    Bytes b = data_file(name);
    change(b);
    return b;
}

struct Case {
    const char* label;
    const char* file;                          // the data file replaced
    std::function<void(const fs::path&)> make; // writes the replacement (or not)
    std::string show_message;                  // the last line on standard output
    std::string reason;                        // the start of the English reason
    bool records = false;                      // record the first order position instead of a still
    const char* verb = "cannot load";          // what the English line says it cannot do
};

std::function<void(const fs::path&)> bytes(Bytes b) {
    return [b](const fs::path& p) {
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));
    };
}

// A file of `size` bytes that takes no disk space and reads as zeros.
std::function<void(const fs::path&)> sparse(uint64_t size) {
    return [size](const fs::path& p) {
        std::ofstream(p, std::ios::binary).close();
        ASSERT_EQ(truncate(p.c_str(), static_cast<off_t>(size)), 0);
    };
}

// The data file `name` grown to `size` bytes by zeros inserted at `at` bytes
// from its end (before a picture's palette, or after an object's chunks).
std::function<void(const fs::path&)> padded(const std::string& name, size_t size, size_t at) {
    return [=](const fs::path& p) {
        Bytes b = data_file(name);
        b.insert(b.end() - static_cast<long>(at), size - b.size(), 0);
        bytes(b)(p);
    };
}

// A Unix socket's name, left behind by a server that has ended.
void unix_socket(const fs::path& p) {
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(p.string().size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, p.c_str());
    EXPECT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(s);
}

// The largest resident size of any child process waited for so far, in bytes.
uint64_t peak_child_memory() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<uint64_t>(usage.ru_maxrss) * 1024;
}

// Links the generated data into `dir`, all but `file`.
void link_data_except(const fs::path& dir, const std::string& file) {
    fs::create_directories(dir);
    for (const auto& e : fs::directory_iterator(VORN_TEST_DATA_DIR))
        if (e.path().filename() != file) fs::create_symlink(e.path(), dir / e.path().filename());
}

const std::string kNoOpen = "gick ej \x94ppna ";
const uint64_t kHuge = uint64_t{2} << 30; // 2 GiB

TEST(BrokenFiles, EachIsRefusedWithTheShowsMessageAndAnEnglishReason) {
    // a1light1.pcx is a 320 x 240 picture, env3.lwo a triangle mesh loaded
    // with its polygons.
    const Bytes pcx = data_file("a1light1.pcx");
    ASSERT_GT(pcx.size(), 2000u);
    // The first 1000 bytes and the palette (sized once: g++ 12 warns falsely on an insert).
    Bytes cut_pcx(pcx.begin(), pcx.begin() + 1000 + 769);
    std::copy(pcx.end() - 769, pcx.end(), cut_pcx.begin() + 1000);
    const Bytes lwo = data_file("env3.lwo");
    const size_t pols = find(lwo, "POLS");
    ASSERT_LT(pols + 20, lwo.size());
    Bytes pointless = text("FORM");
    pointless.insert(pointless.end(), {0, 0, 0, 4, 'L', 'W', 'O', 'B'});

    const Bytes xm = data_file("vorn.xm");
    const std::string kMusicFailure = "Midas my ass!, somethings smelly..\n";
    const std::string pcx_line = kNoOpen + "a1light1.pcx\n";
    const std::string lwo_line = kNoOpen + "env3.lwo  !!\n";
    const Case cases[] = {
        {"missing picture", "a1light1.pcx", [](const fs::path&) {}, pcx_line,
         "the file is missing. Put the show's data files in that folder"},
        {"folder", "a1light1.pcx", [](const fs::path& p) { fs::create_directory(p); }, pcx_line,
         "it is a folder, not a file"},
        {"text as picture", "a1light1.pcx", bytes(text("hello\n")), pcx_line,
         "it is not a PCX picture (its first byte is 0x68; a PCX file starts with 0x0A). Make an "
         "8-bit PCX with a 256-colour palette, e.g. with ImageMagick: convert in.png -alpha off "
         "-colors 256 -type Palette out.pcx"},
        {"empty picture", "a1light1.pcx", bytes({}), pcx_line,
         "the file is empty, not a PCX picture"},
        {"24-bit", "a1light1.pcx", bytes(patched("a1light1.pcx", [](Bytes& b) { b[65] = 3; })),
         pcx_line,
         "it is a 24-bit true-colour PCX (3 planes of 8 bits), but the show reads version 5 "
         "with 8 bits per pixel and a 256-colour palette. Make an 8-bit PCX"},
        {"1-bit", "a1light1.pcx", bytes(patched("a1light1.pcx", [](Bytes& b) { b[3] = 1; })),
         pcx_line, "it is a 1-bit PCX with up to 2 colours (1 plane of 1 bit)"},
        {"version 3", "a1light1.pcx", bytes(patched("a1light1.pcx", [](Bytes& b) { b[1] = 3; })),
         pcx_line, "it is a PCX of version 3, but the show reads version 5 with 8 bits per pixel"},
        {"no palette marker", "a1light1.pcx",
         bytes(patched("a1light1.pcx", [](Bytes& b) { b[b.size() - 769] = 0; })), pcx_line,
         "the 256-colour palette marker is missing (the byte 769 bytes before the end is 0x00"},
        {"cut pixel data", "a1light1.pcx", bytes(cut_pcx), pcx_line,
         "the pixel data is cut short: the 320 x 240 picture needs more run-length data"},
        {"wrong size", "a1light1.pcx", bytes(data_file("greets1.pcx")),
         "a1light1.pcx: the picture is 120 x 40 pixels; it must be 320 pixels wide and at least "
         "240 high\n",
         "the picture is 120 x 40 pixels, but the show needs this one 320 pixels wide and at "
         "least 240 high. Resize it, e.g. with ImageMagick: convert in.png -resize 320x240! "},
        // Refused by its header, before 1 GiB of pixels is decoded.
        {"header claiming the largest picture", "a1light1.pcx",
         bytes(patched("a1light1.pcx",
                       [](Bytes& b) {
                           b[4] = b[5] = b[6] = b[7] = 0;
                           b[8] = b[10] = 0xFF;
                           b[9] = b[11] = 0x3F;
                       })),
         "a1light1.pcx: the picture is 16384 x 16384 pixels; it must be 320 pixels wide",
         "the picture is 16384 x 16384 pixels, but the show needs this one 320 pixels wide"},
        {"window of 65535 columns read as signed", "a1light1.pcx",
         bytes(patched("a1light1.pcx",
                       [](Bytes& b) {
                           b[4] = b[5] = b[6] = b[7] = 0;
                           b[8] = b[10] = 0xFE;
                           b[9] = b[11] = 0xFF;
                       })),
         "a1light1.pcx: the picture window 0..65534 x 0..65534 is empty\n",
         "the picture window 0..65534 x 0..65534 in its header holds no pixels (the show reads "
         "these numbers as signed, so 32768 and up count as negative)"},
        {"missing object", "env3.lwo", [](const fs::path&) {}, lwo_line, "the file is missing"},
        {"text as object", "env3.lwo", bytes(text("not an object\n")), lwo_line,
         "it is not a LightWave object: it starts with \"not \", not with the FORM ... LWOB "
         "header. Export it as a LightWave 5 object"},
        {"another kind of IFF file", "env3.lwo",
         bytes(Bytes{'F', 'O', 'R', 'M', 0, 0, 0, 4, 'I', 'L', 'B', 'M'}), lwo_line,
         "it is an IFF file of type \"ILBM\", not a LightWave object (type \"LWOB\")"},
        {"empty object", "env3.lwo", bytes({}), lwo_line,
         "the file is empty, not a LightWave object"},
        {"object without points", "env3.lwo", bytes(pointless), "letar.. " + lwo_line,
         "the LightWave object has no points (no PNTS chunk)"},
        {"points only", "env3.lwo",
         bytes(patched("env3.lwo", [&](Bytes& b) { b[pols + 1] = 'X'; })),
         "hittade!\n letar.. " + lwo_line,
         "the object has 960 points but no polygons (no POLS chunk), and the show draws this "
         "one as a surface"},
        {"quad", "env3.lwo", bytes(patched("env3.lwo", [&](Bytes& b) { b[pols + 9] = 4; })),
         "hittade!\n Endast trianglar st\x94"
         "ds ditt pucko!",
         "polygon 0 has 4 corners, but the show draws triangles only"},
        {"index past the points", "env3.lwo",
         bytes(patched("env3.lwo", [&](Bytes& b) { b[pols + 10] = b[pols + 11] = 0xFF; })),
         "env3.lwo: polygon 0 uses point 65535, but there are only ",
         "polygon 0 uses point 65535, but the object has only "},
        {"cut object", "env3.lwo", bytes(Bytes(lwo.begin(), lwo.begin() + pols + 30)),
         "runs past the end of the file\n", "the file is cut short: a chunk of "},
        // Refused by their size, before a byte is read.
        {"huge picture", "a1light1.pcx", sparse(kHuge), pcx_line,
         "it is 2147483648 bytes, more than any picture the show uses (at most 16 MiB)"},
        // Not files: refused by what they are, before a read that could wait
        // for ever (a pipe nobody writes to) or never end (/dev/zero).
        {"endless picture", "a1light1.pcx",
         [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, pcx_line,
         "it is a device, not a regular file. Put the data file of that name in its place"},
        {"named pipe as picture", "a1light1.pcx",
         [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }, pcx_line,
         "it is a named pipe (FIFO), not a regular file. Put the data file of that name in its "
         "place"},
        {"socket as object", "env3.lwo", unix_socket, lwo_line,
         "it is a socket, not a regular file"},
        {"named pipe as module", "vorn.xm",
         [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }, kMusicFailure,
         "it is a named pipe (FIFO), not a regular file", true, "cannot read"},
        {"object one byte too large", "env3.lwo", sparse(kMaxObjectFileBytes + 1), lwo_line,
         "it is 16777217 bytes, more than any LightWave object the show draws (at most 16 MiB)"},
        {"huge module", "vorn.xm", sparse(kHuge), "Midas my ass!, somethings smelly..\n",
         "it is 2147483648 bytes, more than any XM module the show can play (at most 64 MiB)",
         true},
        {"missing module", "vorn.xm", [](const fs::path&) {}, kMusicFailure,
         "the file is missing. Put the show's data files in that folder", true, "cannot read"},
        {"text as module", "vorn.xm", bytes(text("hello\n")), kMusicFailure,
         "it is not an XM module (it does not start with \"Extended Module: \"). The show plays "
         "FastTracker 2 XM modules",
         true},
        {"module cut in its patterns", "vorn.xm", bytes(Bytes(xm.begin(), xm.begin() + 2000)),
         kMusicFailure,
         "its XM header or patterns are damaged or cut short (the file is 2000 bytes). Replace "
         "it with a whole copy",
         true},
    };

    const fs::path root = fs::temp_directory_path() / ("vorn-broken-" + std::to_string(getpid()));
    fs::remove_all(root);
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path dir = root / std::to_string(index++);
        link_data_except(dir, c.file);
        c.make(dir / c.file);
        const fs::path err = dir / "stderr.txt";
        const std::string action = c.records
                                       ? "--frames '" + (dir / "frames").string() + "' --to 1"
                                       : "--still 3:100 --out '" + (dir / "a.png").string() + "'";
        // Under a timeout: a file that keeps the program waiting fails the
        // case (status 124) instead of the whole test run.
        const CommandResult r =
            run_command(std::string("timeout -k 10 120 '") + VORN_BINARY + "' " + action +
                        " --data '" + dir.string() + "' 2>'" + err.string() + "'");
        std::ifstream in(err);
        const std::string error_text{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
        EXPECT_EQ(r.status, 255);
        // Only the failing file's lines: a still prints no progress.
        const std::string file = c.file;
        const std::string start = file.ends_with(".pcx") ? "F\x94rs\x94ker \x94ppna: " + file + "\n"
                                  : file.ends_with(".lwo") ? "Laddar " + file + "\n"
                                                           : "";
        EXPECT_EQ(r.out.rfind(start, 0), 0u) << r.out;
        EXPECT_NE(r.out.find(c.show_message), std::string::npos) << r.out;
        const std::string line =
            std::string("vorn: ") + c.verb + " " + (dir / c.file).string() + ": " + c.reason;
        EXPECT_EQ(error_text.rfind(line, 0), 0u) << error_text;
        EXPECT_EQ(std::count(error_text.begin(), error_text.end(), '\n'), 1) << error_text;
        // None was read whole (the huge ones would take gigabytes).
        EXPECT_LT(peak_child_memory(), uint64_t{512} << 20);
    }

    // What the show can use loads: points without polygons where the scene
    // wants no polygons, and a picture and an object of the largest size read.
    const struct {
        const char* label;
        const char* file;
        std::function<void(const fs::path&)> make;
    } fine[] = {
        {"points only", "2plan.lwo",
         bytes(patched("env3.lwo", [&](Bytes& b) { b[pols + 1] = 'X'; }))},
        {"picture at the size limit", "a1light1.pcx",
         padded("a1light1.pcx", kMaxPictureFileBytes, 769)},
        {"object at the size limit", "env3.lwo", padded("env3.lwo", kMaxObjectFileBytes, 0)},
    };
    for (const auto& c : fine) {
        SCOPED_TRACE(c.label);
        const fs::path dir = root / std::to_string(index++);
        link_data_except(dir, c.file);
        c.make(dir / c.file);
        const CommandResult ok =
            run_command(std::string("'") + VORN_BINARY + "' --still 3:100 --out '" +
                        (dir / "a.png").string() + "' --data '" + dir.string() + "' 2>&1");
        EXPECT_EQ(ok.status, 0) << ok.out;
        EXPECT_EQ(ok.out, "");
    }

    // A module cut short in its samples still plays, with a warning that
    // names what is missing.
    for (const size_t percent : {50, 90}) {
        SCOPED_TRACE(percent);
        const fs::path dir = root / std::to_string(index++);
        link_data_except(dir, "vorn.xm");
        const size_t kept = xm.size() * percent / 100;
        bytes(Bytes(xm.begin(), xm.begin() + static_cast<long>(kept)))(dir / "vorn.xm");
        const CommandResult r = run_command(std::string("'") + VORN_BINARY +
                                            "' --timeline --data '" + dir.string() + "' 2>&1");
        EXPECT_EQ(r.status, 0);
        const std::string warning = "vorn: warning: " + (dir / "vorn.xm").string() +
                                    " is cut short: the file holds " + std::to_string(kept) +
                                    " bytes but its instruments need at least ";
        EXPECT_EQ(r.out.rfind(warning, 0), 0u) << r.out;
    }
    fs::remove_all(root);
}

} // namespace
