// Faults a recording must survive, as a user meets them: Ctrl+C over an
// earlier recording, a stop before the first frame, music that ends the show
// at once or has no song, two runs writing one name or one folder, kill -9,
// a full disk, outputs refused before any work. One table: each case
// prepares a folder, runs a shell script with the program, and states the
// exit status, a piece of the message and the files left; some look into the
// files as well.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <set>

#include "media_probe.h"
#include "record_test_support.h"

using namespace record_test;

namespace {

// Shell functions the scripts use: $V runs the program on the folder's data;
// `started GLOB` waits until a file matching GLOB exists, `grown GLOB BYTES`
// until it is at least that large, however long a busy machine takes (the
// test's time limit guards against a hang); both give up when the run $p
// they wait for has ended.
const char* const kPreamble =
    "V=\"$VORN --data .\"\n"
    "started() { until ls $1 >/dev/null 2>&1; do kill -0 $p 2>/dev/null || return 1; "
    "sleep 0.05; done; }\n"
    "grown() { until [ $(cat $1 2>/dev/null | wc -c) -ge $2 ]; do kill -0 $p 2>/dev/null || "
    "return 1; sleep 0.05; done; }\n";

// The files in `d` other than the show's data and the scripts' err*.txt,
// sorted, with process numbers written as PID.
std::string files_left(const fs::path& d) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(d)) {
        const std::string rel = fs::relative(e.path(), d).string();
        const std::string ext = e.path().extension().string();
        if (ext == ".pcx" || ext == ".lwo" || rel == "vorn.xm" || rel == "real.pcx" ||
            rel == "run.sh" || rel.rfind("err", 0) == 0 || e.is_directory())
            continue;
        names.insert(std::regex_replace(rel, std::regex("\\.[0-9]+\\.part"), ".PID.part"));
    }
    std::string list;
    for (const std::string& n : names)
        list += (list.empty() ? "" : " ") + n;
    return list;
}

// The number in "N frames (" of a summary line.
long frames_said(const std::string& out) {
    const size_t at = out.find(" frames (");
    if (at == std::string::npos) return -1;
    return std::stol(out.substr(out.rfind(' ', at - 1) + 1));
}

uint32_t le32(const fs::path& p, size_t at) {
    std::ifstream in(p, std::ios::binary);
    uint8_t b[4] = {};
    in.seekg(static_cast<std::streamoff>(at));
    in.read(reinterpret_cast<char*>(b), 4);
    return static_cast<uint32_t>(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24);
}

// Frames 0..n-1 and sound.wav in folder f, with `more`, as files_left()
// lists them.
std::string frames_listing(long n, const std::string& more = "") {
    std::set<std::string> names{"f/sound.wav"};
    if (!more.empty()) names.insert(more);
    char name[32];
    for (long i = 0; i < n; ++i) {
        std::snprintf(name, sizeof name, "f/frame_%06ld.png", i);
        names.insert(name);
    }
    std::string list;
    for (const std::string& s : names)
        list += (list.empty() ? "" : " ") + s;
    return list;
}

// A PNG file ends with its IEND chunk (and that chunk's CRC).
bool png_whole(const fs::path& png) {
    std::ifstream in(png, std::ios::binary);
    char end[4] = {};
    in.seekg(-8, std::ios::end);
    in.read(end, 4);
    return std::string(end, 4) == "IEND";
}

// Whether an MP4 file is whole boxes up to its end, the last not cut short.
bool mp4_whole(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    const uint64_t size = fs::file_size(p);
    uint64_t at = 0;
    while (at + 8 <= size) {
        uint8_t h[16] = {};
        in.seekg(static_cast<std::streamoff>(at));
        in.read(reinterpret_cast<char*>(h), sizeof h);
        uint64_t box = 0;
        for (int i = 0; i < 4; ++i)
            box = box << 8 | h[i];
        if (box == 1) // a 64-bit size follows the type
            for (int i = 8; i < 16; ++i)
                box = box << 8 | h[i];
        if (box < 8) return false;
        at += box;
    }
    return at == size;
}
bool wav_whole(const fs::path& wav) {
    return fs::file_size(wav) > 44 && le32(wav, 40) == fs::file_size(wav) - 44;
}

XmTestModule first_row_ends_the_show() {
    XmTestModule m = module(2);
    m.cell(0, 0, 3) = {0, 0, 0, W, 31};
    return m;
}

