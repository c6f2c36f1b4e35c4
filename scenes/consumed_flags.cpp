// Which sync flags each scene clears (see consumed_flags.h).
#include "scenes/consumed_flags.h"

#include "scenes/scenes.h"

uint16_t scene_consumed_flags(int scene) {
    constexpr uint16_t f1 = 1u << 1, f3 = 1u << 3, f4 = 1u << 4, f5 = 1u << 5, f6 = 1u << 6;
    static constexpr uint16_t consumed[kSceneCount] = {
        f3,                // 0 (flag 4 switches its lights on for good)
        f1 | f4 | f5 | f6, // 1
        f1 | f4 | f5 | f6, // 2
        f1,                // 3
        f1,                // 4
        f1 | f4,           // 5
        f1 | f5,           // 6
        0,                 // 7
    };
    return scene >= 0 && scene < kSceneCount ? consumed[scene] : 0;
}
