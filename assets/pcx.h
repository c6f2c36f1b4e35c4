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
#pragma once
#include "core/image.h"

Image load_pcx(const char* file_name);
Image load_picture(const char* file_name, int32_t width, int32_t min_height);
