// The show played without output up to a position (see replay.h).
#include "show/replay.h"

#include <algorithm>

#include "core/screen.h"
#include "show/recorder.h"

int64_t replay_to(ShowLoop& loop, const std::array<SceneOps, kSceneCount>& scenes,
                  std::shared_ptr<const FileRead> module, SongPosition at, uint32_t* frame,
                  const std::function<bool(int64_t frames)>& on_frame) {
    NullSink nowhere;
    RecordSettings settings;
    settings.rate = kReplayRate;
    settings.from = at;
    settings.replay = true;
    settings.module_file = std::move(module);
    Recorder recorder(nowhere, settings);
    bool given_up = false;
    if (on_frame) recorder.on_skip = [&](int64_t n) { given_up = given_up || !on_frame(n); };
    NoDialogs dialogs;
    ShowPlatform p{recorder, recorder, dialogs, recorder, scenes, {true, false}};
    if (!recorder.startup("vorn.xm", 0) || !recorder.start()) return -1;
    loop.hold = [&recorder] { return recorder.at_from(); };
    ShowLoop::Step step;
    do
        step = loop.step(p);
    while (step != ShowLoop::Step::Held && step != ShowLoop::Step::Ended && !given_up);
    loop.hold = nullptr;
    recorder.shutdown();
    if (given_up) return kReplayGivenUp;
    if (step == ShowLoop::Step::Ended) return -1;
    const uint32_t* drawn = recorder.lock();
    std::copy(drawn, drawn + kFramePixels, frame);
    return recorder.now_ms();
}
