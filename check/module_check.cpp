// Judging the music of the show's data files (see module_check.h). The module is
// walked twice as fast as libxmp renders: once for its sync values, once for
// the length of the show it makes.
#include "check/module_check.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "assets/load_report.h"
#include "check/scene_flags.h"
#include "core/sync.h"
#include "core/time_text.h"
#include "music/music_timeline.h"
#include "music/xm_sync.h"
#include "music/xmp_player.h"
#include "scenes/consumed_flags.h"
#include "scenes/scenes.h"

namespace {

const char* const kModule = "vorn.xm";

std::string at(const SyncEvent& e) {
    return minutes_seconds(e.time_ms) + " (order " + std::to_string(e.position) + ", row " +
           std::to_string(e.row) + ")";
}

std::string scene_name(int scene) {
    return "scene " + std::to_string(scene);
}

// One stretch of the music during which a scene plays.
struct Stretch {
    int scene;
    int64_t start_ms;
    int first_order;
};

// What the walk learns about each of the show's scenes.
struct SceneLog {
    std::vector<Stretch> stretches;
    std::array<int, kSyncFlagCount + 1> raised{};      // times flag k was raised while it played
    std::array<SyncEvent, kSyncFlagCount + 1> first{}; // the first time each was
    std::array<bool, kSyncFlagCount + 1> carried_in{}; // it met flag k raised before it began
};

// Follows the sync values row by row as the show applies them: the scene a
// row selects plays from that row, and a flag raised on it is seen by the
// scene in force after the row. A flag stays raised until a scene that reads
// it clears it.
class Walk {
  public:
    Walk(const std::vector<SyncEvent>& events, std::vector<Finding>& out) : out_(out) {
        open(0, 0, 0);
        for (size_t i = 0; i < events.size();) {
            size_t end = i;
            while (end < events.size() && events[end].position == events[i].position &&
                   events[end].row == events[i].row && events[end].time_ms == events[i].time_ms)
                ++end;
            row(events.data() + i, events.data() + end);
            i = end;
        }
    }

    std::array<SceneLog, kSceneCount> scenes;
    std::vector<std::string> timeline; // "0 at 0:00.00", ... in playing order
    std::optional<SyncEvent> end;      // the W 31 that ends the show

  private:
    void open(int scene, int64_t ms, int order) {
        // A scene left on the row it was selected on never draws a frame.
        if (!timeline.empty() && start_ms_ == ms) {
            timeline.pop_back();
            if (scene_ < kSceneCount) scenes[static_cast<size_t>(scene_)].stretches.pop_back();
        }
        scene_ = scene;
        start_ms_ = ms;
        timeline.push_back(std::to_string(scene) + " at " + minutes_seconds(ms));
        if (scene >= kSceneCount) return;
        scenes[static_cast<size_t>(scene)].stretches.push_back({scene, ms, order});
        // Flags raised before it began, still up: it acts on them at once.
        for (int k = 1; k <= kSyncFlagCount; ++k)
            if (up_[k] && scene_flag_effect(scene, k)) take(k, ms);
    }

    // Scene `scene_` reads flag k raised by `raised_[k]` and clears it if it consumes it.
    void take(int k, int64_t ms) {
        const SyncEvent& e = raised_[k];
        if (e.time_ms < scenes[static_cast<size_t>(scene_)].stretches.back().start_ms) {
            scenes[static_cast<size_t>(scene_)].carried_in[static_cast<size_t>(k)] = true;
            if (!scene_flag_effect(raised_in_[k], k))
                out_.push_back(
                    {Level::warning, scene_name(scene_),
                     "flag " + std::to_string(k) + ", raised at " + at(e) + " in " +
                         scene_name(raised_in_[k]) + ", which does not read it, stays raised: " +
                         scene_name(scene_) + " acts on it as it starts at " + minutes_seconds(ms) +
                         " (" + scene_flag_effect(scene_, k) + ")"});
        }
        if (scene_consumed_flags(scene_) & (1u << k)) up_[k] = false;
    }

    void row(const SyncEvent* first, const SyncEvent* last) {
        int scene = scene_;
        for (const SyncEvent* e = first; e != last; ++e) {
            if (e->value == kSceneEnd) {
                end = *e;
                break; // nothing after the end undoes it
            }
            if (e->value < kSceneEnd) {
                scene = e->value;
                if (scene >= kSceneCount)
                    out_.push_back({Level::warning, kModule,
                                    "W " + std::to_string(scene) + " at " + at(*e) +
                                        " selects scene " + std::to_string(scene) +
                                        ", which the show does not have: the picture stands still "
                                        "until the next scene value"});
            } else if (e->value > kSceneEnd + kSyncFlagCount) {
                out_.push_back({Level::warning, kModule,
                                "W " + std::to_string(e->value) + " at " + at(*e) +
                                    " does nothing (0 to 31 select a scene, 32 to 40 raise flags "
                                    "1 to 9)"});
            }
        }
        if (end) return;
        if (scene != scene_) open(scene, first->time_ms, first->position);
        for (const SyncEvent* e = first; e != last; ++e) {
            if (e->value <= kSceneEnd || e->value > kSceneEnd + kSyncFlagCount) continue;
            const int k = e->value - kSceneEnd;
            up_[k] = true;
            raised_[k] = *e;
            raised_in_[k] = scene_;
            if (scene_ >= kSceneCount) continue;
            SceneLog& log = scenes[static_cast<size_t>(scene_)];
            if (log.raised[static_cast<size_t>(k)]++ == 0) log.first[static_cast<size_t>(k)] = *e;
            if (scene_flag_effect(scene_, k)) take(k, e->time_ms);
        }
    }

