// Fuzz target: decode_pcx on arbitrary bytes. A decoded picture must have
// every pixel written with a zero top byte; nothing may be read or written
// outside the buffers (AddressSanitizer) and no undefined behaviour may occur.
#include <cstdint>
#include <cstdlib>

#include "assets/pcx_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Valid headers for big pictures only make each run slow; the size
    // limits themselves are still reached through the refused sizes.
    const PcxHeader h = read_pcx_header(data, size);
    const int64_t row = h.bytes_per_line > h.width ? h.bytes_per_line : h.width;
    if (h.width >= 1 && h.height >= 1 && h.width <= kPcxMaxSide && h.height <= kPcxMaxSide &&
        row * h.height > 65536)
        return 0;

    PcxResult r = decode_pcx(data, size);
    if (r.error == PcxError::none) {
        if (r.image.pixels == nullptr || r.image.width != h.width || r.image.height != h.height)
            std::abort();
        const size_t count = size_t(r.image.width) * size_t(r.image.height);
        for (size_t i = 0; i < count; ++i)
            if (r.image.pixels[i] >> 24) std::abort(); // unwritten (malloc-filled) pixel
    } else if (r.image.pixels != nullptr) {
        std::abort();
    }
    std::free(r.image.pixels);
    return 0;
}
