// Fuzz target: read_xm_sync on arbitrary bytes. Nothing may be read or
// written outside the buffers; a module that reads must give a blanked copy
// of the same size that reads again with every W command gone.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "music/xm_sync.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XmSync sync;
    std::vector<uint8_t> blanked;
    if (!read_xm_sync(data, size, sync, &blanked)) return 0;
    if (blanked.size() != size) std::abort();
    XmSync again;
    if (!read_xm_sync(blanked.data(), blanked.size(), again, nullptr)) std::abort();
    for (const auto& rows : again.values)
        for (const auto& row : rows)
            if (!row.empty()) std::abort();
    return 0;
}
