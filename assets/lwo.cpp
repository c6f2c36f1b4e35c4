// load_object: the LightWave decoder with its progress and failure messages
// on standard output and exit(-1) on every failure. "\x94" is the letter
// o-umlaut in code page 437.
#include "assets/lwo.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "assets/file_bytes.h"
#include "assets/lwo_decoder.h"

Object load_object(const char* file_name, double scale, int8_t with_polygons) {
    std::printf("Laddar %s\n", file_name);
    const auto bytes = read_file_bytes(file_name);
    if (!bytes) {
        std::printf("gick ej \x94ppna %s  !!\n", file_name);
        std::exit(-1);
    }
    std::printf("filstorlek %zu\n", bytes->size());
    LwoResult r = decode_lwo(bytes->data(), bytes->size(), scale, with_polygons != 0);
    for (int pass = 0; pass < r.passes; ++pass) {
        std::printf("letar.. ");
        if (r.found[pass]) std::printf("hittade!\n ");
    }
    switch (r.error) {
    case LwoError::none:
        return r.object;
    case LwoError::out_of_memory:
        std::printf("Out of memory fuckface!\n");
        break;
    case LwoError::not_a_triangle:
        std::printf("Endast trianglar st\x94"
                    "ds ditt pucko!");
        break;
    case LwoError::truncated_chunk:
        if (r.chunk_length < 0)
            std::printf("%s: the file ends inside a chunk header\n", file_name);
        else
            std::printf("%s: a chunk of %" PRId64 " bytes at offset %" PRId64
                        " runs past the end of the file\n",
                        file_name, r.chunk_length, r.chunk_offset);
        break;
    case LwoError::bad_vertex_index:
        std::printf("%s: polygon %" PRId32 " uses point %" PRId32 ", but there are only %" PRId32
                    " points\n",
                    file_name, r.face, r.value, r.point_count);
        break;
    case LwoError::polygons_no_points:
        std::printf("%s: the file has polygons but no points\n", file_name);
        break;
    }
    std::exit(-1);
}
