// Splitting a list of screen faces between two bands (see face_bands.h).
#include "render/face_bands.h"

#include <algorithm>

int32_t balanced_split(const ScreenFace* faces, int32_t count) {
    // In the same two parts as the loops that set the faces up, so that each
    // thread reads the faces it has just written.
    struct alignas(64) Part {
        RowWork work;
    } parts[2];
    for_each_part(count, [&](int32_t first, int32_t end) {
        RowWork& work = parts[first == 0 ? 0 : 1].work;
        for (int32_t f = first; f < end; ++f) {
            const ScreenFace& sf = faces[f];
            work.add(std::min({sf.y0, sf.y1, sf.y2}), std::max({sf.y0, sf.y1, sf.y2}));
        }
    });
    parts[0].work.add(parts[1].work);
    return parts[0].work.split();
}
