// Decoding of LightWave objects from bytes in memory, without printing or
// ending the process: load_object (lwo.h) wraps it with the messages.
//
// A file must begin with the IFF header "FORM", a 32-bit length and "LWOB",
// and hold a "PNTS" chunk; anything else is refused (a text file in place of
// an object is an error, not an empty object). Read: the first "PNTS" chunk
// (big-endian float X, Y, Z per point, 12 bytes) and, when polygons are
// wanted, the first "POLS" chunk (16-bit corner count, which must be 3, three
// 16-bit vertex indices and a 16-bit surface number, 10 bytes per polygon),
// which must then hold at least one polygon. Tags are found by
// scanning every byte offset, so the first occurrence anywhere in the file
// wins. Points become (X * scale, -(Y * scale), -(Z * scale)) in double
// precision.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/mesh.h"

enum class LwoError {
    none,
    out_of_memory,    // an array or the material could not be allocated
    not_a_triangle,   // a polygon whose corner count is not 3
    truncated_chunk,  // a chunk's length runs past the end of the file
    bad_vertex_index, // a polygon corner not smaller than the point count
    not_lightwave,    // the file does not begin with "FORM" .... "LWOB"
    no_points,        // no "PNTS" chunk anywhere in the file
    no_polygons       // polygons wanted, but no "POLS" chunk or an empty one
};

struct LwoResult {
    Object object; // complete when error == none; arrays freed otherwise
    LwoError error = LwoError::none;
    int passes = 0; // tag searches started: 0 (not LightWave), 1 ("PNTS") or 2 (also "POLS")
    bool found[2] = {false, false}; // whether each search found its tag
    int64_t chunk_length = 0;       // for truncated_chunk: the length the chunk claims
    int64_t chunk_offset = 0;       // for truncated_chunk: where its data starts
    int32_t face = 0;               // for not_a_triangle / bad_vertex_index: the polygon
    int32_t value = 0;              // its corner count or offending vertex index
    int32_t point_count = 0;        // points read from "PNTS" (kept after a failure)
};

LwoResult decode_lwo(const uint8_t* data, size_t size, double scale, bool with_polygons);

// Frees the arrays and the material of an object made by decode_lwo (the show
// never does; tests and fuzzers do) and leaves it empty.
void free_object(Object& object);
