// Everything a scene carries from one frame to the next is in ShowState: the
// whole show is recorded once with each frame's inputs (scene, tick counter,
// sync state); then, in every scene, a state saved there and put back after
// the show has played to its end must give the same next frames. Any
// carried piece that lives outside ShowState (a static, a scratch buffer that
// holds data between frames) makes them differ.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "core/screen.h"
#include "core/sync.h"
#include "scenes/show_state.h"
#include "show/recorder.h"
#include "show/show.h"
#include "test_support.h"

namespace {

// What a scene's render is given besides the frame, and what it drew.
struct FrameInput {
    int scene;
    int32_t tick;
    SyncSnapshot sync;
};
std::vector<FrameInput> g_inputs;

template <int K> void traced_render(uint32_t* frame) {
    FrameInput in{K, tick_counter, {}};
    for (int i = 0; i <= kSyncFlagCount; ++i)
        in.sync.bytes[i] = sync_state.bytes[i].load(std::memory_order_relaxed);
    g_inputs.push_back(in);
    scene_table()[K].render(frame);
}

std::array<SceneOps, kSceneCount> traced_scenes() {
    const auto& real = scene_table();
    return {{{real[0].setup, traced_render<0>, real[0].release},
             {real[1].setup, traced_render<1>, real[1].release},
             {real[2].setup, traced_render<2>, real[2].release},
             {real[3].setup, traced_render<3>, real[3].release},
             {real[4].setup, traced_render<4>, real[4].release},
             {real[5].setup, traced_render<5>, real[5].release},
             {real[6].setup, traced_render<6>, real[6].release},
             {real[7].setup, traced_render<7>, real[7].release}}};
}

// Draws a frame from its recorded inputs into `frame` as the show drew it.
uint32_t draw(const FrameInput& in, uint32_t* frame) {
    tick_counter = in.tick;
    sync_restore(in.sync);
    scene_table()[static_cast<size_t>(in.scene)].render(frame);
    return frame_checksum(frame);
}

} // namespace

TEST(ShowState, AStateSavedInEverySceneGivesTheWholeShowsFramesWhenPutBack) {
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(VORN_TEST_DATA_DIR);
    const std::array<SceneOps, kSceneCount> scenes = traced_scenes();

    // The whole show at 10 frames a second, each frame's inputs.
    g_inputs.clear();
    NullSink whole;
    RecordSettings settings;
    settings.rate = {10, 1};
    Recorder recorder(whole, settings);
    NoDialogs dialogs;
    ShowPlatform p{recorder, recorder, dialogs, recorder, scenes, {true, false}};
    ASSERT_EQ(run_show(p), 0);
    set_up_tables_and_scenes(scene_table()); // run_show released them
    remember_start_state();
    ASSERT_GT(g_inputs.size(), 1500u); // 3:35 of show

    // In each scene, a frame a third of the way into its first stretch.
    std::vector<size_t> saved_at;
    for (int k = 0; k < kSceneCount; ++k) {
        const auto first = std::find_if(g_inputs.begin(), g_inputs.end(),
                                        [k](const FrameInput& in) { return in.scene == k; });
        ASSERT_NE(first, g_inputs.end()) << "scene " << k;
        const auto end = std::find_if(first, g_inputs.end(),
                                      [k](const FrameInput& in) { return in.scene != k; });
        saved_at.push_back(static_cast<size_t>(first - g_inputs.begin() + (end - first) / 3));
    }

    // The show replayed from its inputs once, saving the state (and the
    // frame, which scenes read back) at each of those frames; then each saved
    // state is put back, the show's state being that of its end, and must
    // give the next frames again.
    constexpr size_t kFramesAfter = 12;
    std::vector<uint32_t> frame(kFramePixels, 0u);
    std::vector<uint32_t> drawn;
    std::vector<ShowState> saved;
    std::vector<std::vector<uint32_t>> saved_frames;
    restore_start_state();
    for (size_t i = 0; i < g_inputs.size(); ++i) {
        if (std::find(saved_at.begin(), saved_at.end(), i) != saved_at.end()) {
            saved.push_back(save_show_state());
            saved_frames.push_back(frame);
        }
        drawn.push_back(draw(g_inputs[i], frame.data()));
    }
    ASSERT_EQ(saved.size(), saved_at.size());
    for (size_t n = 0; n < saved.size(); ++n) {
        const size_t at = saved_at[n];
        SCOPED_TRACE("saved before frame " + std::to_string(at) + ", scene " +
                     std::to_string(g_inputs[at].scene));
        restore_show_state(saved[n]);
        frame = saved_frames[n];
        for (size_t i = at; i < std::min(at + kFramesAfter, g_inputs.size()); ++i)
            ASSERT_EQ(draw(g_inputs[i], frame.data()), drawn[i]) << "frame " << i;
    }
    for (const SceneOps& s : scene_table())
        s.release();
    std::filesystem::current_path(here);
}
