// The start-up after the music has loaded (see set_up_tables_and_scenes in
// scenes.h): a file of its own, so that the main loop links it without the
// scene table.
#include "core/rand.h"
#include "core/sync.h"
#include "render/tables.h"
#include "scenes/scenes.h"

void set_up_tables_and_scenes(const std::array<SceneOps, kSceneCount>& scenes) {
    build_lookup_tables();
    vorn::srand(1);
    for (const SceneOps& s : scenes)
        s.setup();
    sync_reset();
}
