// Surface extraction: the triangle mesh where the sampled field crosses the
// surface level 1.0, by marching cubes over the 19 x 19 x 19 cells of the
// grid. Vertex positions are view-space units, interpolated linearly along
// the crossed grid edges.
//
// Each crossed grid edge yields one vertex per frame, made by the first cell
// (in visiting order) that needs it and shared through the edge vertex cache
// by every triangle on that edge.
//
// The vertex and triangle arrays have fixed capacities. When a frame needs
// more, the vertices that do not fit are not made and every triangle that
// would use one of them, or that finds the triangle array full, is left out;
// the frame shows less of the surface but never writes past an array.
#pragma once
#include <cstdint>

#include "metaball/field.h"
#include "metaball/mesh.h"

constexpr int32_t kVertexCapacity = 10000;
constexpr int32_t kTriangleCapacity = 10000;

// One slot per grid edge: x, y and z edges, each by its lower grid point.
constexpr int32_t kEdgeCacheSlots = 3 * kGridPoints;
constexpr int32_t kNoVertex = -1;

struct Surface {
    MetaballVertex* vertices = nullptr;    // vertex_capacity entries
    MetaballTriangle* triangles = nullptr; // triangle_capacity entries
    int32_t vertex_capacity = 0;
    int32_t triangle_capacity = 0;
    int32_t vertex_total = 0;
    int32_t triangle_total = 0;
    int32_t edge_cache[kEdgeCacheSlots]; // vertex index or kNoVertex
    bool edge_cache_empty = false;       // every slot known to hold kNoVertex
};

// Empties every slot of the edge vertex cache (nothing to do when it is
// known to be empty).
void clear_edge_cache(Surface& surface);

// Rebuilds vertices (positions only) and triangles (corners only) from the
// field grid. Empties the edge vertex cache first, and leaves it empty: the
// slots it used are emptied again at the end, which is far less than all.
void extract_surface(const Field& field, Surface& surface);

// The point on the edge from a to b where the field crosses the surface level.
FloatVector edge_vertex(const GridPoint& a, const GridPoint& b);
