// The show played without output up to a position (see replay.h).
#include "show/replay.h"

#include <algorithm>
#include <cassert>

#include "core/clock.h"
#include "core/screen.h"
#include "show/recorder.h"

Replay::Replay(ShowLoop& loop, const std::array<SceneOps, kSceneCount>& scenes,
               std::shared_ptr<const FileRead> module, SongPosition at, const ShowSnapshot* from,
               const TickLog* log)
    : loop_(loop), scenes_(scenes) {
    assert(!from == !log);
    RecordSettings settings;
    settings.rate = kReplayRate;
    settings.from = at;
    settings.replay = true;
    settings.module_file = std::move(module);
    settings.ticks_from = log;
    recorder_ = std::make_unique<Recorder>(nowhere_, settings);
    if (!recorder_->startup("vorn.xm", 0)) {
        failed_ = true;
    } else if (from) {
        ShowState state;
        unpack_snapshot(*from, state, recorder_->lock());
        restore_show_state(state);
        loop_ = from->loop;
        recorder_->resume(from->mark);
    } else {
        failed_ = !recorder_->start();
    }
}

Replay::~Replay() {
    loop_.hold = nullptr;
}

std::optional<int64_t> Replay::run(int64_t budget_ms,
                                   const std::function<bool(int64_t frames)>& on_frame,
                                   uint32_t* frame) {
    if (failed_) return -1;
    bool given_up = false;
    recorder_->on_skip = [&](int64_t n) { given_up = given_up || (on_frame && !on_frame(n)); };
    loop_.hold = [this] { return recorder_->at_from(); };
    NoDialogs dialogs;
    ShowPlatform p{*recorder_, *recorder_, dialogs, *recorder_, scenes_, {true, false}};
    const int64_t until = budget_ms < 0 ? -1 : clock_ms() + budget_ms;
    ShowLoop::Step step;
    do {
        step = loop_.step(p);
        if (until >= 0 && clock_ms() >= until && step != ShowLoop::Step::Held &&
            step != ShowLoop::Step::Ended && !given_up) {
            recorder_->on_skip = nullptr;
            return std::nullopt;
        }
    } while (step != ShowLoop::Step::Held && step != ShowLoop::Step::Ended && !given_up);
    recorder_->on_skip = nullptr;
    loop_.hold = nullptr;
    failed_ = true; // done: a further run() has nothing to play
    if (step == ShowLoop::Step::Held && !given_up) landing_ = recorder_->landing(due_);
    recorder_->shutdown();
    if (given_up) return kReplayGivenUp;
    if (step == ShowLoop::Step::Ended) return -1;
    const uint32_t* drawn = recorder_->lock();
    std::copy(drawn, drawn + kFramePixels, frame);
    return recorder_->now_ms();
}

int64_t replay_to(ShowLoop& loop, const std::array<SceneOps, kSceneCount>& scenes,
                  std::shared_ptr<const FileRead> module, SongPosition at, uint32_t* frame,
                  const std::function<bool(int64_t frames)>& on_frame, const ShowSnapshot* from,
                  const TickLog* log) {
    return *Replay(loop, scenes, std::move(module), at, from, log).run(-1, on_frame, frame);
}