    std::vector<Finding>& out_;
    int scene_ = 0;
    int64_t start_ms_ = 0;
    std::array<bool, kSyncFlagCount + 1> up_{};
    std::array<SyncEvent, kSyncFlagCount + 1> raised_{};
    std::array<int, kSyncFlagCount + 1> raised_in_{};
};

// Per scene: when it plays, the flags raised meanwhile, which of them it
// does not read, and the flags it reads that never come.
void report_scenes(const Walk& walk, std::vector<Finding>& out) {
    for (int s = 0; s < kSceneCount; ++s) {
        const SceneLog& log = walk.scenes[static_cast<size_t>(s)];
        if (log.stretches.empty()) {
            out.push_back({Level::note, scene_name(s), "the music never selects it"});
            continue;
        }
        std::string when, raised;
        for (const Stretch& st : log.stretches)
            when += (when.empty() ? "" : ", ") + minutes_seconds(st.start_ms) + " (order " +
                    std::to_string(st.first_order) + ")";
        for (int k = 1; k <= kSyncFlagCount; ++k)
            if (log.raised[static_cast<size_t>(k)])
                raised += (raised.empty() ? "" : ", ") + std::to_string(k) + " x" +
                          std::to_string(log.raised[static_cast<size_t>(k)]);
        out.push_back(
            {Level::ok, scene_name(s),
             "starts at " + when + "; flags raised: " + (raised.empty() ? "none" : raised)});
        for (int k = 1; k <= kSyncFlagCount; ++k) {
            const size_t i = static_cast<size_t>(k);
            const char* effect = scene_flag_effect(s, k);
            if (log.raised[i] && !effect)
                out.push_back({Level::warning, scene_name(s),
                               "does not read flag " + std::to_string(k) + ", raised " +
                                   std::to_string(log.raised[i]) +
                                   " times while it plays (first at " + at(log.first[i]) + ")"});
            if (effect && !log.raised[i] && !log.carried_in[i])
                out.push_back({Level::warning, scene_name(s),
                               "reads flag " + std::to_string(k) + " (" + effect +
                                   "), but the music never raises it while this scene plays"});
        }
    }
}

// Loads and starts the module held in memory, or says why not, in the
// player's words without a path.
std::optional<std::string> load_in_memory(XmpPlayer& player, const FileRead& file) {
    if (file.too_large)
        return too_large_reason(file.size, kMaxModuleFileBytes, "XM module the show can play") +
               ". Use a FastTracker 2 XM module of at most " +
               std::to_string(kMaxModuleFileBytes >> 20) + " MiB";
    if (!file.read()) return read_failure_reason(file);
    if (!player.load(file.bytes) || !player.start(8000)) return player.error();
    return std::nullopt;
}

} // namespace

std::vector<Finding> check_module_bytes(const std::vector<uint8_t>& module) {
    std::vector<Finding> out;
    XmSync sync;
    read_xm_sync(module.data(), module.size(), sync, nullptr);
    const std::vector<SyncEvent> events =
        walk_sync_timeline(module, std::numeric_limits<int64_t>::max());
    const int64_t length = show_length_ms(module, {}, std::nullopt);
    Walk walk(events, out);
    std::string scenes;
    for (const std::string& s : walk.timeline)
        scenes += (scenes.empty() ? "" : ", ") + s;
    out.insert(out.begin(),
               {Level::ok, kModule,
                std::to_string(sync.channels) + " channels, " +
                    std::to_string(sync.pattern_rows.size()) + " patterns, " +
                    std::to_string(sync.orders.size()) + " order positions; the show runs " +
                    minutes_seconds(length) + "; scenes: " + scenes});
    if (walk.end && walk.end->time_ms == 0)
        out.push_back({Level::error, kModule,
                       "the show ends on its first row (W 31 at " + at(*walk.end) +
                           "): nothing plays. Move the W 31 to where the show should end"});
    else if (walk.end)
        out.push_back({Level::ok, kModule, "the show ends with the W 31 at " + at(*walk.end)});
    else
        out.push_back({Level::warning, kModule,
                       "there is no W 31, so the show never ends: the music starts again after " +
                           minutes_seconds(length) +
                           " and the show plays on (a recording stops there). Put a W 31 where "
                           "the show should end"});
    report_scenes(walk, out);
    return out;
}

std::vector<Finding> check_module(const CheckFiles& files) {
    const auto file = std::make_shared<const FileRead>(files.read(kModule, kMaxModuleFileBytes));
    XmpPlayer player;
    if (files.in_folder) {
        if (!player.load_file(kModule, file) || !player.start(8000))
            return {{Level::error, kModule, "does not load: " + player.error()}};
    } else if (const std::optional<std::string> why = load_in_memory(player, *file)) {
        return {{Level::error, kModule, "does not load: " + *why}};
    }
    player.stop();
    return check_module_bytes(file->bytes);
}
