// The linear light of each sRGB level, and its part in the luminance, for
// the flash rules' measures (see flash_rules.h).
#include "safety/flash_rules.h"

#include <cmath>

namespace {

double linear(int level) {
    const double c = level / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

std::array<uint16_t, 256> linear_levels() {
    std::array<uint16_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[static_cast<size_t>(i)] = static_cast<uint16_t>(std::lround(linear(i) * kMeasureOne));
    return t;
}

std::array<std::array<uint32_t, 256>, 3> luminance_parts() {
    const double weights[3] = {0.2126, 0.7152, 0.0722};
    std::array<std::array<uint32_t, 256>, 3> t{};
    for (size_t k = 0; k < 3; ++k)
        for (int i = 0; i < 256; ++i)
            t[k][static_cast<size_t>(i)] =
                static_cast<uint32_t>(std::lround(weights[k] * linear(i) * kMeasureOne * 65536.0));
    return t;
}

} // namespace

const std::array<uint16_t, 256> kLinearLevels = linear_levels();
const std::array<std::array<uint32_t, 256>, 3> kLuminanceParts = luminance_parts();
