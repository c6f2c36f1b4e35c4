// The table of flags each scene consumes (used to work out the sync state at
// an order position) against what the scenes really clear, with the
// generated data: every scene, every flag, over the frames of one row.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/screen.h"
#include "core/sync.h"
#include "scene_test_support.h"
#include "scenes/consumed_flags.h"
#include "scenes/scenes.h"

TEST(SceneConsumedFlags, MatchWhatEachSceneClearsWithinARow) {
    scene_test::prepare_show();
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(VORN_TEST_DATA_DIR);
    for (const SceneOps& s : scene_table())
        s.setup();
    std::filesystem::current_path(here);

    std::vector<uint32_t> frame(kFramePixels);
    for (int scene = 0; scene < kSceneCount; ++scene) {
        for (int k = 1; k <= kSyncFlagCount; ++k) {
            sync_reset();
            raise_sync_flag(k);
            // A row lasts 8 ticks or more; frames come every tick or two.
            for (int32_t tick = 0; tick < 8; ++tick) {
                tick_counter = tick;
                scene_table()[static_cast<size_t>(scene)].render(frame.data());
            }
            const bool consumed = (scene_consumed_flags(scene) >> k) & 1u;
            EXPECT_EQ(!sync_flag(k), consumed) << "scene " << scene << ", flag " << k;
        }
    }
    EXPECT_EQ(scene_consumed_flags(8), 0);
    EXPECT_EQ(scene_consumed_flags(31), 0);
    sync_reset();
}
