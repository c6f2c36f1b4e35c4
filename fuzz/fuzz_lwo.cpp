// Fuzz target: decode_lwo on arbitrary bytes (the first byte picks whether
// polygons are read), then compute_normals on the result. Every face must
// index existing points, and nothing may be read or written outside the
// buffers (AddressSanitizer) or be undefined (UBSan).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "assets/lwo_decoder.h"
#include "render/vector.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool with_polygons = data[0] & 1;
    LwoResult r = decode_lwo(data + 1, size - 1, 50.0, with_polygons);
    Object& o = r.object;
    if (r.error != LwoError::none) {
        if (o.faces != nullptr || o.model_vertices != nullptr) std::abort();
        return 0;
    }
    if (o.vertex_count < 0 || o.face_count < 0) std::abort();
    if (o.face_count > 0 && o.vertex_count == 0) std::abort();
    for (int32_t f = 0; f < o.face_count; ++f) {
        if (o.faces[f].material != o.faces[0].material || o.faces[f].material == nullptr)
            std::abort();
        for (int c = 0; c < 3; ++c)
            if (o.faces[f].vertex_index[c] < 0 || o.faces[f].vertex_index[c] >= o.vertex_count)
                std::abort();
    }
    if (o.vertex_count > 0) {
        std::memcpy(o.view_vertices, o.model_vertices, sizeof(Vec3) * size_t(o.vertex_count));
        compute_normals(o);
    }
    free_object(o);
    return 0;
}
