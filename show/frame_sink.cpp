// Scaling a frame up for a recording's output (see frame_sink.h).
#include "show/frame_sink.h"

#include <algorithm>

#include "core/screen.h"

void scale_frame(const uint32_t* frame, int k, uint32_t* out) {
    const size_t width = static_cast<size_t>(kFrameWidth) * static_cast<size_t>(k);
    for (int32_t y = 0; y < kFrameHeight; ++y) {
        const uint32_t* src = frame + static_cast<size_t>(y) * kFrameWidth;
        uint32_t* row = out + static_cast<size_t>(y) * static_cast<size_t>(k) * width;
        uint32_t* p = row;
        for (int32_t x = 0; x < kFrameWidth; ++x)
            p = std::fill_n(p, k, src[x]);
        for (int r = 1; r < k; ++r)
            std::copy(row, row + width, row + static_cast<size_t>(r) * width);
    }
}
