// A frame's measures (flash_rules.h), per pixel and summed over every area:
// for each kind, kAreas sums, the area whose top left corner is (x, y) at
// y * kAreaColumns + x. A summed-area table per measure gives each area's
// sum in four look-ups.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

enum FlashKind { kGeneralFlash = 0, kRedFlash = 1 };
constexpr int kFlashKinds = 2;

// Each pixel's measures, per kind, and the pixels they are of (kFramePixels each).
struct PixelMeasures {
    std::array<std::vector<uint16_t>, kFlashKinds> of;
    std::vector<uint32_t> pixels;
    std::array<int, kFlashKinds> nonzero{}; // pixels whose measure is not 0
};
// The measures of the frame `pixels` (kFramePixels of 0x00RRGGBB) into
// `out`, measuring again only the pixels that differ from out.pixels.
void measure_frame(const uint32_t* pixels, PixelMeasures& out);

// Each area's sum of the measures, per kind (kAreas each).
struct AreaSums {
    std::array<std::vector<int32_t>, kFlashKinds> sums;
};

class AreaMeter {
  public:
    AreaMeter();
    void sum(const PixelMeasures& measures, AreaSums& out);

  private:
    // Measures above and left of each corner, (width + 1) x (height + 1).
    // Kept modulo 2^32: an area's sum is below 2^31, so its four-corner
    // difference comes out exact.
    std::vector<uint32_t> table_;
};
