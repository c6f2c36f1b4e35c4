// Marching-cubes case tables, indexed by the cube index: bit n set when
// corner n's field value is below the surface level.
//
// A cell (i, j, k) has corners 0 (i-1, j, k), 1 (i, j, k), 2 (i, j, k-1),
// 3 (i-1, j, k-1), 4 (i-1, j+1, k), 5 (i, j+1, k), 6 (i, j+1, k-1) and
// 7 (i-1, j+1, k-1) in grid steps, and twelve edges:
//
//   edge 0: 0-1   1: 1-2   2: 2-3   3: 3-0
//   edge 4: 4-5   5: 5-6   6: 6-7   7: 7-4
//   edge 8: 0-4   9: 1-5  10: 2-6  11: 3-7
//
// kEdgeTable[index] has bit e set when edge e crosses the surface (its two
// corners differ in the index). kTriangleTable[index] lists up to five
// triangles as edge triples, then -1.
#pragma once
#include <cstdint>

extern const uint16_t kEdgeTable[256];
extern const int8_t kTriangleTable[256][16];

// The two corners of each edge, in the order the edge's vertex is
// interpolated.
constexpr int kEdgeCorners[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                     {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
