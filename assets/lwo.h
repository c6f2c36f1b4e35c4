// LightWave objects: big-endian "PNTS" (points) and "POLS" (triangles) chunks,
// found by a byte-wise scan.
//
//   load_object(name, scale, with_polygons)  reads the file from the working
//       folder and returns a ready Object; prints its progress; on any failure
//       prints the message and ends the process with exit(-1).
#pragma once
#include "render/object.h"

Object load_object(const char* file_name, double scale, int8_t with_polygons);
