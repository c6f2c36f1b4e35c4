// The main loop, one frame at a time (see show_loop.h).
#include "show/show_loop.h"

#include "core/screen.h"
#include "core/sync.h"

ShowLoop::ShowLoop() {
    tick_counter = 0;
}

ShowLoop::Step ShowLoop::step(ShowPlatform& p) {
    for (;;) {
        switch (phase_) {
        case Phase::Ended:
            return Step::Ended;
        case Phase::Top:
            p.music.deliver_sync();
            if (p.display.key_waiting() || sync_scene() == kSceneEnd) {
                phase_ = Phase::Ended;
                return Step::Ended;
            }
            drew_ = false;
            scene_ = 0;
            phase_ = Phase::SceneStart;
            break;
        case Phase::SceneStart:
            if (scene_ == kSceneCount) {
                if (!drew_ && hold && hold()) return Step::Held;
                phase_ = Phase::Top;
                if (!drew_) {
                    if (p.pacer) p.pacer->idle();
                    p.display.idle();
                    return Step::Idle;
                }
                break;
            }
            scene_start_ = static_cast<float>(p.clock.now_ms());
            phase_ = Phase::InScene;
            break;
        case Phase::InScene: {
            p.music.deliver_sync();
            if (p.display.key_waiting() || sync_scene() != scene_) {
                ++scene_;
                phase_ = Phase::SceneStart;
                break;
            }
            if (hold && hold()) return Step::Held;
            const float now = static_cast<float>(p.clock.now_ms());
            tick_counter = ticks_since(scene_start_, now);
            if (p.pacer) p.pacer->frame_start();
            uint32_t* frame = p.display.lock();
            p.scenes[static_cast<size_t>(scene_)].render(frame);
            if (p.pacer) p.pacer->rendered();
            p.display.present();
            p.display.unlock();
            if (p.pacer) p.pacer->presented();
            drew_ = true;
            return Step::Drew;
        }
        }
    }
}
