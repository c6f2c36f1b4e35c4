// Splitting a list of screen faces between the two bands of core/bands.h.
//
//   face_reaches(sf, band)   true when the triangle has a row to draw in
//                            the band (rows min y .. max y - 1)
//   balanced_split(faces, n) the row at which to split the frame so that
//                            each band gets about half the work of drawing
//                            the faces: each face counts its rows on screen
//                            and two more for its set-up
#pragma once
#include <algorithm>
#include <cstdint>

#include "core/bands.h"
#include "core/mesh.h"

inline bool face_reaches(const ScreenFace& sf, const Band& band) {
    return std::max({sf.y0, sf.y1, sf.y2}) > band.top &&
           std::min({sf.y0, sf.y1, sf.y2}) < band.bottom;
}
int32_t balanced_split(const ScreenFace* faces, int32_t count);
