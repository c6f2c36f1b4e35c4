// LightWave objects: big-endian "PNTS" (points) and "POLS" (triangles) chunks,
// found by a byte-wise scan.
//
//   load_object(name, scale, parts)  reads the file from the working folder
//       and returns a ready Object: its points only, or its points and
//       triangles; prints its progress; on any failure prints the message and
//       ends the process with exit(-1).
//   load_object_from(name, file, scale, parts)  as load_object for a file
//       already read (from a folder or memory), printing nothing and ending
//       nothing: the object, or the failure load_object would print.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "assets/file_bytes.h"
#include "assets/load_report.h"
#include "core/mesh.h"

// The largest object file read; a larger one is refused before it is read.
// Polygons name their corners by 16-bit point index, so a surface uses at
// most 65,536 points (12 bytes each in PNTS: 768 KiB), and a closed mesh on
// them has about twice as many triangles (10 bytes each in POLS: 1.25 MiB);
// the show transforms and draws every one of them each frame, and its own
// objects are at most 31 KiB. 16 MiB is eight times that largest mesh, room for
// surface chunks and any writer's extras (a point cloud of 16 MiB would be
// 1.4 million points).
constexpr size_t kMaxObjectFileBytes = size_t{16} << 20;

// What of an object a scene draws: its points (as sprites) or its surface.
enum class ObjectParts : int8_t { points = 0, points_and_polygons = 1 };

Object load_object(const char* file_name, double scale, ObjectParts parts);

// An object loaded without ending the process: `object` (the caller frees it
// with free_object) when `failure` is empty; `progress` is what load_object
// prints after its "Laddar" line.
struct ObjectLoad {
    Object object;
    std::string progress;
    std::optional<LoadFailure> failure;
};
ObjectLoad load_object_from(const char* file_name, const FileRead& file, double scale,
                            ObjectParts parts);
