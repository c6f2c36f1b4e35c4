// load_object: the LightWave decoder with its progress and failure messages
// on standard output, an English explanation on standard error, and exit(-1)
// on every failure; load_object_from: the same words returned instead.
// "\x94" is the letter o-umlaut in code page 437.
#include "assets/lwo.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "assets/file_bytes.h"
#include "assets/load_report.h"
#include "assets/lwo_decoder.h"

namespace {

const char* const kExportHint = "Export it as a LightWave 5 object (FORM/LWOB, .lwo) with "
                                "triangles only";

// The first bytes of a file that is not an object, as printable text.
// Four bytes from `at` as text, unprintable bytes as dots.
std::string four_bytes_at(const std::vector<uint8_t>& bytes, size_t at) {
    std::string text;
    for (size_t i = at; i < bytes.size() && i < at + 4; ++i)
        text += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? static_cast<char>(bytes[i]) : '.';
    return text;
}

// Why bytes that are not a LightWave object are not one.
std::string not_lightwave_reason(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return "the file is empty, not a LightWave object. ";
    if (bytes.size() >= 12 && four_bytes_at(bytes, 0) == "FORM")
        return format_message("it is an IFF file of type \"%s\", not a LightWave object "
                              "(type \"LWOB\"). ",
                              four_bytes_at(bytes, 8).c_str());
    return format_message("it is not a LightWave object: it starts with \"%s\", not with the "
                          "FORM ... LWOB header. ",
                          four_bytes_at(bytes, 0).c_str());
}

ObjectLoad failed(std::string progress, LoadFailure failure) {
    return {Object{}, std::move(progress), std::move(failure)};
}

} // namespace

ObjectLoad load_object_from(const char* file_name, const FileRead& file, double scale,
                            ObjectParts parts) {
    const std::string cannot_open = format_message("gick ej \x94ppna %s  !!\n", file_name);
    if (file.too_large)
        return failed("", {cannot_open, too_large_reason(file.size, kMaxObjectFileBytes,
                                                         "LightWave object the show draws") +
                                            ": it is damaged or far more detailed than the show "
                                            "can draw. " +
                                            kExportHint + ", with at most 65536 points"});
    if (!file.read()) return failed("", {cannot_open, read_failure_reason(file)});
    const std::vector<uint8_t>& bytes = file.bytes;
    std::string progress = format_message("filstorlek %zu\n", bytes.size());
    LwoResult r =
        decode_lwo(bytes.data(), bytes.size(), scale, parts == ObjectParts::points_and_polygons);
    for (int pass = 0; pass < r.passes; ++pass) {
        progress += "letar.. ";
        if (r.found[pass]) progress += "hittade!\n ";
    }
    switch (r.error) {
    case LwoError::none:
        return {r.object, std::move(progress), std::nullopt};
    case LwoError::out_of_memory:
        return failed(std::move(progress), {"Out of memory fuckface!\n",
                                            "out of memory for the object's points and polygons"});
    case LwoError::not_a_triangle:
        return failed(std::move(progress),
                      {"Endast trianglar st\x94"
                       "ds ditt pucko!",
                       format_message("polygon %" PRId32 " has %" PRId32
                                      " corners, but the show draws triangles only. Triangulate "
                                      "the object and export it again as a LightWave 5 object "
                                      "(FORM/LWOB)",
                                      r.face, r.value)});
    case LwoError::truncated_chunk:
        if (r.chunk_length < 0)
            return failed(
                std::move(progress),
                {format_message("%s: the file ends inside a chunk header\n", file_name),
                 std::string("the file is cut short inside a chunk header. ") + kExportHint});
        return failed(std::move(progress),
                      {format_message("%s: a chunk of %" PRId64 " bytes at offset %" PRId64
                                      " runs past the end of the file\n",
                                      file_name, r.chunk_length, r.chunk_offset),
                       format_message("the file is cut short: a chunk of %" PRId64
                                      " bytes at offset %" PRId64 " runs past its end (%zu "
                                      "bytes). ",
                                      r.chunk_length, r.chunk_offset, bytes.size()) +
                           kExportHint});
    case LwoError::bad_vertex_index:
        return failed(std::move(progress),
                      {format_message("%s: polygon %" PRId32 " uses point %" PRId32
                                      ", but there are only %" PRId32 " points\n",
                                      file_name, r.face, r.value, r.point_count),
                       (r.point_count == 0
                            ? format_message("polygon %" PRId32 " uses point %" PRId32
                                             ", but the object has no points. ",
                                             r.face, r.value)
                            : format_message("polygon %" PRId32 " uses point %" PRId32
                                             ", but the object has only %" PRId32
                                             " points (0 to %" PRId32 "). ",
                                             r.face, r.value, r.point_count, r.point_count - 1)) +
                           kExportHint});
    case LwoError::not_lightwave:
        return failed(std::move(progress),
                      {cannot_open, not_lightwave_reason(bytes) + kExportHint});
    case LwoError::no_polygons:
        return failed(
            std::move(progress),
            {cannot_open,
             format_message("the object has %" PRId32 " points but no polygons (%s), "
                            "and the show draws this one as a surface. %s",
                            r.point_count, r.found[1] ? "an empty POLS chunk" : "no POLS chunk",
                            kExportHint)});
    case LwoError::no_points:
        return failed(std::move(progress),
                      {cannot_open, std::string("the LightWave object has no points (no PNTS "
                                                "chunk). ") +
                                        kExportHint});
    }
    std::abort();
}

Object load_object(const char* file_name, double scale, ObjectParts parts) {
    LoadReport report(file_name);
    report.out = format_message("Laddar %s\n", file_name);
    ObjectLoad load =
        load_object_from(file_name, read_file_bytes(file_name, kMaxObjectFileBytes), scale, parts);
    report.out += load.progress;
    if (load.failure) report.fail(load.failure->message, load.failure->reason);
    report.done();
    return load.object;
}
