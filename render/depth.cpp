// The depth buffer and depth bias globals, and their per-frame advance.
#include "render/depth.h"

#include <cstring>

#include "core/screen.h"

uint32_t* depth_buffer = nullptr;
int32_t depth_bias = 0;

void advance_depth_bias() {
    // A frame's depth values run up to bias + 65535 (65536 / z for z > 1).
    constexpr int64_t kLargestBias = INT32_MAX - (kDepthBiasStep - 1);
    const int64_t next = int64_t{depth_bias} + kDepthBiasStep;
    if (next <= kLargestBias) {
        depth_bias = static_cast<int32_t>(next);
        return;
    }
    if (depth_buffer) std::memset(depth_buffer, 0, sizeof(uint32_t) * kFramePixels);
    depth_bias = 0;
}
