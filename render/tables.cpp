// Builds the shared lookup tables (see tables.h). The constants 6.283184 and
// 65535 are the show's own and not 2*pi and 65536: every table entry depends
// on them.
#include "render/tables.h"

#include <cmath>

int16_t sine_table[kSineSize];
uint8_t shade_table[kShadeSize];
int32_t square_table[kSquareSize];
int32_t root_table[kRootSize];

void build_lookup_tables() {
    for (int i = 0; i < kSineSize; ++i) {
        double angle = static_cast<double>(i) * 6.283184 / 65535.0;
        // Truncate toward zero to 32 bits, keep the low 16 bits.
        sine_table[i] = static_cast<int16_t>(static_cast<int32_t>(std::sin(angle) * 32767.0));
    }
    for (int c = 0; c < 256; ++c) {
        for (int j = 0; j < 128; ++j) {
            shade_table[c * 256 + j] = static_cast<uint8_t>(static_cast<int32_t>((c * j) / 128.0));
            shade_table[c * 256 + 128 + j] =
                static_cast<uint8_t>(static_cast<int32_t>(c + (j * (255 - c)) / 128.0));
        }
    }
    for (int32_t i = 0; i < kSquareSize; ++i)
        square_table[i] = i * i;
    for (int i = 0; i < kRootSize; ++i)
        root_table[i] = static_cast<int32_t>(std::sqrt(static_cast<double>(i)));
}
