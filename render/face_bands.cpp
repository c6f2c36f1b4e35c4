// Splitting a list of screen faces between two bands (see face_bands.h).
#include "render/face_bands.h"

#include <algorithm>

int32_t balanced_split(const ScreenFace* faces, int32_t count) {
    // In the same two parts as the loops that set the faces up.
    return split_in_parts(count, [faces](RowWork& work, int32_t first, int32_t end) {
        for (int32_t f = first; f < end; ++f) {
            const ScreenFace& sf = faces[f];
            work.add(std::min({sf.y0, sf.y1, sf.y2}), std::max({sf.y0, sf.y1, sf.y2}));
        }
    });
}
