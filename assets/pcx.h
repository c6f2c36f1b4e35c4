// PCX pictures: 8-bit indexed, version 5, run-length encoded, with a
// 256-colour palette after a 0x0C marker 769 bytes before the end of the file.
//
//   load_pcx(name)                 reads the file from the working folder and
//                                  returns its image; prints "Försöker öppna: "
//                                  and the name first; on any failure prints the
//                                  message and ends the process with exit(-1).
//   load_picture(name, w, min_h)   as load_pcx, and also refuses (message naming
//                                  the file, exit(-1)) a picture that is not
//                                  exactly w pixels wide or has fewer than min_h
//                                  rows, since scenes index it with those sizes.
//   load_picture_from(name, file, w, min_h)
//                                  as load_picture for a file already read (from
//                                  a folder or memory), printing nothing and
//                                  ending nothing: the picture, or the failure
//                                  load_picture would print.
#pragma once
#include <cstddef>
#include <optional>

#include "assets/file_bytes.h"
#include "assets/load_report.h"
#include "core/image.h"

// The largest picture file read; a larger one is refused before it is read.
// The widest picture the show uses is the 640 x 240 text strip; run-length
// coding at worst doubles it (every pixel of 0xC0 or more stored as a run of
// one), so with the 128-byte header and the 769-byte palette no picture of
// the show's can need more than 301 KiB. 16 MiB leaves fifty times that for
// writers that pad rows, code runs poorly or append data of their own, and
// still refuses at once a file that cannot be one of the show's pictures.
constexpr size_t kMaxPictureFileBytes = size_t{16} << 20;

Image load_pcx(const char* file_name);
Image load_picture(const char* file_name, int32_t width, int32_t min_height);

// A picture loaded without ending the process: `image` (the caller frees its
// pixels) when `failure` is empty.
struct PictureLoad {
    Image image;
    std::optional<LoadFailure> failure;
};
PictureLoad load_picture_from(const char* file_name, const FileRead& file, int32_t width,
                              int32_t min_height);