XmTestModule no_song() {
    XmTestModule m = module(2);
    m.orders.clear();
    return m;
}

// Whether this process can mount a small tmpfs (root in CI), for the full
// disk; the case is skipped with the reason where it cannot.
bool can_mount() {
    return geteuid() == 0;
}

struct FaultCase {
    const char* name;
    XmTestModule music;
    std::string script; // run in the case's folder; its exit status is checked
    int status;
    const char* message; // a piece of the output
    std::string files;   // files_left() afterwards
    std::function<void(const fs::path& d, const std::string& out)> check;
    bool needs_mount = false;
    // The folder "ro" takes no new files: made read-only, or for root, who
    // may write into it anyway, a read-only tmpfs. The output says DENIED
    // for the system's reason.
    bool read_only = false;
};

} // namespace

TEST(RecordFaults, EachLeavesNothingTheUsersFileOrAWholeRecording) {
    const std::string long_run = " --fps 240 --scale 2 "; // module(250, true): two minutes
    const std::vector<FaultCase> cases = {
        {"Ctrl+C keeps the finished file and any earlier partial one", module(250, true),
         "$V --record s.mp4 --to 1 --scale 1 2>err0.txt && cp s.mp4 before.mp4 && "
         "echo mine > s.partial.mp4 && { $V --record s.mp4" +
             long_run + "& p=$!; started 's.*.part.mp4'; sleep 2; kill -INT $p; wait $p; }",
         130, "s.partial-2.mp4 holds what was recorded",
         "before.mp4 s.mp4 s.partial-2.mp4 s.partial.mp4",
         [](const fs::path& d, const std::string& out) {
             EXPECT_EQ(probe_media((d / "s.mp4").string()).video_sum,
                       probe_media((d / "before.mp4").string()).video_sum);
             std::ifstream mine(d / "s.partial.mp4");
             EXPECT_EQ(std::string(std::istreambuf_iterator<char>(mine), {}), "mine\n");
             const MediaProbe cut = probe_media((d / "s.partial-2.mp4").string());
             EXPECT_GT(cut.frames, 0);
             EXPECT_EQ(cut.frames, frames_said(out));
         }},
        {"a stop while it waits before the first frame leaves nothing", module(2),
         // Standard error is a pipe that is full and read by nobody yet: the
         // note that an earlier run's empty working file is removed waits on
         // it when the signal comes; the pipe is read from then on.
         ": > s.99999999.part.mkv && mkfifo err.pipe && exec 3<>err.pipe && "
         "{ dd if=/dev/zero of=err.pipe bs=4096 count=1024 oflag=nonblock 2>/dev/null; "
         "$V --record s.mkv 2>&3 & p=$!; "
         "for i in $(seq 600); do [ -e s.99999999.part.mkv ] || break; sleep 0.05; done; "
         "kill -TERM $p; tr -d '\\000' <err.pipe >&2 3>&- & t=$!; wait $p; s=$?; exec 3>&-; "
         "wait $t; exit $s; }",
         143, "nothing recorded: stopped before the first frame", "", nullptr},
        // Refused in one line before any work (status 1, nothing made):
        // a folder under the name asked for, a folder that takes no files.
        {"a recording to a folder's name is refused before any frame", module(2),
         "mkdir s.mp4 && $V --record s.mp4", 1, "it is a folder. Name a file for the recording", "",
         [](const fs::path& d, const std::string& out) {
             EXPECT_EQ(out, "vorn: cannot write " + (d / "s.mp4").string() +
                                ": it is a folder. Name a file for the recording, e.g. " +
                                (d / "s.mp4/show.mp4").string() + "\n");
             EXPECT_TRUE(fs::is_empty(d / "s.mp4"));
         }},
        {"a recording into a folder that takes no files is refused before any frame", module(2),
         "$V --record ro/s.mkv; a=$?; $V --frames ro; b=$?; $V --frames ro/f; c=$?; "
         "exit $((a * 100 + b * 10 + c))",
         111, "the folder cannot be written to (DENIED)", "",
         [](const fs::path& d, const std::string& out) {
             EXPECT_EQ(out, "vorn: cannot write " + (d / "ro/s.mkv").string() + ": the folder " +
                                (d / "ro").string() +
                                " cannot be written to (DENIED). Record into a "
                                "folder of your own\n"
                                "vorn: cannot write frames into " +
                                (d / "ro").string() +
                                ": the folder cannot be written to (DENIED). Record "
                                "into a folder of your own\n"
                                "vorn: cannot write " +
                                (d / "ro/f").string() + ": DENIED\n");
             EXPECT_TRUE(fs::is_empty(d / "ro"));
         },
         false, true},
        {"music that ends the show on its first row leaves nothing", first_row_ends_the_show(),
         "$V --record s.mp4 && exit 9; s=$?; $V --frames f; [ $? = $s ] && exit $s; exit 8", 1,
         "nothing recorded: the music ends the show before its first frame", "", nullptr},
        {"a song of length 0 leaves nothing", no_song(), "$V --record s.mp4", 255,
         "its song is empty (song length 0, no order positions)", "", nullptr},
        {"two runs to one .mp4 both finish into their own files; the last one stays", module(8),
         "$V --record s.mp4 --to 1 --scale 1 2>err0.txt; "
         "$V --record s.mp4 --fps 30 --scale 1 & p=$!; $V --record s.mp4 --fps 30 --scale 1; "
         "a=$?; wait $p; exit $((a + $?))",
         0, "it replaces the earlier file of that name", "s.mp4",
         [](const fs::path& d, const std::string& out) {
             EXPECT_EQ(probe_media((d / "s.mp4").string()).frames, 114) << out;
             size_t replaced = 0;
             for (size_t at = 0; (at = out.find("replaces the earlier", at)) != std::string::npos;
                  ++at)
                 ++replaced;
             EXPECT_EQ(replaced, 2u) << out;
         }},
        {"two runs to one .mkv likewise", module(8),
         "$V --record s.mkv --fps 30 --scale 1 & p=$!; $V --record s.mkv --fps 30 --scale 1; "
         "a=$?; wait $p; exit $((a + $?))",
         0, "recorded", "s.mkv",
         [](const fs::path& d, const std::string&) {
             EXPECT_EQ(probe_media((d / "s.mkv").string()).frames, 114);
         }},
        {"--frames refuses a folder holding a recording and keeps it", module(8),
         "$V --frames f --fps 10 --to 1 2>err0.txt && $V --frames f --fps 10 --to 2", 1,
         "it is not empty (6 files, such as", frames_listing(5), nullptr},
        {"--frames --overwrite stopped midway leaves only its own frames, and a whole WAV",
         module(250, true),
         "$V --frames f --fps 10 --to 3 2>err0.txt && echo note > f/notes.txt && "
         "{ $V --frames f --overwrite" +
             long_run + "& p=$!; started f/frame_000300.png; kill -INT $p; wait $p; }",
         130, "holds what was recorded", "",
         [](const fs::path& d, const std::string& out) {
             const long n = frames_said(out);
             EXPECT_GT(n, 300) << out;
             EXPECT_EQ(files_left(d), frames_listing(n, "f/notes.txt"));
             EXPECT_TRUE(wav_whole(d / "f/sound.wav"));
         }},
        {"a second --frames run into a folder in use is refused", module(250, true),
         "$V --frames f" + long_run +
             "2>err0.txt & p=$!; started f/frame_000010.png; $V --frames f --overwrite; s=$?; "
             "kill -INT $p; wait $p; exit $s",
         1, "another vorn is recording into it right now", "",
         [](const fs::path& d, const std::string&) {
             EXPECT_TRUE(fs::exists(d / "f/frame_000010.png"));
             EXPECT_TRUE(wav_whole(d / "f/sound.wav"));
         }},
        {"kill -9 leaves a working .mp4 that plays, which the next run names", module(250, true),
         "$V --record k.mp4 --fps 60 --scale 1 2>err0.txt & p=$!; started 'k.*.part.mp4'; "
         "grown 'k.*.part.mp4' 300000; kill -9 $p; wait $p; $V --record k.mkv --to 1 --scale 1 "
         "2>err1.txt; $V --record k.mp4 --to 1 --scale 1",
         0, "is what an earlier run recorded before it was killed", "k.PID.part.mp4 k.mkv k.mp4",
         [](const fs::path& d, const std::string&) {
             for (const auto& e : fs::directory_iterator(d)) {
                 if (e.path().string().find(".part.mp4") != std::string::npos) {
                     EXPECT_GT(probe_media(e.path().string()).frames, 60) << e.path();
                     // Every fragment written is in the file whole: none
                     // waits in a write buffer, so only the one being
                     // gathered and the frames in the encoder are lost.
                     EXPECT_TRUE(mp4_whole(e.path())) << e.path();
                 }
             }
         }},
        {"kill -9 of --frames leaves whole frames and a WAV that plays", module(250, true),
         "$V --frames f --fps 60 --scale 1 & p=$!; started f/frame_000400.png; kill -9 $p; "
         "wait $p; exit 0",
         0, "", "",
         [](const fs::path& d, const std::string&) {
             const fs::path wav = d / "f/sound.wav";
             EXPECT_GE(le32(wav, 40), 2u * 48000 * 4); // at least two seconds counted
             EXPECT_LE(le32(wav, 40), fs::file_size(wav) - 44);
             // Every frame under its own name is whole; one cut short keeps
             // the name it was written under, NAME.png.part.
             for (const auto& e : fs::directory_iterator(d / "f")) {
                 if (e.path().extension() == ".png") {
                     EXPECT_TRUE(png_whole(e.path())) << e.path();
                 }
             }
         }},
        {"a full disk leaves nothing, for a file and for frames", module(8),
         "$V --record full/s.mp4 2>err0.txt; a=$?; $V --frames full/f; b=$?; "
         "cat err0.txt >&2; exit $((a * 10 + b))",
         11, "No space left on device", "", nullptr, true},
        {"--frames does not create a missing parent", module(2), "$V --frames missing/f", 1,
         "the folder "
         "MISSING"
         " does not exist",
         "", nullptr},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path d = show_dir("record-faults", c.music);
        std::string denied = "Permission denied";
        if (c.read_only) {
            fs::create_directories(d / "ro");
            if (geteuid() != 0) {
                fs::permissions(d / "ro", fs::perms::all, fs::perm_options::remove);
                fs::permissions(d / "ro", fs::perms::owner_read | fs::perms::owner_exec,
                                fs::perm_options::add);
            } else if (mount("tmpfs", (d / "ro").c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0) {
                denied = "Read-only file system";
            } else {
                std::printf("[ SKIPPED  ] %s: a read-only tmpfs cannot be mounted here\n", c.name);
                continue;
            }
        }
        if (c.needs_mount) {
            fs::create_directories(d / "full");
            if (!can_mount() || mount("tmpfs", (d / "full").c_str(), "tmpfs", 0, "size=256k")) {
                std::printf("[ SKIPPED  ] %s: a small tmpfs cannot be mounted here (not root)\n",
                            c.name);
                continue;
            }
        }
        std::ofstream(d / "run.sh") << kPreamble << c.script << "\n";
        CommandResult r =
            run_command("cd '" + d.string() + "' && VORN=" + vorn() + " sh run.sh 2>&1 >/dev/null");
        if (c.read_only) {
            for (size_t at; (at = r.out.find(denied)) != std::string::npos;)
                r.out.replace(at, denied.size(), "DENIED");
            if (geteuid() == 0)
                umount((d / "ro").c_str());
            else
                fs::permissions(d / "ro", fs::perms::owner_all, fs::perm_options::add);
        }
        std::string message = c.message;
        const size_t at = message.find("MISSING");
        if (at != std::string::npos) message.replace(at, 7, (d / "missing").string());
        // One line per case in the log: what a user would see and find.
        std::string last_line = r.out.substr(0, r.out.size() - (r.out.ends_with('\n') ? 1 : 0));
        last_line = last_line.substr(
            last_line.rfind('\n') == std::string::npos ? 0 : last_line.rfind('\n') + 1);
        std::printf("[ CASE     ] %s: status %d; \"%s\"; left: %s\n", c.name, r.status,
                    last_line.c_str(), files_left(d).c_str());
        EXPECT_EQ(r.status, c.status) << r.out;
        EXPECT_NE(r.out.find(message), std::string::npos) << r.out;
        if (c.needs_mount) {
            EXPECT_TRUE(fs::is_empty(d / "full"));
            umount((d / "full").c_str());
        }
        if (c.check) c.check(d, r.out);
        if (!c.check || !c.files.empty()) {
            EXPECT_EQ(files_left(d), c.files);
        }
    }
}
