// Checking changed data files and setting the show up again with them (see
// data_reload.h).
#include "app/data_reload.h"

#include <algorithm>
#include <cstdio>

#include "check/data_check.h"
#include "music/xmp_player.h"
#include "scenes/scenes.h"

namespace {

constexpr const char* kModule = "vorn.xm";

// Said on standard error in full, and over the picture in short.
void refuse_reload(ShowPlayer& player, const std::string& file, const std::string& why) {
    std::fprintf(stderr, "vorn: --watch: %s %s; the show goes on with the files it had\n",
                 file.c_str(), why.c_str());
    player.tell(file + " refused (see the terminal)");
}

// Every picture and object loads: false, with each that does not named.
bool pictures_and_objects_load(ShowPlayer& player) {
    const std::vector<Finding> findings = check_pictures_and_objects(working_folder_files());
    bool all = true;
    for (const Finding& f : findings)
        if (f.level == Level::error) {
            refuse_reload(player, f.subject, f.text);
            all = false;
        }
    return all;
}

} // namespace

bool reload_data(ShowPlayer& player, const std::vector<std::string>& changed,
                 const PutModule& put_module) {
    const bool module_changed = std::find(changed.begin(), changed.end(), kModule) != changed.end();
    const bool others_changed = changed.size() > (module_changed ? 1u : 0u);
    if (others_changed && !pictures_and_objects_load(player)) return false;
    std::shared_ptr<const FileRead> module;
    if (module_changed) {
        module = read_module_file(kModule);
        XmpPlayer trial;
        std::string error;
        if (!trial.load_file(kModule, module) || !trial.start(8000)) {
            refuse_reload(player, kModule, "is refused: " + trial.error());
            return false;
        }
        if (!put_module || !put_module(module, error)) {
            refuse_reload(player, kModule, "is refused: " + error);
            return false;
        }
    }
    player.reload(
        [] {
            for (const SceneOps& s : scene_table())
                s.release();
            set_up_tables_and_scenes(scene_table());
        },
        module);
    std::fprintf(stderr, "vorn: --watch: took the changed files in\n");
    return true;
}
