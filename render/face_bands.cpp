// Splitting a list of screen faces between two bands (see face_bands.h).
#include "render/face_bands.h"

#include <algorithm>

int32_t balanced_split(const ScreenFace* faces, int32_t count) {
    RowWork work;
    for (int32_t f = 0; f < count; ++f) {
        const ScreenFace& sf = faces[f];
        work.add(std::min({sf.y0, sf.y1, sf.y2}), std::max({sf.y0, sf.y1, sf.y2}));
    }
    return work.split();
}
