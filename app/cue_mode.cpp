// The cue sheet modes (see cue_mode.h). The copy is checked before it is
// written: played through libxmp beside the original, every sample must be
// the same. It is written under a name of its own and linked to OUT.xm, so
// a file of that name that appears meanwhile is never replaced.
#include "app/cue_mode.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "app/exit_status.h"
#include "app/timeline.h"
#include "music/cue_sheet.h"
#include "music/music_timeline.h"
#include "music/xm_cues.h"
#include "music/xm_sync.h"
#include "music/xmp_player.h"

namespace {

// The module read and known to play; null after saying why.
std::shared_ptr<const FileRead> read_playable(const std::string& path, std::string& error) {
    const std::shared_ptr<const FileRead> file = read_module_file(path.c_str());
    XmpPlayer player;
    if (!player.load_file(path.c_str(), file) || !player.start(8000)) {
        error = player.error();
        return nullptr;
    }
    return file;
}

// Whether the two modules play the same samples, tick by tick, through the
// song's first pass (the W commands blanked, as the show plays them).
bool sound_the_same(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    XmpPlayer pa, pb;
    if (!pa.load(a) || !pb.load(b) || !pa.start(48000) || !pb.start(48000)) return false;
    for (;;) {
        const bool more_a = pa.play_tick(), more_b = pb.play_tick();
        if (more_a != more_b) return false;
        if (!more_a) return true;
        if (pa.info().loop_count != pb.info().loop_count ||
            pa.sample_frames() != pb.sample_frames() ||
            std::memcmp(pa.samples(), pb.samples(), pa.sample_frames() * 4) != 0)
            return false;
        if (pa.info().loop_count > 0) return true;
    }
}

bool ends_in_xm(const std::string& path) {
    std::string ending = std::filesystem::path(path).extension().string();
    std::transform(ending.begin(), ending.end(), ending.begin(), ::tolower);
    return ending == ".xm";
}

// Writes `bytes` to `path`, which must not exist: through a name of its own
// beside it, then a hard link, which fails rather than replace a file.
bool write_new_file(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& error) {
    const std::string part = path + "." + std::to_string(getpid()) + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + part + ": " + std::strerror(errno);
            std::remove(part.c_str());
            return false;
        }
    }
    const bool linked = link(part.c_str(), path.c_str()) == 0;
    const int why = errno;
    std::remove(part.c_str());
    if (!linked)
        error = why == EEXIST ? path + " appeared while the copy was made; it is left as it is"
                              : "cannot write " + path + ": " + std::strerror(why);
    return linked;
}

} // namespace

int write_cue_sheet(const std::string& sheet_path, const std::string& module_path,
                    const std::string& out_path) {
    struct stat st;
    if (!ends_in_xm(out_path))
        return refuse("cannot write \"" + out_path + "\": the file name must end in .xm",
                      kExitBadRequest);
    if (lstat(out_path.c_str(), &st) == 0)
        return refuse(out_path + " already exists: --cues writes only a new file, and never "
                                 "over the module it reads. Name another --out",
                      kExitBadRequest);
    std::ifstream in(sheet_path, std::ios::binary);
    if (!in)
        return refuse("cannot read " + sheet_path + ": " + std::strerror(errno), kExitBadRequest);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string error;
    const std::shared_ptr<const FileRead> module = read_playable(module_path, error);
    if (!module) return refuse(error, kExitBadData);

    std::vector<Cue> cues;
    std::vector<std::string> errors;
    parse_cue_sheet(text, cues, errors);
    const std::vector<RowVisit> rows = row_timeline(module->bytes);
    std::vector<PlacedCue> placed;
    for (const Cue& c : cues) {
        if (!c.timed) {
            placed.push_back({c.order, c.row, c.value});
            continue;
        }
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&c](const RowVisit& r) { return r.start_ms >= c.ms; });
        if (row == rows.end()) {
            errors.push_back(std::to_string(c.line) + ": the song's first pass ends at " +
                             minutes_seconds(rows.empty() ? 0 : rows.back().start_ms) +
                             ", before " + minutes_seconds(c.ms));
            continue;
        }
        if (row->start_ms != c.ms)
            std::printf("%s:%d: %s is placed on order %d, row %d, which starts at %s\n",
                        sheet_path.c_str(), c.line, minutes_seconds(c.ms).c_str(), row->position,
                        row->row, minutes_seconds(row->start_ms).c_str());
        placed.push_back({row->position, row->row, c.value});
    }
    for (const std::string& e : errors)
        refuse(sheet_path + ":" + e, kExitBadRequest);
    if (!errors.empty()) return kExitBadRequest;

    std::vector<uint8_t> copy;
    int failed = -1;
    if (!write_xm_cues(module->bytes, placed, copy, failed, error))
        return refuse(failed < 0 ? "cannot place cues in " + module_path + ": " + error
                                 : sheet_path + ":" +
                                       std::to_string(cues[static_cast<size_t>(failed)].line) +
                                       ": " + error,
                      kExitBadRequest);
    if (!sound_the_same(module->bytes, copy))
        return refuse("the copy with the cues would not sound exactly as " + module_path +
                          " does, so nothing was written",
                      kExitFailed);
    if (!write_new_file(out_path, copy, error)) return refuse(error, kExitFailed);
    std::printf("vorn: wrote %s: %zu cue%s\n", out_path.c_str(), placed.size(),
                placed.size() == 1 ? "" : "s");
    return kExitDone;
}

int print_cue_sheet(const std::string& module_path) {
    std::string error;
    const std::shared_ptr<const FileRead> module = read_playable(module_path, error);
    if (!module) return refuse(error, kExitBadData);
    XmSync sync;
    read_xm_sync(module->bytes.data(), module->bytes.size(), sync, nullptr);
    std::map<std::pair<int, int>, int64_t> first_played;
    for (const RowVisit& r : row_timeline(module->bytes))
        first_played.emplace(std::make_pair(r.position, r.row), r.start_ms);
    std::vector<CueLine> lines;
    for (int o = 0; o < static_cast<int>(sync.orders.size()); ++o) {
        const int pattern = sync.orders[static_cast<size_t>(o)];
        for (int r = 0; r < 256; ++r) {
            const auto played = first_played.find({o, r});
            for (uint8_t v : sync.at(pattern, r))
                lines.push_back({o, r, v, played == first_played.end() ? -1 : played->second});
        }
    }
    std::fputs(format_cue_sheet(lines).c_str(), stdout);
    return kExitDone;
}
