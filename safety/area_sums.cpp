// A frame's measures per pixel and per area (see area_sums.h).
#include "safety/area_sums.h"

#include <cassert>
#include <cstddef>

#include "core/screen.h"
#include "safety/flash_rules.h"

namespace {
constexpr int kStride = kFrameWidth + 1;
constexpr size_t kTableSize = static_cast<size_t>(kStride * (kFrameHeight + 1));
constexpr size_t kPixels = static_cast<size_t>(kFramePixels);
} // namespace

void measure_frame(const uint32_t* pixels, PixelMeasures& out) {
    if (out.pixels.size() != kPixels) {
        out.pixels.assign(kPixels, 0u);
        for (auto& m : out.of)
            m.assign(kPixels, 0); // the measures of black
        out.nonzero = {};
    }
    uint16_t* lum = out.of[kGeneralFlash].data();
    uint16_t* red = out.of[kRedFlash].data();
    uint32_t* was = out.pixels.data();
    int nonzero[kFlashKinds] = {out.nonzero[0], out.nonzero[1]};
    for (size_t i = 0; i < kPixels; ++i) {
        if (pixels[i] == was[i]) continue;
        was[i] = pixels[i];
        const Measures m = measure(pixels[i]);
        nonzero[kGeneralFlash] += (m.luminance != 0) - (lum[i] != 0);
        nonzero[kRedFlash] += (m.red != 0) - (red[i] != 0);
        lum[i] = m.luminance;
        red[i] = m.red;
    }
    out.nonzero = {nonzero[0], nonzero[1]};
}

AreaMeter::AreaMeter() : table_(kTableSize, 0u) {}

void AreaMeter::sum(const PixelMeasures& measures, AreaSums& out) {
    uint32_t* t = table_.data();
    for (int k = 0; k < kFlashKinds; ++k) {
        const std::vector<uint16_t>& m = measures.of[static_cast<size_t>(k)];
        assert(m.size() == kPixels);
        std::vector<int32_t>& sums = out.sums[static_cast<size_t>(k)];
        if (measures.nonzero[static_cast<size_t>(k)] == 0) { // (most frames have no saturated red)
            sums.assign(static_cast<size_t>(kAreas), 0);
            continue;
        }
        for (int y = 0; y < kFrameHeight; ++y) {
            const uint16_t* row = m.data() + y * kFrameWidth;
            const int above = y * kStride, here = (y + 1) * kStride;
            uint32_t run = 0;
            for (int x = 0; x < kFrameWidth; ++x) {
                run += row[x];
                t[here + x + 1] = t[above + x + 1] + run;
            }
        }
        sums.resize(static_cast<size_t>(kAreas));
        int32_t* s = sums.data();
        for (int y = 0; y < kAreaRows; ++y) {
            const int top = y * kStride, bottom = (y + kAreaHeight) * kStride;
            for (int x = 0; x < kAreaColumns; ++x)
                *s++ = static_cast<int32_t>(t[bottom + x + kAreaWidth] - t[bottom + x] -
                                            t[top + x + kAreaWidth] + t[top + x]);
        }
    }
}
