// The list of each vertex's faces, made once when an object is loaded (see
// mesh.h).
#include "core/mesh.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

bool index_vertex_faces(Object& object) {
    const int32_t vertices = std::max(object.vertex_count, 0);
    const int32_t faces = std::max(object.face_count, 0);
    auto* start = static_cast<int32_t*>(std::calloc(size_t(vertices) + 1, sizeof(int32_t)));
    auto* list = static_cast<int32_t*>(std::calloc(3 * size_t(faces) + 1, sizeof(int32_t)));
    if (!start || !list) {
        std::free(start);
        std::free(list);
        return false;
    }
    // Count each vertex's corners, turn the counts into starts, then fill
    // each vertex's list in face order.
    for (int32_t f = 0; f < faces; ++f)
        for (const int32_t v : object.faces[f].vertex_index)
            ++start[v + 1];
    for (int32_t v = 0; v < vertices; ++v)
        start[v + 1] += start[v];
    std::vector<int32_t> next(start, start + vertices);
    for (int32_t f = 0; f < faces; ++f)
        for (const int32_t v : object.faces[f].vertex_index)
            list[next[static_cast<size_t>(v)]++] = f;
    object.vertex_face_start = start;
    object.vertex_faces = list;
    return true;
}
